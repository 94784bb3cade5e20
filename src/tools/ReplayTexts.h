#pragma once

namespace vx {

// Status texts that the capture viewer and the scrollback replay share.
inline constexpr const char* kReplayViewing = "Viewing...";
inline constexpr const char* kReplayPaused = "Paused...";

}  // namespace vx
