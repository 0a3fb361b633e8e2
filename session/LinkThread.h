#pragma once
// The thread every exchange of the window's session runs on: tasks run one after another,
// in the order they were posted. A test (or any caller without a window) may run the tasks
// inline instead, on the thread that posts them.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace q7k3 {

class LinkThread {
public:
    // Inline: Post runs the task at once, on the caller's thread.
    explicit LinkThread(bool inlineTasks);
    // Runs what was posted to its end, then joins.
    ~LinkThread();
    // The same, ahead of the destructor (the owner's members stay valid for the last task).
    void Join();
    LinkThread(const LinkThread&) = delete;
    LinkThread& operator=(const LinkThread&) = delete;

    void Post(std::function<void()> task);
    // True on the thread the tasks run on (always true inline).
    bool OnLinkThread() const;
    bool Inline() const { return m_inline; }

private:
    void Loop();

    const bool m_inline;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_tasks;
    bool m_quit = false;
    std::thread m_thread;
};

}  // namespace q7k3
