// How long the window's thread is kept from its events while the phone works: a 300 KB
// file copied from the phone paced at 115200 bit/s, from the window as the user does it
// (F5 in the phone pane), with a 10 ms timer on the window's thread. Reports the longest gap
// between two ticks during the copy, the median gap and the copy's time against its wire
// time. The program's goal: the longest gap at most 50 ms.
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

#include "bench/BenchPrompts.h"
#include "emulator/PhoneEmulator.h"
#include "link/PhoneLink.h"
#include "link/SettingsStore.h"
#include "phonefs/PhoneSession.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/PhonePane.h"
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
    QTemporaryDir configDir, localDir;
    if (!phone.Start() || !configDir.isValid() || !localDir.isValid() ||
        !phone.PutFile("B", "big.bin", data)) {
        std::fprintf(stderr, "q7k3-bench-stall: the emulated phone does not start\n");
        return 1;
    }
    SettingsStore store(configDir.filePath("Q7K3FileManager.conf").toStdString());
    store.WriteString("ComPort", phone.SlavePath());
    store.WriteString("LastPath", localDir.path().toStdString());
    store.WriteInt("BaudRate", kBaud);
    if (!store.Flush()) return 1;

    AppFlags flags;
    bench::QuietPrompts prompts;
    MainWindow form(flags, prompts);
    PhoneLink link;
    DriverSettings<SerialPort> port(link.Port);
    PhoneSession session(link, flags, prompts, *form.Progress(), form, form);
    form.AttachCore({&link, &session, &store, &port, [] { return false; }});
    form.show();
    if (!RunUntil([&] { return form.Started() && !form.Busy() && !session.Busy(); }, 120000) ||
        !form.PhoneReady()) {
        std::fprintf(stderr, "q7k3-bench-stall: the window did not read the phone\n");
        return 1;
    }
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

    // The ticks: each one notes how long it came after the one before.
    std::vector<qint64> gaps;
    QElapsedTimer tickClock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (tickClock.isValid()) gaps.push_back(tickClock.restart());
        else tickClock.start();
    });
    ticker.start(10);
    QElapsedTimer copyClock;
    copyClock.start();
    form.DispatchFunctionKey(Qt::Key_F5);
    const bool ended = RunUntil([&] { return !session.Busy(); }, 600000);
    const double copyS = static_cast<double>(copyClock.elapsed()) / 1000.0;
    ticker.stop();
    QFile copied(QDir(localDir.path()).filePath("big.bin"));
    if (!ended || copied.size() != static_cast<qint64>(data.size()) || gaps.empty()) {
        std::fprintf(stderr, "q7k3-bench-stall: the copy did not end whole\n");
        return 1;
    }
    std::sort(gaps.begin(), gaps.end());
    // Each byte is 10 bits on the line; the reads send blocks of 512 bytes with their frames.
    const double wireS = static_cast<double>(data.size()) * 10.0 / kBaud;
    std::printf("copy of %d KB at %d bit/s from the window: %.1f s (wire %.1f s, %.2fx)\n", kb,
                kBaud, copyS, wireS, copyS / wireS);
    std::printf("window thread, 10 ms timer: %zu ticks, median gap %lld ms, longest gap %lld ms "
                "(goal <= 50 ms)\n",
                gaps.size(), static_cast<long long>(gaps[gaps.size() / 2]),
                static_cast<long long>(gaps.back()));
    form.CloseQuery();
    RunUntil([&] { return form.SessionClosed(); }, 30000);
    phone.Stop();
    return gaps.back() <= 50 ? 0 : 2;
}
