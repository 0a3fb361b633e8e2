// How long the window's thread is kept from its events while the phone works, with a 10 ms
// timer on the window's thread: the longest gap between two ticks and the median gap.
//  1. "Подключить" while a search of a cable just plugged in (a silent one) holds its port:
//     until the phone is read. Goal: the longest gap at most 16 ms.
//  2. "Настройки", "Найти телефон" on a silent port, and "Старт" while that search runs:
//     until the phone is read again. Goal: at most 16 ms.
//  3. A 300 KB file copied from the phone paced at 115200 bit/s, from the window as the user
//     does it (F5 in the phone pane), with the copy's time against its wire time. Goal: at
//     most 50 ms.
//
//   q7k3-bench-stall [KILOBYTES]

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QPushButton>
#include <QTemporaryDir>
#include <filesystem>

#include "bench/BenchPrompts.h"
#include "emulator/PhoneEmulator.h"
#include "link/PhoneLink.h"
#include "settings/SettingsStore.h"
#include "ports/widgets/PhoneSearchDialog.h"
#include "settings/widgets/SettingsDialog.h"
#include "session/PhoneSession.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/PhonePane.h"
#include "window/PlugWatch.h"
#include "window/ProgressDialog.h"

using namespace q7k3;

namespace {

constexpr int kBaud = 115200;

// Runs the window's events until `done` holds; false after `limitMs`.
template <class Pred>
bool RunUntil(Pred done, int limitMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limitMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The gaps between the ticks of a 10 ms timer on the window's thread.
class Ticks {
public:
    Ticks() {
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_clock.isValid())
                m_gaps.push_back(m_clock.restart());
            else
                m_clock.start();
        });
    }
    void Start() {
        m_gaps.clear();
        m_clock.invalidate();
        m_timer.start(10);
    }
    void Stop() {
        m_timer.stop();
        std::sort(m_gaps.begin(), m_gaps.end());
    }
    bool Empty() const { return m_gaps.empty(); }
    qint64 Median() const { return m_gaps.empty() ? 0 : m_gaps[m_gaps.size() / 2]; }
    qint64 Longest() const { return m_gaps.empty() ? 0 : m_gaps.back(); }
    void Print(const char* what, qint64 goal) const {
        std::printf("%s: %zu ticks, median gap %lld ms, longest gap %lld ms (goal <= %lld ms)\n",
                    what, m_gaps.size(), static_cast<long long>(Median()),
                    static_cast<long long>(Longest()), static_cast<long long>(goal));
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    std::vector<qint64> m_gaps;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen"
                                                                     : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int kb = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const std::string data(static_cast<size_t>(kb) * 1024, 'p');

    emu::EmulatorConfig config;
    config.Baud = kBaud;
    PhoneEmulator phone(config);
    emu::EmulatorConfig silentConfig = config;
    silentConfig.Fault.SilentAfter = 0;
    PhoneEmulator silent(silentConfig);
    QTemporaryDir configDir, localDir, devDir;
    if (!phone.Start() || !silent.Start() || !configDir.isValid() || !localDir.isValid() ||
        !devDir.isValid() || !phone.PutFile("B", "big.bin", data)) {
        std::fprintf(stderr, "q7k3-bench-stall: the emulated phone does not start\n");
        return 1;
    }
    // The start finds the silent port and cancels the dialog: no phone, as after a lost one.
    SettingsStore store(configDir.filePath("Q7K3FileManager.conf").toStdString());
    store.WriteString("ComPort", silent.SlavePath());
    store.WriteString("LastPath", localDir.path().toStdString());
    store.WriteInt("BaudRate", kBaud);
    if (!store.Flush()) return 1;

    AppFlags flags;
    bench::QuietPrompts prompts;
    MainWindow form(flags, prompts);
    PhoneLink link;
    DriverSettings<SerialPort> port(link.Port);
    PhoneSession session(link, flags, prompts, *form.Progress(), form, form);
    SettingsDialog settings(&form);
    settings.Bind({&store, &port, &link.Channel.PollStep, &flags, &prompts,
                   [&] {
                       return PortScan{{silent.SlavePath(), phone.SlavePath()}, 2};
                   },
                   [] {}});
    // What the dialog does when it shows: cancel at the start, search and Start later.
    std::function<void()> onDialog = [&] { settings.reject(); };
    form.AttachCore({&link, &session, &store, &port, [&](ConnectionAnswer answered) {
                         settings.Open(std::move(answered));
                         QTimer::singleShot(0, &settings, [&] {
                             if (RunUntil([&] { return settings.isVisible(); }, 10000))
                                 onDialog();
                         });
                     }});
    form.show();
    if (!RunUntil([&] { return form.Started() && !form.Busy() && !session.Busy(); }, 120000) ||
        form.PhoneReady()) {
        std::fprintf(stderr, "q7k3-bench-stall: the start did not end without a phone\n");
        return 1;
    }

    // 1. Connect while the search of a plugged-in silent port holds it.
    Ticks ticks;
    const std::filesystem::path dev(devDir.path().toStdString());
    form.Plugs().Watch({dev.string(), (dev / "serial/by-id").string(), 50});
    std::filesystem::create_symlink(silent.SlavePath(), dev / "ttyACM7");
    if (!RunUntil([&] { return form.Plugs().Searching(); }, 10000)) {
        std::fprintf(stderr, "q7k3-bench-stall: the plugged-in port was not searched\n");
        return 1;
    }
    port.SetPortName(phone.SlavePath());
    ticks.Start();
    form.ConnectClick();
    const bool connected = RunUntil([&] { return form.PhoneReady() && !session.Busy(); }, 60000);
    ticks.Stop();
    if (!connected) {
        std::fprintf(stderr, "q7k3-bench-stall: Connect during the search did not connect\n");
        return 1;
    }
    ticks.Print("Connect during a search, window thread", 16);
    const qint64 connectGap = ticks.Longest();

    // 2. The settings: a search of the silent port, and Start while it runs.
    onDialog = [&] {
        settings.SelectPhone(
            PortFinding{phone.SlavePath(), "", PortAnswer::Phone, "SGH-E700", kBaud, {}});
        qputenv("Q7K3FM_SEARCH_PORTS", silent.SlavePath().c_str());
        settings.FindPhoneClick();
        settings.findChild<QPushButton*>(QStringLiteral("Start"))->click();
    };
    ticks.Start();
    form.SettingsClick();
    const bool reconnected = RunUntil(
        [&] { return !settings.isVisible() && form.PhoneReady() && !session.Busy(); }, 60000);
    ticks.Stop();
    qunsetenv("Q7K3FM_SEARCH_PORTS");
    if (!reconnected) {
        std::fprintf(stderr, "q7k3-bench-stall: Start during the search did not connect\n");
        return 1;
    }
    ticks.Print("Settings, search and Start, window thread", 16);
    const qint64 settingsGap = ticks.Longest();

    form.ActivatePhonePane();
    form.Phone().List()->setCurrentItem(form.Phone().List()->FindItem("User"));
    form.OpenPhoneItem();
    RunUntil([&] { return !session.Busy(); }, 60000);
    QTreeWidgetItem* item = form.Phone().List()->FindItem("big.bin");
    if (!item) {
        std::fprintf(stderr, "q7k3-bench-stall: the file is not in the list\n");
        return 1;
    }
    form.Phone().List()->clearSelection();
    item->setSelected(true);
    form.Phone().List()->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);

    // 3. The copy.
    ticks.Start();
    QElapsedTimer copyClock;
    copyClock.start();
    form.DispatchFunctionKey(Qt::Key_F5);
    const bool ended = RunUntil([&] { return !session.Busy(); }, 600000);
    const double copyS = static_cast<double>(copyClock.elapsed()) / 1000.0;
    ticks.Stop();
    QFile copied(QDir(localDir.path()).filePath("big.bin"));
    if (!ended || copied.size() != static_cast<qint64>(data.size()) || ticks.Empty()) {
        std::fprintf(stderr, "q7k3-bench-stall: the copy did not end whole\n");
        return 1;
    }
    // Each byte is 10 bits on the line; the reads send blocks of 512 bytes with their frames.
    const double wireS = static_cast<double>(data.size()) * 10.0 / kBaud;
    std::printf("copy of %d KB at %d bit/s from the window: %.1f s (wire %.1f s, %.2fx)\n", kb,
                kBaud, copyS, wireS, copyS / wireS);
    ticks.Print("copy, window thread", 50);
    form.CloseQuery();
    RunUntil([&] { return form.SessionClosed(); }, 30000);
    phone.Stop();
    silent.Stop();
    return ticks.Longest() <= 50 && connectGap <= 16 && settingsGap <= 16 ? 0 : 2;
}
