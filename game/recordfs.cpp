#include "recordfs.h"

#include <QDeadlineTimer>
#include <QThread>

namespace recordfs {

Lock::State Lock::tryLock(int waitMs)
{
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        const State state = tryOnce();
        if (state != State::HeldElsewhere || deadline.hasExpired())
            return state;
        QThread::msleep(5);
    }
}

} // namespace recordfs
