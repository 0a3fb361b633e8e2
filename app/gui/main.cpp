// q7k3fm: the two-pane file manager window.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLocale>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/cli/StopSignals.h"
#include "commands/CommandSupport.h"
#include "link/AppFlags.h"
#include "link/PhoneLink.h"
#include "link/ProtocolTrace.h"
#include "link/SettingsStore.h"
#include "link/widgets/SettingsDialog.h"
#include "phonefs/PhoneSession.h"
#include "preview/SmafEngine.h"
#include "ui/HandOff.h"
#include "ui/Language.h"
#include "ui/Messages.h"
#include "window/MainWindow.h"
#include "window/ProgressDialog.h"
#include "window/QtPrompts.h"

namespace {

// The language of every text: Q7K3FM_LANGUAGE, the stored choice, then the desktop's.
q7k3::Language SetLanguage() {
    const q7k3::Language language = q7k3::ChooseLanguage(
        q7k3::SettingsStore().ReadString(q7k3::kLanguageKey, "auto"));
    q7k3::UseLanguage(language);
    return language;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            // No display is needed to say how the program is called.
            QCoreApplication core(argc, argv);
            SetLanguage();
            std::printf("%s\n", q7k3::Msg(q7k3::kMsgGuiUsage).c_str());
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Q7K3FileManager"));
    // The menu entry's name: the desktop shows its icon beside the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("q7k3fm"));
    // The local pane's sizes and file types read as they would on a desktop of the
    // program's language.
    QLocale::setDefault(SetLanguage() == q7k3::Language::Russian
                            ? QLocale(QLocale::Russian, QLocale::Russia)
                            : QLocale(QLocale::English, QLocale::UnitedStates));

    using namespace q7k3;
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
    // SIGTERM, SIGINT and SIGHUP end the program as closing its window does: the phone's
    // command under way stops at its next safe point, the settings are saved, the port is
    // closed and the private temporary directory removed. A second signal ends it at once
    // (still without the temporary directory). The session asks what runs to stop and
    // answers its question with the cancel; a dialog of the window's own (the settings, a
    // folder chooser) is answered with its cancel too, until the window has gone.
    int exitCode = 0;
    auto closeOnSignal = [&](int sig) {
        exitCode = 128 + sig;
        auto* poll = new QTimer(&app);
        poll->setInterval(50);
        QObject::connect(poll, &QTimer::timeout, &app, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
            window.close();
            if (window.SessionClosed()) QCoreApplication::exit(exitCode);
        });
        poll->start();
    };
    std::atomic<int> firstSignal{0};
    HandOff toWindow(&app);
    // The last of main's locals: its thread is joined before any of the others go.
    const StopSignalWatch stopSignals([&](int sig) {
        if (firstSignal.exchange(sig) != 0) EndProcessNow(128 + sig);
        toWindow.Post([closeOnSignal, sig] { closeOnSignal(sig); });
    });

    window.show();
    const int code = app.exec();
    SmafDone();
    // The session's link thread has ended (closing waited for it) before the port goes.
    // Whatever way the program ends, the port is closed before the driver goes.
    link.Port.Disconnect();
    // Closed by a stop signal: the window may have gone on its own once the session had
    // closed, before the signal's code was handed to the event loop.
    return exitCode != 0 ? exitCode : code;
}
