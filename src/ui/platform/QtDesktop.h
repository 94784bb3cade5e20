#pragma once

#include "platform/Clipboard.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

namespace vx {

// The system beep, and the key click when the program was built with Qt Multimedia.
class QtSound : public Sound {
public:
    void beep() override;
    bool playFile(const std::string& fileName) override;
};

// The desktop's opener (xdg-open and the like) stands for the program associated with a file.
class QtShell : public Shell {
public:
    std::string associatedProgram(const std::string& file) override;
    bool start(const std::string& program, const std::string& argument) override;
};

class QtClipboard : public Clipboard {
public:
    void clear() override;
    void setText(const std::string& text) override;
    std::string text() override;
};

}  // namespace vx
