#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <functional>

namespace vx::bench {

// For timed runs outside the program: runs the event loop until `done` holds or `timeoutMs`
// passes.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

}  // namespace vx::bench
