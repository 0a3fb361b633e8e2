#pragma once
// Where the help page is: beside the program (the build tree, a copied folder), or in the
// shared data folder an installation put it in.

#include <QString>

namespace q7k3 {

// In English, the first of Q7K3FM.en.hlp beside the program, share/q7k3fm/Q7K3FM.en.html, and
// q7k3fm/Q7K3FM.en.html in the desktop's data folders; else (and in Russian) the first of:
// Q7K3FM.hlp beside the program; share/q7k3fm/Q7K3FM.html next to the
// program's bin folder (any install prefix, also under a DESTDIR); q7k3fm/Q7K3FM.html in the
// desktop's data folders ($XDG_DATA_HOME, $XDG_DATA_DIRS). None found: the path beside the
// program, for the viewer to report. `programDir` empty: the running program's folder.
QString FindHelpFile(const QString& programDir = QString());

}  // namespace q7k3
