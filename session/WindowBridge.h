#pragma once
// What an operation on the link thread says to the person at the screen goes through here to
// the window's thread: progress is posted and not waited for; a box or a question is put on
// the window's thread while the link thread waits for the answer. Once the session closes, a
// question is answered with its cancel at once and no box is shown: the window may be gone.
// Called on the window's thread itself (a task run inline), everything happens at once.

#include <QObject>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "base/Prompts.h"
#include "base/StopSignal.h"
#include "base/HandOff.h"

namespace q7k3 {

// One question on its way to the window's thread and back.
struct AnswerWait {
    std::mutex Mutex;
    std::condition_variable Answered;
    bool Started = false;    // the window's side is asking: the asker waits for the end
    bool Done = false;       // the window's side has finished with it
    bool Abandoned = false;  // the asker stopped waiting before it started (session closed)
};

class WindowBridge {
public:
    // `window` lives on the window's thread; `closing` is raised when the session closes.
    WindowBridge(HandOff& window, const StopSignal& closing)
        : m_window(window), m_closing(closing) {}

    bool OnWindowThread() const;
    bool Closing() const { return m_closing.Raised(); }

    // Runs `tell` on the window's thread, in the order posted, without waiting for it.
    void Tell(std::function<void()> tell);
    // Runs `ask` on the window's thread and returns its answer; `cancel` when the session
    // closes before the answer came.
    template <class R>
    R Ask(const std::function<R()>& ask, R cancel);

private:
    // Waits until the window's side is done, giving up when the session closes; true when
    // it was done.
    bool WaitAnswer(AnswerWait& wait);
    // The window's side: Start is false when the asker has given up (nothing is to be
    // asked); Finish marks the answer there.
    static bool Start(AnswerWait& wait);
    static void Finish(AnswerWait& wait);
    void Post(std::function<void()> call);

    HandOff& m_window;
    const StopSignal& m_closing;
};

// The boxes and yes/no questions of Prompts, asked through the bridge.
class BridgedPrompts final : public Prompts {
public:
    BridgedPrompts(WindowBridge& bridge, Prompts& prompts) : m_bridge(bridge), m_prompts(prompts) {}
    void MessageBox(const std::string& text, const std::string& caption, BoxIcon icon) override;
    bool AskYesNo(const std::string& text, const std::string& caption) override;
    bool AskYesNoWithIcon(const std::string& text, const std::string& caption,
                          BoxIcon icon) override;
    bool AskYesNoDefaultNo(const std::string& text, const std::string& caption) override;
    bool AskYesNoDefaultNoWithIcon(const std::string& text, const std::string& caption,
                                   BoxIcon icon) override;

private:
    WindowBridge& m_bridge;
    Prompts& m_prompts;
};

// The progress dialog through the bridge. Positions and maxima are kept on this side too,
// so that an operation reads back what it set without waiting for the window.
class BridgedProgress final : public ProgressView {
public:
    BridgedProgress(WindowBridge& bridge, ProgressView& progress)
        : m_bridge(bridge), m_progress(progress) {}
    void Show() override;
    void Hide() override;
    void SetCaption(const std::string& text) override;
    void SetQuickStatus(const std::string& text) override;
    void SetLongStatus(const std::string& text) override;
    void SetMax(int bar, int max) override;
    void SetPosition(int bar, int position) override;
    void Step(int bar) override;
    int Position(int bar) const override;
    int Max(int bar) const override;
    void SetFileBytes(int64_t done, int64_t total, int64_t elapsedMs) override;
    // The window's side was changed directly (the session set the bars before a task).
    void Mirror();

private:
    static int Index(int bar) { return bar == 2 ? 1 : 0; }
    WindowBridge& m_bridge;
    ProgressView& m_progress;
    std::atomic<int> m_max[2] = {0, 0};
    std::atomic<int> m_pos[2] = {0, 0};
};

// The conflict and rename questions of the commands, through the bridge; without a window
// question behind them they answer with their cancel.
class BridgedQuestions final : public ConflictQuestion, public RenameQuestion {
public:
    explicit BridgedQuestions(WindowBridge& bridge) : m_bridge(bridge) {}
    void Set(ConflictQuestion* conflicts, RenameQuestion* renames) {
        m_conflicts = conflicts;
        m_renames = renames;
    }
    ConflictReply AskConflict(const std::string& oldName, const std::string& proposedName) override;
    ConflictReply AskConflictAbout(const std::string& oldName, const std::string& proposedName,
                                   const ConflictFacts& facts) override;
    std::optional<std::string> AskNewName(const std::string& currentName) override;

private:
    WindowBridge& m_bridge;
    ConflictQuestion* m_conflicts = nullptr;
    RenameQuestion* m_renames = nullptr;
};

// ---------------------------------------------------------------------------------------

template <class R>
R WindowBridge::Ask(const std::function<R()>& ask, R cancel) {
    if (OnWindowThread()) return ask();
    if (Closing()) return cancel;
    struct Shared {
        AnswerWait wait;
        std::optional<R> answer;
    };
    auto shared = std::make_shared<Shared>();
    Post([shared, ask, this] {
        // A question whose asker gave up (the session closed) is not shown at all; one that
        // is shown keeps its asker waiting, since `ask` refers to the asker's own values.
        if (Closing() || !Start(shared->wait)) return;
        shared->answer = ask();
        Finish(shared->wait);
    });
    if (!WaitAnswer(shared->wait)) return cancel;
    // Written on the window's thread before Finish, read here after it.
    return shared->answer ? *shared->answer : cancel;
}

}  // namespace q7k3
