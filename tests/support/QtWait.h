#pragma once
#include <QCoreApplication>

#include "tests/support/Wait.h"

namespace vantix::test {

// WaitFor for conditions that need the Qt event loop to run; pumps events
// without QTest::qWaitFor's 10 ms naps, which would pace animations slower
// than their own timers.
template <class Done>
bool WaitForEvents(Done&& done, int ms = 5000) {
    return WaitFor(done, std::chrono::milliseconds(ms), [] {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
}

} // namespace vantix::test
