#pragma once
// The one set of fakes for everything the core asks of the person at the screen: boxes,
// yes/no questions, the connection dialog, the file-exists and rename questions, the
// progress dialog, and what the window is told by the session. Everything shown goes into
// one event list, so a test can assert the order the user would see. A question the test
// did not script is a failure of the test, never a silent Yes or No.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "link/Prompts.h"
#include "phonefs/PhoneSession.h"

namespace q7k3::test {

class ScriptedUi : public Prompts,
                   public ProgressView,
                   public ConnectionDialog,
                   public ConflictQuestion,
                   public RenameQuestion,
                   public SessionObserver {
public:
    std::vector<std::string> events;
    // Scripted answers, taken front to back.
    std::deque<bool> yesNo;
    std::deque<bool> dialogAnswers;  // the connection dialog: Start (true) or Cancel
    std::deque<ConflictReply> conflicts;
    std::deque<std::optional<std::string>> newNames;
    // Hooks that run while a box or the connection dialog is "shown".
    std::function<void()> onBox;
    std::function<void(int shown)> onDialog;
    int dialogs = 0;
    bool busy = false;
    std::string longStatus;
    std::string status0;
    std::string model;

    // Prompts
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override {
        events.push_back("box " + text + " / " + caption +
                         (icon == BoxIcon::Error ? "" : " (not an error icon)"));
        if (onBox) onBox();
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        events.push_back("ask " + text + " / " + caption);
        if (yesNo.empty()) {
            ADD_FAILURE() << "unscripted question: " << text;
            return false;
        }
        const bool answer = yesNo.front();
        yesNo.pop_front();
        return answer;
    }

    // ConnectionDialog
    bool AskConnectionSettings() override {
        events.push_back(busy ? "dialog (window busy)" : "dialog");
        if (onDialog) onDialog(dialogs);
        ++dialogs;
        if (dialogAnswers.empty()) {
            ADD_FAILURE() << "unscripted connection dialog";
            return false;
        }
        const bool start = dialogAnswers.front();
        dialogAnswers.pop_front();
        return start;
    }

    // ConflictQuestion
    ConflictReply AskConflict(const std::string& oldName, const std::string& proposed) override {
        events.push_back("conflict " + oldName + " -> " + proposed);
        if (conflicts.empty()) {
            ADD_FAILURE() << "unscripted file-exists question: " << oldName;
            return {};
        }
        ConflictReply reply = conflicts.front();
        conflicts.pop_front();
        return reply;
    }

    // RenameQuestion
    std::optional<std::string> AskNewName(const std::string& currentName) override {
        events.push_back("rename " + currentName);
        if (newNames.empty()) {
            ADD_FAILURE() << "unscripted rename question: " << currentName;
            return std::nullopt;
        }
        auto name = newNames.front();
        newNames.pop_front();
        return name;
    }

    // ProgressView
    void Show() override { events.push_back("progress shown"); }
    void Hide() override { events.push_back("progress hidden"); }
    void SetCaption(const std::string&) override {}
    void SetQuickStatus(const std::string&) override {}
    void SetLongStatus(const std::string& text) override { longStatus = text; }
    void SetMax(int bar, int max) override { m_max[Index(bar)] = max; }
    void SetPosition(int bar, int position) override { m_pos[Index(bar)] = position; }
    void Step(int bar) override { ++m_pos[Index(bar)]; }
    int Position(int bar) const override { return m_pos[Index(bar)]; }
    int Max(int bar) const override { return m_max[Index(bar)]; }

    // SessionObserver
    void TreeChanged() override { events.push_back("tree changed"); }
    void FolderChanged() override { events.push_back("folder changed"); }
    void BusyChanged(bool b) override {
        busy = b;
        events.push_back(b ? "busy" : "idle");
    }
    void ModelChanged(const std::string& m) override { model = m; }
    void StatusChanged(const std::string& text) override { status0 = text; }

    // The events that start with one of `prefixes`, in order.
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

private:
    static int Index(int bar) { return bar == 2 ? 1 : 0; }
    int m_max[2] = {0, 0};
    int m_pos[2] = {0, 0};
};

}  // namespace q7k3::test
