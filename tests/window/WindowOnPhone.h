#pragma once
// The program as its entry builds it, against the phone emulator: the settings store in a
// folder of its own, the window, the link and the session. Window tests that need a phone
// derive their fixtures from it.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "emulator/PhoneEmulator.h"
#include "link/PhoneLink.h"
#include "settings/SettingsStore.h"
#include "session/PhoneSession.h"
#include "window/MainWindow.h"
#include "window/ProgressDialog.h"
#include "window/Texts.h"
#include "window/WindowTestSupport.h"

namespace q7k3::test {

inline std::string ReadLocal(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
}

inline bool WriteLocal(const QString& path, const std::string& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) ==
               static_cast<qint64>(bytes.size());
}

template <class Form = MainWindow>
struct WindowOnPhone {
    QTemporaryDir configDir;
    QTemporaryDir localDir;
    std::unique_ptr<PhoneEmulator> phone;
    std::unique_ptr<SettingsStore> store;
    AppFlags flags;
    ScriptedUi prompts;
    std::unique_ptr<Form> form;
    std::unique_ptr<PhoneLink> link;
    std::unique_ptr<DriverSettings<SerialPort>> port;
    std::unique_ptr<PhoneSession> session;

    // Starts the emulated phone.
    void StartPhone(emu::EmulatorConfig config = {}) {
        phone = std::make_unique<PhoneEmulator>(config);
        ASSERT_TRUE(phone->Start()) << phone->Error();
    }

    // The settings a previous run left: the phone's port, and the computer pane's folder.
    void StoreSettings() {
        ASSERT_TRUE(configDir.isValid() && localDir.isValid());
        store = std::make_unique<SettingsStore>(S(configDir.filePath("Q7K3FileManager.conf")));
        store->WriteString("ComPort", phone->SlavePath());
        store->WriteString("LastPath", S(localDir.path()));
        ASSERT_TRUE(store->Flush());
    }

    // Builds the program as its entry does and shows the window; `dialog` stands for the
    // settings dialog (true for its "Старт").
    void ShowWindow(std::function<bool()> dialog = [] { return false; }) {
        form = std::make_unique<Form>(flags, prompts);
        link = std::make_unique<PhoneLink>();
        port = std::make_unique<DriverSettings<SerialPort>>(link->Port);
        session =
            std::make_unique<PhoneSession>(*link, flags, prompts, *form->Progress(), *form, *form);
        form->AttachCore({link.get(), session.get(), store.get(), port.get(),
                          AnswerAtOnce(std::move(dialog))});
        form->show();
        ASSERT_TRUE(WaitUntil([&] { return form->Initialized(); }));
    }

    // Start-up runs from the event loop; it has finished once the window is idle again
    // and no dialog is pending.
    void WaitForStartUp() {
        ASSERT_TRUE(WaitUntil([&] { return form->Started() && !form->Busy(); }, 30000));
        Settle();
    }

    // Whatever was set going ends on the session's link thread; this waits until it has,
    // and the window has heard of it.
    void Settle(int limitMs = 30000) {
        ASSERT_TRUE(WaitUntil([&] { return !session || !session->Busy(); }, limitMs));
        QApplication::processEvents();
    }

    // The usual start: the phone, the stored settings, the window, and the phone read.
    void Boot(emu::EmulatorConfig config = {}) {
        StartPhone(config);
        StoreSettings();
        ShowWindow();
        WaitForStartUp();
        ASSERT_TRUE(form->PhoneReady());
    }

    // Closes as the user does, then releases the program and stops the phone.
    void Close() {
        if (form) form->CloseQuery();
        session.reset();
        form.reset();
        port.reset();
        link.reset();
        if (phone) phone->Stop();
    }

    // Whatever a test did, the window is left usable with no progress on the screen.
    void ExpectIdle() {
        if (!form) return;
        Settle();
        EXPECT_TRUE(form->isEnabled());
        EXPECT_FALSE(form->Busy());
        EXPECT_FALSE(form->Progress()->isVisible());
    }
};

}  // namespace q7k3::test
