// The window program: the two-pane file manager window with its phone session.

#include "app/gui/WindowProgram.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLocale>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/StopSignals.h"
#include "commands/CommandSupport.h"
#include "base/AppFlags.h"
#include "link/PhoneLink.h"
#include "link/ProtocolTrace.h"
#include "settings/SettingsStore.h"
#include "settings/widgets/SettingsDialog.h"
#include "session/PhoneSession.h"
#include "preview/SmafEngine.h"
#include "base/HandOff.h"
#include "base/Language.h"
#include "base/Messages.h"
#include "window/MainWindow.h"
#include "window/ProgressDialog.h"
#include "window/QtPrompts.h"

namespace q7k3 {
namespace {

// SIGTERM, SIGINT and SIGHUP end the program as closing its window does: the settings are
// saved, the port is closed and the private temporary directory removed. What runs on the
// phone stops at its next safe point; a write to the phone stops at its next data prompt,
// leaving the phone to give it up by itself (the next connection waits that out, and finds
// the old file whole). The whole close takes at most kSignalCloseMs: then the process ends
// even with the link stuck in a wait, the settings written first. A second signal ends it
// at once (still without the temporary directory).
constexpr std::chrono::milliseconds kSignalCloseMs{1800};
// How much longer the end waits for the settings to be written, should the window's thread
// be that slow.
constexpr std::chrono::milliseconds kSettingsGraceMs{3000};

// The language of every text: Q7K3FM_LANGUAGE, the stored choice, then the desktop's.
Language SetLanguage() {
    const Language language = ChooseLanguage(SettingsStore().ReadString(kLanguageKey, "auto"));
    UseLanguage(language);
    return language;
}

}  // namespace

int RunWindowProgram(int argc, char** argv, const WindowShown& shown) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            // No display is needed to say how the program is called.
            QCoreApplication core(argc, argv);
            SetLanguage();
            std::printf("%s\n", Msg(kMsgGuiUsage).c_str());
            return 0;
        }
    }
    QApplication app(argc, argv);
    // True once the window's close has written the settings.
    std::atomic<bool> settingsSaved{false};
    // Made before everything a stuck close could hang in: it outlives their destructors.
    ExitDeadline signalDeadline;
    QApplication::setApplicationName(QStringLiteral("Q7K3FileManager"));
    // The menu entry's name: the desktop shows its icon beside the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("q7k3fm"));
    // The local pane's sizes and file types read as they would on a desktop of the
    // program's language.
    QLocale::setDefault(SetLanguage() == Language::Russian
                            ? QLocale(QLocale::Russian, QLocale::Russia)
                            : QLocale(QLocale::English, QLocale::UnitedStates));

    AppFlags flags;
    // The settings dialog's trace switch takes effect whenever the port is opened.
    ProcessTrace().Follow(&flags.Trace, DefaultTracePath());
    QtPrompts prompts;
    // The windows first, then the communication module; every text comes from the
    // catalogue, which needs no window of its own.
    MainWindow window(flags, prompts);
    prompts.SetParent(&window);
    PhoneLink link;
    SettingsStore store;
    store.SetPrompts(&prompts);
    DriverSettings<SerialPort> port(link.Port);
    PhoneSession session(link, flags, prompts, *window.Progress(), window, window);
    // A replacement an earlier run was killed in the middle of is finished, and said so.
    session.AfterIdentify = [](PhoneFs& fs) {
        std::string text;
        for (const std::string& line : commands::FinishUnfinishedReplacements(fs))
            text += (text.empty() ? "" : "\r\n") + line;
        if (!text.empty())
            fs.Ui().MessageBox(text, Msg(kMsgAttentionCaption), BoxIcon::Information);
    };
    SettingsDialog settingsForm(&window);
    settingsForm.Bind({&store, &port, &link.Channel.PollStep, &flags, &prompts, nullptr, nullptr});

    window.AttachCore({&link, &session, &store, &port, [&settingsForm](ConnectionAnswer answered) {
                           settingsForm.Open(std::move(answered));
                       }});
    window.OfferSearch = [&settingsForm](const std::string& silent) {
        settingsForm.OfferSearch(silent);
    };
    window.SetComputerPath(QDir::homePath());
    // The melody player; without a soundfont or a sound device melodies stay silent.
    SmafInit("");
    // A stop signal closes the window as the user does: the session asks what runs to stop
    // and answers its question with the cancel. A dialog of the window's own (the settings,
    // a folder chooser) is answered with its cancel too, until the window has gone.
    int exitCode = 0;
    auto closeOnSignal = [&](int sig) {
        exitCode = 128 + sig;
        const auto closeWindow = [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
            window.close();
            settingsSaved = true;
            if (window.SessionClosed()) QCoreApplication::exit(exitCode);
        };
        auto* poll = new QTimer(&app);
        poll->setInterval(50);
        QObject::connect(poll, &QTimer::timeout, &app, closeWindow);
        poll->start();
        closeWindow();
    };
    std::atomic<int> firstSignal{0};
    HandOff toWindow(&app);
    // The last of main's locals: its thread is joined before any of the others go.
    const StopSignalWatch stopSignals([&](int sig) {
        if (firstSignal.exchange(sig) != 0) EndProcessNow(128 + sig);
        session.EndAtOnce();
        signalDeadline.Arm(kSignalCloseMs, 128 + sig, settingsSaved, kSettingsGraceMs);
        toWindow.Post([closeOnSignal, sig] { closeOnSignal(sig); });
    });

    window.show();
    if (shown) shown(window, session);
    const int code = app.exec();
    SmafDone();
    // The session's link thread has ended (closing waited for it) before the port goes.
    // Whatever way the program ends, the port is closed before the driver goes.
    link.Port.Disconnect();
    // Closed by a stop signal: the window may have gone on its own once the session had
    // closed, before the signal's code was handed to the event loop.
    return exitCode != 0 ? exitCode : code;
}

}  // namespace q7k3
