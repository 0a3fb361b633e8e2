#pragma once
// The window program whole, as q7k3fm's main runs it: the window, the phone session, the
// settings and the stop signals. A test drives the real program through `shown`.

#include <functional>

namespace q7k3 {

class MainWindow;
class PhoneSession;

// Called once, on the window's thread, when the window is on the screen.
using WindowShown = std::function<void(MainWindow& window, PhoneSession& session)>;

// Runs the program to its end and returns its exit code.
int RunWindowProgram(int argc, char** argv, const WindowShown& shown = {});

}  // namespace q7k3
