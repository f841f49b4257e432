#include "platform/FreedMemory.h"

#include <malloc.h>

#include <QTimer>

namespace {

constexpr int kSettleMs = 1000;

} // namespace

void FreedMemory::ReleaseSoon()
{
    static QTimer *const timer = [] {
        auto *created = new QTimer;
        created->setSingleShot(true);
        created->setInterval(kSettleMs);
        QObject::connect(created, &QTimer::timeout, [] { malloc_trim(0); });
        return created;
    }();
    timer->start();
}
