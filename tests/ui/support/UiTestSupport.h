#pragma once

// What every window test shares: Qt warnings are failures (a window that reads out of range or
// paints where it should not says so only through a warning), except the offscreen platform's
// notes about what it cannot do.
#include <QRegularExpression>
#include <QTest>

namespace vx::test {

// Call from each test class's init().
inline void failOnUnexpectedWarnings() {
    QTest::failOnWarning(QRegularExpression(
        "^(?!This plugin does not support |QStandardPaths: XDG_RUNTIME_DIR not set).*"));
}

}  // namespace vx::test
