#pragma once

#include <string>

namespace vx {

// The desktop clipboard, as byte strings (Latin-1 at the boundary).
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void clear() = 0;
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() = 0;
    // The text as Unicode characters, each accented letter as its letter followed by its accents
    // (canonical decomposition), for what has to become ATASCII.
    virtual std::u32string characters() = 0;
};

}  // namespace vx
