#pragma once
// Calls handed from any thread to the thread a QObject lives on, in the order posted. The
// call waits in a queue of its own, under a mutex, and a bare event tells the receiving
// thread to take it: what the sending thread wrote before posting is plainly visible to
// the call, to the reader and to ThreadSanitizer alike (Qt's own event queue is not built
// with the checker, which would otherwise see every captured value as a race). A call still
// queued when the object goes is dropped with it.

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace q7k3 {

class HandOff final : public QObject {
public:
    // Lives on the thread of `owner`, and goes with it.
    explicit HandOff(QObject* owner) : QObject(owner) {}
    HandOff(const HandOff&) = delete;
    HandOff& operator=(const HandOff&) = delete;

    // From any thread: `call` runs on this object's thread, after the calls posted before it.
    void Post(std::function<void()> call);

protected:
    // The event itself is not looked at: Qt made it on the sending thread's behalf.
    void customEvent(QEvent* event) override;

private:
    std::mutex m_mutex;
    std::deque<std::function<void()>> m_calls;
};

}  // namespace q7k3
