#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "config/SettingsStore.h"
#include "platform/WindowGeometry.h"

namespace vx {

// The saved places of the six main windows, in [Positions] of the configuration file.
class WindowPositions {
public:
    WindowPositions(SettingsStore& store, WindowGeometry& windows) : m_store(store), m_windows(windows) {}

    // With `save` the windows' places are written (and DATAwritten becomes true once they are); without it
    // the stored places are read and the windows moved there. `dataWritten` is the in-memory
    // DATAwritten flag of the configuration. Returns the status of the save.
    int SaveRestorePositions(bool save, const std::string& configPath, bool& dataWritten);

    // The twelve values last saved or restored, in key order (top before left, window by window).
    const std::array<std::int32_t, 12>& values() const { return m_values; }

private:
    SettingsStore& m_store;
    WindowGeometry& m_windows;
    std::array<std::int32_t, 12> m_values{};
};

}  // namespace vx
