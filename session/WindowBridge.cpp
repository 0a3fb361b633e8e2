#include "session/WindowBridge.h"

#include <QMetaObject>
#include <QThread>
#include <chrono>

namespace q7k3 {
namespace {
// How often a waiting question looks whether the session closed meanwhile.
constexpr auto kCloseCheck = std::chrono::milliseconds(50);
}  // namespace

bool WindowBridge::OnWindowThread() const { return QThread::currentThread() == m_window.thread(); }

void WindowBridge::Post(std::function<void()> call) {
    // Handed to the window's thread: once the session is gone, the call goes with it.
    m_window.Post(std::move(call));
}

void WindowBridge::Tell(std::function<void()> tell) {
    if (OnWindowThread()) {
        tell();
        return;
    }
    Post(std::move(tell));
}

bool WindowBridge::WaitAnswer(AnswerWait& wait) {
    std::unique_lock lock(wait.Mutex);
    while (!wait.Done) {
        if (Closing() && !wait.Started) {
            wait.Abandoned = true;
            return false;
        }
        wait.Answered.wait_for(lock, kCloseCheck);
    }
    return true;
}

bool WindowBridge::Start(AnswerWait& wait) {
    std::lock_guard lock(wait.Mutex);
    if (wait.Abandoned) return false;
    wait.Started = true;
    return true;
}

void WindowBridge::Finish(AnswerWait& wait) {
    {
        std::lock_guard lock(wait.Mutex);
        wait.Done = true;
    }
    wait.Answered.notify_all();
}

void BridgedPrompts::MessageBox(const std::string& text, const std::string& caption,
                                BoxIcon icon) {
    // Once the session closes no box is shown: the window it would belong to may be gone.
    m_bridge.Ask<bool>(
        [&] {
            m_prompts.MessageBox(text, caption, icon);
            return true;
        },
        false);
}

bool BridgedPrompts::AskYesNo(const std::string& text, const std::string& caption) {
    return m_bridge.Ask<bool>([&] { return m_prompts.AskYesNo(text, caption); }, false);
}

bool BridgedPrompts::AskYesNoWithIcon(const std::string& text, const std::string& caption,
                                      BoxIcon icon) {
    return m_bridge.Ask<bool>([&] { return m_prompts.AskYesNoWithIcon(text, caption, icon); },
                              false);
}

bool BridgedPrompts::AskYesNoDefaultNo(const std::string& text, const std::string& caption) {
    return m_bridge.Ask<bool>([&] { return m_prompts.AskYesNoDefaultNo(text, caption); }, false);
}

bool BridgedPrompts::AskYesNoDefaultNoWithIcon(const std::string& text, const std::string& caption,
                                               BoxIcon icon) {
    return m_bridge.Ask<bool>(
        [&] { return m_prompts.AskYesNoDefaultNoWithIcon(text, caption, icon); }, false);
}

void BridgedProgress::Show() {
    m_bridge.Tell([this] { m_progress.Show(); });
}

void BridgedProgress::Hide() {
    m_bridge.Tell([this] { m_progress.Hide(); });
}

void BridgedProgress::SetFileBytes(int64_t done, int64_t total, int64_t elapsedMs) {
    m_bridge.Tell(
        [this, done, total, elapsedMs] { m_progress.SetFileBytes(done, total, elapsedMs); });
}

void BridgedProgress::SetCaption(const std::string& text) {
    m_bridge.Tell([this, text] { m_progress.SetCaption(text); });
}

void BridgedProgress::SetQuickStatus(const std::string& text) {
    m_bridge.Tell([this, text] { m_progress.SetQuickStatus(text); });
}

void BridgedProgress::SetLongStatus(const std::string& text) {
    m_bridge.Tell([this, text] { m_progress.SetLongStatus(text); });
}

void BridgedProgress::SetMax(int bar, int max) {
    m_max[Index(bar)] = max;
    m_bridge.Tell([this, bar, max] { m_progress.SetMax(bar, max); });
}

void BridgedProgress::SetPosition(int bar, int position) {
    m_pos[Index(bar)] = position;
    m_bridge.Tell([this, bar, position] { m_progress.SetPosition(bar, position); });
}

void BridgedProgress::Step(int bar) {
    ++m_pos[Index(bar)];
    m_bridge.Tell([this, bar] { m_progress.Step(bar); });
}

int BridgedProgress::Position(int bar) const { return m_pos[Index(bar)]; }

int BridgedProgress::Max(int bar) const { return m_max[Index(bar)]; }

void BridgedProgress::Mirror() {
    for (const int bar : {1, 2}) {
        m_max[Index(bar)] = m_progress.Max(bar);
        m_pos[Index(bar)] = m_progress.Position(bar);
    }
}

ConflictReply BridgedQuestions::AskConflict(const std::string& oldName,
                                            const std::string& proposedName) {
    ConflictQuestion* conflicts = m_conflicts;
    if (!conflicts) return {};
    return m_bridge.Ask<ConflictReply>(
        [&] { return conflicts->AskConflict(oldName, proposedName); }, ConflictReply{});
}

ConflictReply BridgedQuestions::AskConflictAbout(const std::string& oldName,
                                                 const std::string& proposedName,
                                                 const ConflictFacts& facts) {
    ConflictQuestion* conflicts = m_conflicts;
    if (!conflicts) return {};
    return m_bridge.Ask<ConflictReply>(
        [&] { return conflicts->AskConflictAbout(oldName, proposedName, facts); }, ConflictReply{});
}

std::optional<std::string> BridgedQuestions::AskNewName(const std::string& currentName) {
    RenameQuestion* renames = m_renames;
    if (!renames) return std::nullopt;
    return m_bridge.Ask<std::optional<std::string>>(
        [&] { return renames->AskNewName(currentName); }, std::nullopt);
}

}  // namespace q7k3
