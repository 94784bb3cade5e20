#pragma once

namespace vx {

// What the interpreter tells the outside world. The program plugs in the sound port and the
// window; tests and tools record the calls. Every method has a do-nothing default.
class ScreenListener {
public:
    virtual ~ScreenListener() = default;
    virtual void bell() {}
    virtual void scrolled() {}
    virtual void cleared() {}
};

}  // namespace vx
