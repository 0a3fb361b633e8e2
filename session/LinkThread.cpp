#include "session/LinkThread.h"

namespace q7k3 {

LinkThread::LinkThread(bool inlineTasks) : m_inline(inlineTasks) {
    if (!m_inline) m_thread = std::thread([this] { Loop(); });
}

LinkThread::~LinkThread() { Join(); }

void LinkThread::Join() {
    if (m_inline || !m_thread.joinable()) return;
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void LinkThread::Post(std::function<void()> task) {
    if (m_inline) {
        task();
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_wake.notify_one();
}

bool LinkThread::OnLinkThread() const {
    return m_inline || std::this_thread::get_id() == m_thread.get_id();
}

void LinkThread::Loop() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_tasks.empty(); });
            if (m_tasks.empty()) return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
}

}  // namespace q7k3
