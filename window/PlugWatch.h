#pragma once
// A cable plugged in while no phone is connected: the new serial device is identified off
// the window's thread, and when a phone the program works with answers, the window asks
// whether to connect to it. Yes stores its port (the stable name, so that it is found
// again under another kernel name) and its speed, and connects as "Подключить" does.
// While a dialog is open, or the window is busy or has a phone, a new device is left alone
// (the settings dialog watches for itself while it is shown).

#include <QObject>
#include <QStringList>

#include <functional>

#include "ports/PhoneWatch.h"

namespace q7k3 {

class MainWindow;

class PlugWatch final : public QObject {
    Q_OBJECT

public:
    explicit PlugWatch(MainWindow& window);

    // Watches these directories (and searches with these sources) from now on.
    void Watch(const WatchSources& watch = {}, const SearchSources& search = {});
    // Stops the watch and lets a search under way end on its own.
    void Stop();
    // Ends a search of a new device under way and calls `then` once its ports are closed
    // (at once when no search runs), so that the session may open the port itself; the
    // watch goes on.
    void EndSearch(std::function<void()> then);
    bool Searching() const { return m_runner.Running(); }

private:
    // True when a new device may be offered: no phone, nothing running, no dialog open.
    bool Idle() const;
    void Appeared(const QStringList& paths);
    void Identified();

    MainWindow& m_window;
    PortWatcher m_watcher;
    SearchRunner m_runner;
    SearchSources m_search;
};

}  // namespace q7k3
