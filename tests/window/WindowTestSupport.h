#pragma once
// Shared pieces of the window tests: one QApplication for the whole binary (offscreen),
// the scripted prompts (support/ScriptedUi.h) that record what the program asked, and a driver that
// answers modal dialogs so that no unanswered dialog can block a test.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "base/Prompts.h"
#include "support/ScriptedUi.h"
#include "base/Language.h"

namespace q7k3::test {

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "window_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) m_app = new QApplication(argc, argv);
        // As the program does; ctest pins Russian with Q7K3FM_LANGUAGE, the English entries
        // clear it and set the locale.
#ifdef Q7K3_BIN_DIR
        UseLanguage(ChooseLanguage(""), {QString::fromUtf8(Q7K3_BIN_DIR)});
#else
        UseLanguage(ChooseLanguage(""));
#endif
    }
    void TearDown() override {
        delete m_app;
        m_app = nullptr;
    }

private:
    QApplication* m_app = nullptr;
};

// The boxes and questions the program showed: the one set of scripted fakes, where an
// unscripted question fails the test.

// Runs `act` on the first modal dialog that appears (polling the event loop), so a test
// can answer a dialog that its code opens with exec(). Should nothing appear within the
// time limit, the guard records a failure; should the act leave the dialog open, every
// modal dialog is rejected after the limit so the test always ends.
class ModalDriver {
public:
    using Act = std::function<void(QWidget* modal)>;

    explicit ModalDriver(Act act, int limitMs = 5000) : m_act(std::move(act)), m_limitMs(limitMs) {
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(10);
    }
    ~ModalDriver() { m_timer.stop(); }
    bool Acted() const { return m_acted; }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && !m_acted) {
            m_acted = true;
            m_act(modal);
            return;
        }
        if (m_clock.elapsed() > m_limitMs) {
            while (QWidget* w = QApplication::activeModalWidget()) {
                if (auto* d = qobject_cast<QDialog*>(w))
                    d->done(QDialog::Rejected);
                else
                    w->close();
            }
            if (!m_acted) ADD_FAILURE() << "no modal dialog appeared";
            m_acted = true;
            m_timer.stop();
        }
    }

    Act m_act;
    int m_limitMs;
    bool m_acted = false;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

// Processes events until `done` holds or the limit passes; returns `done()`. Between
// rounds it sleeps a little, so that the session's link thread and the phone emulator get
// the processor they need.
inline bool WaitUntil(const std::function<bool()>& done, int limitMs = 5000) {
    QDeadlineTimer deadline(limitMs);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!done()) QThread::usleep(300);
    }
    return true;
}

// A stand-in for the settings dialog that answers as soon as it is asked.
inline std::function<void(ConnectionAnswer)> AnswerAtOnce(std::function<bool()> start) {
    return [start = std::move(start)](ConnectionAnswer answered) { answered(start()); };
}

}  // namespace q7k3::test
