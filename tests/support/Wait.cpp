#include "support/Wait.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QThread>

namespace TestWait {

namespace {

void ProcessOnce()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

bool Until(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        ProcessOnce();
        QThread::msleep(5);
    }
    return true;
}

void ProcessFor(int ms)
{
    const QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        ProcessOnce();
        QThread::msleep(5);
    }
}

bool QueuedBeforeDelivered(int timeoutMs)
{
    bool ran = false;
    QMetaObject::invokeMethod(QCoreApplication::instance(), [&ran] { ran = true; }, Qt::QueuedConnection);
    return Until([&ran] { return ran; }, timeoutMs);
}

} // namespace TestWait
