#include "tools/NamePrompt.h"

#include <filesystem>

#include "base/SystemPaths.h"

namespace vx {
namespace {

std::string lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

std::string withExtension(const std::string& name, const std::string& extension) {
    if (extension.empty() || lower(name).ends_with(lower(extension))) return name;
    return name + extension;
}

void askFileName(Prompter& prompter, NameQuestion question, std::function<void(std::optional<std::string>)> done,
                 std::weak_ptr<bool> alive) {
    const bool watched = !alive.expired();
    const std::string title = question.title, prompt = question.prompt, proposal = question.proposal;
    prompter.askText(prompt, title, proposal,
                     [&prompter, question = std::move(question), done = std::move(done), alive,
                      watched](std::optional<std::string> answer) mutable {
                         if (watched && alive.expired()) return;
                         if (!answer || answer->empty()) {
                             if (question.sayCancelled)
                                 prompter.message("Action cancelled!", "", MessageIcon::Information);
                             done(std::nullopt);
                             return;
                         }
                         const std::string path =
                             AddBackslash(question.folder) + withExtension(*answer, question.extension);
                         std::error_code error;
                         if (!std::filesystem::exists(path, error)) {
                             done(path);
                             return;
                         }
                         const std::string overwriteText = question.overwriteText, overwriteTitle = question.overwriteTitle;
                         prompter.askYesNo(
                             overwriteText, overwriteTitle, MessageIcon::Question,
                             [&prompter, question = std::move(question), done = std::move(done), alive, watched,
                              path](bool yes) mutable {
                                 if (watched && alive.expired()) return;
                                 if (yes) {
                                     done(path);
                                 } else if (question.askAgainOnNo) {
                                     if (question.emptyProposalAgain) question.proposal.clear();
                                     askFileName(prompter, std::move(question), std::move(done), alive);
                                 } else {
                                     done(std::nullopt);
                                 }
                             });
                     });
}

}  // namespace vx
