#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/Clipboard.h"
#include "platform/Shell.h"
#include "platform/Sound.h"

class QSoundEffect;

namespace vx {

// The bell and the key click, from sound files beside the program (the bell falls back to the
// desktop's beep when its file is missing).
class QtSound : public Sound {
public:
    static constexpr const char* kBellSound = "VX3_bell.wav";

    QtSound();
    ~QtSound() override;
    void beep() override;
    bool playFile(const std::string& fileName) override;

private:
    std::map<std::string, std::unique_ptr<QSoundEffect>> m_effects;
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
    std::u32string characters() override;
};

}  // namespace vx
