#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Prompter.h"

namespace vx {

// Asking for the name of a file to write into a folder: an input box, the extension added when
// the name lacks it, and the question before an existing file is overwritten.
struct NameQuestion {
    std::string title;            // the input box's title
    std::string prompt;
    std::string proposal;         // pre-filled
    std::string folder;           // where the file goes
    std::string extension;        // ".txt", ".bmp" (compared in any letter case); empty: none added
    std::string overwriteTitle;
    std::string overwriteText;
    bool sayCancelled = true;     // an empty answer shows "Action cancelled!"
    bool askAgainOnNo = true;     // No to overwriting asks for another name
    bool emptyProposalAgain = false;  // ... in an empty box rather than with the proposal
};

// The path chosen (folder + name), or std::nullopt when the user gave up. `alive` (optional):
// answers that come after its owner is gone are dropped.
void askFileName(Prompter& prompter, NameQuestion question, std::function<void(std::optional<std::string> path)> done,
                 std::weak_ptr<bool> alive = {});

// The name with the extension added unless it already ends with it, in any letter case.
std::string withExtension(const std::string& name, const std::string& extension);

}  // namespace vx
