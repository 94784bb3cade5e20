#pragma once

#include <string>
#include <string_view>

namespace vx {

// The Box, as the tools that fill it see it.
class BoxText {
public:
    virtual ~BoxText() = default;
    virtual void appendText(std::string_view text) = 0;
    virtual void clearText() = 0;
    virtual std::string text() const = 0;
};

// VXEditor's number text (code lists such as "65;66;"), as the tools that feed it see it.
class MojiCodeSink {
public:
    virtual ~MojiCodeSink() = default;
    virtual void appendCodes(std::string_view codes) = 0;
    virtual void clearCodes() = 0;
    // Brings the editor up (it is opened for exports).
    virtual void showEditor() = 0;
};

}  // namespace vx
