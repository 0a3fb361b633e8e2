#pragma once
// The parts above the connection, scripted: the settings dialog's answers, message
// boxes, the progress dialog and the main window's side, all recorded in one event list
// so a test can assert the order the user would see.

#include <QCoreApplication>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/Connection.h"

namespace q7k3::test {

inline void EnsureCoreApp() {
    static int argc = 1;
    static char name[] = "link_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) new QCoreApplication(argc, argv);
}

struct ScriptedWindow : Prompts, ProgressView, ConnectionHost {
    std::vector<std::string> events;
    std::deque<bool> dialogAnswers;  // Start (true) or Cancel; none left is Cancel
    std::function<void(int shown)> onDialog;
    std::function<bool()> onScan;  // null: the scan succeeds
    std::function<void()> onBox;   // runs while a message box is "shown"
    bool phoneReady = false;
    bool atRoot = true;
    int dialogs = 0;
    std::string longStatus;

    // Prompts
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override {
        events.push_back("box " + text + " / " + caption +
                         (icon == BoxIcon::Error ? "" : " (not an error icon)"));
        if (onBox) onBox();
    }
    bool AskYesNo(const std::string& text, const std::string&) override {
        events.push_back("ask " + text);
        return true;
    }

    // ProgressView
    void Show() override { events.push_back("progress shown"); }
    void Hide() override { events.push_back("progress hidden"); }
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string&) override {}
    void SetLongStatus(const std::string& text) override { longStatus = text; }
    void SetMax(int, int) override {}
    void SetPosition(int, int) override {}
    void Step(int) override {}
    int Position(int) const override { return 0; }
    int Max(int) const override { return 0; }

    // ConnectionHost
    bool ShowSettingsDialog() override {
        events.push_back("dialog");
        if (onDialog) onDialog(dialogs);
        ++dialogs;
        if (dialogAnswers.empty()) return false;
        const bool start = dialogAnswers.front();
        dialogAnswers.pop_front();
        return start;
    }
    void SetMainWindowEnabled(bool enabled) override {
        events.push_back(enabled ? "window enabled" : "window disabled");
    }
    bool BuildFileListCache() override {
        events.push_back("scan");
        phoneReady = onScan ? onScan() : true;
        return phoneReady;
    }
    bool PhoneReady() const override { return phoneReady; }
    void ClearPhoneReady() override { phoneReady = false; }
    void DropTree() override {
        events.push_back("tree dropped");
        phoneReady = false;
    }
    bool CurrentFolderIsRoot() const override { return atRoot; }
    void RescanBtnClick() override { events.push_back("rescan"); }

    // The events that name one of `prefixes`, in order (boxes, dialogs, ...).
    std::vector<std::string> Only(std::initializer_list<const char*> prefixes) const {
        std::vector<std::string> out;
        for (const auto& e : events) {
            for (const char* p : prefixes) {
                if (e.rfind(p, 0) == 0) {
                    out.push_back(e);
                    break;
                }
            }
        }
        return out;
    }
};

}  // namespace q7k3::test
