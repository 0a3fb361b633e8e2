#pragma once
// The help command: the page opens in the desktop's viewer, and where the desktop cannot
// show it, in the program's own help window.

#include <QString>

#include "base/widgets/HelpWindow.h"

namespace q7k3 {

class Prompts;

class HelpCommand {
public:
    HelpCommand(QWidget& parent, Prompts& prompts) : m_parent(parent), m_prompts(prompts) {}

    // Opens the help file `help` through `opener` (none: straight in the own window).
    void Open(const QString& help, const UrlOpener& opener);
    // The program's own help window, once it has been needed.
    HelpWindow* Window() const { return m_window; }

private:
    void ShowWindow(const QString& help);

    QWidget& m_parent;
    Prompts& m_prompts;
    HelpWindow* m_window = nullptr;
};

}  // namespace q7k3
