#include "base/wait_clock.h"

#include <QEventLoop>
#include <QTimer>

namespace zelapp {

void EventLoopClock::wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace zelapp
