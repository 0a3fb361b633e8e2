#pragma once
// The melody player the preview window uses: SMAF files played once from memory, their end
// reported like the sound library's event 127. One player for the whole program, driven
// from the window's thread:
//
//   SmafInit("")                      at start-up; false (and SmafAvailable() false) when
//                                     there is no soundfont or no sound device
//   SmafPlay(path, onStop)            true when the melody started; a playing one is stopped
//   SmafStop()                        stops; runs the melody's onStop once
//   SmafDone()                        at close
//
// When a melody ends by itself the engine receives kSmafEndOfMelody through SmafEvent, from
// the event loop, and stops as if SmafStop had been called.
//
// The melody is built and rendered on a thread of its own, a second ahead of what is heard:
// none of these calls waits for it, whatever the melody holds.

#include <functional>
#include <memory>
#include <string>

#include "preview/SoundOutput.h"

namespace q7k3 {

using SmafStopProc = std::function<void()>;
using SmafOutputFactory = std::function<std::unique_ptr<smaf::SoundOutput>()>;

constexpr int kSmafEndOfMelody = 127;

// Loads the soundfont (a path, or empty for the system's General MIDI set) after releasing
// what an earlier call loaded. True when melodies can be played.
bool SmafInit(const std::string& soundFont);
// Plays a .mmf file. False when the engine is unavailable, the file cannot be read or is no
// SMAF file; a melody already playing is stopped first. Its tracks are read on the melody's
// own thread: one found damaged there ends at once, reported like any end.
bool SmafPlay(const std::string& fileName, SmafStopProc onStop);
// The sound's own events; kSmafEndOfMelody stops the melody.
void SmafEvent(int event);
// Only while a melody plays: stops it and then runs its on-stop procedure.
void SmafStop();
// Stops and releases everything SmafInit loaded.
void SmafDone();
bool SmafAvailable();
bool SmafPlaying();
// Why melodies cannot be played, as a catalogue message: kMsgNoSoundFont or
// kMsgNoSoundDevice; 0 while they can be (or before SmafInit).
int SmafMissing();

// Where the sound goes: empty for the desktop's sound device (the default). Set before
// SmafInit; tests and measurements capture the sound instead.
void SmafSetOutputFactory(SmafOutputFactory factory);

}  // namespace q7k3
