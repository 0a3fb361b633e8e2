#pragma once
// Work that may block for a while (a port opened and closed to see whether it opens, the
// state of every serial device) done off the window's thread: the result comes back on the
// thread of the Background object through a queued call. Nothing on that thread waits for
// the work; a result that comes once the object is gone is dropped with it.

#include <QObject>

#include <functional>
#include <list>
#include <memory>
#include <thread>
#include <utility>

#include "base/HandOff.h"

namespace q7k3 {

class Background final : public QObject {
public:
    explicit Background(QObject* parent = nullptr) : QObject(parent), m_back(this) {}
    // Waits for the work still under way: only as its owner goes.
    ~Background() override {
        for (std::thread& t : m_threads)
            if (t.joinable()) t.join();
    }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    // Runs `work` on a thread of its own and hands its result to `done` here.
    template <class T>
    void Run(std::function<T()> work, std::function<void(T)> done) {
        m_threads.emplace_back();
        const auto self = std::prev(m_threads.end());
        *self = std::thread([this, self, work = std::move(work), done = std::move(done)] {
            T result = work();
            m_back.Post([this, self, done, result = std::move(result)]() mutable {
                // The thread's last statement has run: the join is a formality.
                self->join();
                m_threads.erase(self);
                done(std::move(result));
            });
        });
    }
    // True while some work has not handed back its result.
    bool Busy() const { return !m_threads.empty(); }

private:
    HandOff m_back;
    std::list<std::thread> m_threads;
};

}  // namespace q7k3
