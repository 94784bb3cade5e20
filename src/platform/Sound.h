#pragma once

#include <string>

namespace vx {

class Sound {
public:
    virtual ~Sound() = default;
    // The system beep.
    virtual void beep() = 0;
    // Plays a sound file without waiting for it; false when it cannot be played.
    virtual bool playFile(const std::string& fileName) = 0;
};

}  // namespace vx
