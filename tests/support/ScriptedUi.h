#pragma once
// The one set of fakes for everything the core asks of the person at the screen: boxes,
// yes/no questions, the connection dialog, the file-exists and rename questions, the
// progress dialog, and what the window is told by the session. Everything shown goes into
// one event list, so a test can assert the order the user would see, and every box and
// yes/no question also into `shown` with its text, caption and icon. A question the test
// did not script is a failure of the test, never a silent Yes or No.
//
// The session, link, phone file system, command and window tests all use this one class;
// nothing else stands for it.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/Prompts.h"
#include "session/PhoneSession.h"

namespace q7k3::test {

class ScriptedUi : public Prompts,
                   public ProgressView,
                   public ConnectionDialog,
                   public ConflictQuestion,
                   public RenameQuestion,
                   public SessionObserver {
public:
    std::vector<std::string> events;
    // Every box and yes/no question, in order.
    struct Shown {
        std::string Text;
        std::string Caption;
        BoxIcon Icon;
        bool Question;
    };
    std::vector<Shown> shown;
    // The file-exists questions asked (old name, proposed name) and the rename questions.
    struct Asked {
        std::string oldName, newName;
    };
    std::vector<Asked> conflictsAsked;
    std::vector<std::string> renamesAsked;
    // Scripted answers, taken front to back.
    std::deque<bool> yesNo;
    std::deque<bool> dialogAnswers;  // the connection dialog: Start (true) or Cancel
    std::deque<ConflictReply> conflicts;
    std::deque<std::optional<std::string>> newNames;
    // The same yes/no answers under the name the older fakes gave them.
    std::deque<bool>& answers = yesNo;
    // Hooks that run while a box, a question or the connection dialog is "shown".
    std::function<void()> onBox;
    std::function<void()> onShow;
    std::function<void(int shown)> onDialog;
    std::function<void()> onProgressShown;
    int dialogs = 0;
    bool busy = false;
    std::string longStatus;
    std::string quick;
    std::vector<std::string> captions;
    bool visible = false;
    int steps[2] = {0, 0};  // Step calls on bar 1 and bar 2
    std::string status0;
    std::string model;

    // Prompts
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override {
        events.push_back("box " + text + " / " + caption +
                         (icon == BoxIcon::Error ? "" : " (not an error icon)"));
        shown.push_back({text, caption, icon, false});
        if (onBox) onBox();
        if (onShow) onShow();
    }
    bool AskYesNo(const std::string& text, const std::string& caption) override {
        events.push_back("ask " + text + " / " + caption);
        shown.push_back({text, caption, BoxIcon::Question, true});
        if (onShow) onShow();
        if (yesNo.empty()) {
            ADD_FAILURE() << "unscripted question: " << text;
            return false;
        }
        const bool answer = yesNo.front();
        yesNo.pop_front();
        return answer;
    }

    // ConnectionDialog
    void AskConnectionSettings(ConnectionAnswer answered) override {
        answered(AskDialog());
    }
    bool AskDialog() {
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
        conflictsAsked.push_back({oldName, proposed});
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
        renamesAsked.push_back(currentName);
        if (newNames.empty()) {
            ADD_FAILURE() << "unscripted rename question: " << currentName;
            return std::nullopt;
        }
        auto name = newNames.front();
        newNames.pop_front();
        return name;
    }

    // ProgressView
    void Show() override {
        visible = true;
        events.push_back("progress shown");
        if (onProgressShown) onProgressShown();
    }
    void Hide() override {
        visible = false;
        events.push_back("progress hidden");
    }
    void SetCaption(const std::string& text) override { captions.push_back(text); }
    void SetQuickStatus(const std::string& text) override { quick = text; }
    void SetLongStatus(const std::string& text) override { longStatus = text; }
    void SetMax(int bar, int max) override { m_max[Index(bar)] = max; }
    void SetPosition(int bar, int position) override { m_pos[Index(bar)] = position; }
    void Step(int bar) override {
        ++m_pos[Index(bar)];
        ++steps[Index(bar)];
    }
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

// A session that runs its tasks inline ends each call before it returns: these give the
// results its asynchronous calls hand to their callbacks.
inline bool StartNow(PhoneSession& session, bool portStored) {
    bool ok = false;
    session.Start(portStored, [&ok](bool connected) { ok = connected; });
    return ok;
}
inline bool DialogLoopNow(PhoneSession& session) {
    bool ok = false;
    session.ConnectionDialogLoop([&ok](bool connected) { ok = connected; });
    return ok;
}
// How the operation ended; nothing when the session refused it.
inline std::optional<Outcome> RunNow(PhoneSession& session, const BusyView& view,
                                     PhoneSession::Operation operation) {
    std::optional<Outcome> outcome;
    if (!session.Run(view, std::move(operation), [&outcome](Outcome o) { outcome = o; }))
        return std::nullopt;
    return outcome;
}
inline std::optional<Outcome> RescanNow(PhoneSession& session) {
    std::optional<Outcome> outcome;
    if (!session.Rescan([&outcome](Outcome o) { outcome = o; })) return std::nullopt;
    return outcome;
}

}  // namespace q7k3::test
