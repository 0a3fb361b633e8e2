#include "link/EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace q7k3 {

void QtEventPump::SleepAndProcess(int ms) {
    if (ms > 0) QThread::msleep(static_cast<unsigned long>(ms));
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventPump::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

int64_t QtEventPump::NowMs() {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

}  // namespace q7k3
