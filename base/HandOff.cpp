#include "base/HandOff.h"

#include <QCoreApplication>
#include <QEvent>

namespace q7k3 {
namespace {
const QEvent::Type kTake = static_cast<QEvent::Type>(QEvent::registerEventType());
}  // namespace

void HandOff::Post(std::function<void()> call) {
    {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    // One event for every call: each takes the oldest waiting.
    QCoreApplication::postEvent(this, new QEvent(kTake));
}

void HandOff::customEvent(QEvent*) {
    std::function<void()> call;
    {
        std::lock_guard lock(m_mutex);
        if (m_calls.empty()) return;
        call = std::move(m_calls.front());
        m_calls.pop_front();
    }
    call();
}

}  // namespace q7k3
