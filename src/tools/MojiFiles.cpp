#include "tools/MojiFiles.h"

#include <optional>

#include "base/AtomicFile.h"
#include "base/SystemPaths.h"
#include "log/StatusReporter.h"
#include "tools/CaptureFields.h"
#include "tools/ScreenDump.h"

namespace vx {

std::string mojiFileBytes(const std::string& codes) { return "\"" + codes + "\"\r\n"; }

std::string Cvt2ASCII(std::string_view text) {
    std::string codes;
    codes.reserve(text.size() * 4);
    for (char c : text) {
        codes += std::to_string(static_cast<unsigned char>(c));
        codes += ';';
    }
    return codes;
}

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// One code between separators: digits only (blanks around them allowed), 0 to 255; leading
// zeros are part of the number ("0065" is 65).
std::optional<std::uint8_t> codeOf(std::string_view item) {
    while (!item.empty() && isBlank(item.front())) item.remove_prefix(1);
    while (!item.empty() && isBlank(item.back())) item.remove_suffix(1);
    if (item.empty()) return std::nullopt;
    int value = 0;
    for (char c : item) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 255) return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

bool onlyBlanks(std::string_view text) {
    for (char c : text)
        if (!isBlank(c)) return false;
    return true;
}

}  // namespace

CodeList parseCodeList(std::string_view list, std::int64_t maxCodes) {
    CodeList result;
    std::int64_t taken = 0;
    while (!list.empty() && taken < maxCodes) {
        const std::size_t end = list.find(';');
        const std::string_view item = list.substr(0, end);
        list.remove_prefix(end == std::string_view::npos ? list.size() : end + 1);
        // A line break after the last ";" (capture exports end so) is no code.
        if (end == std::string_view::npos && onlyBlanks(item)) break;
        ++taken;
        if (const auto code = codeOf(item))
            result.bytes += static_cast<char>(*code);
        else
            ++result.skipped;
    }
    return result;
}

std::string mojiCodesOfFile(const std::string& name, std::string_view bytes) {
    if (isScreenDumpName(name)) return Cvt2ASCII(redrawCodesOfScreenDump(bytes));
    return std::string(readCaptureField(bytes, 0).text);
}

bool CreateSystemMojis(const std::string& folder, StatusReporter& status) {
    status.ShowStatus("Creating " + std::to_string(std::size(kSystemMojis)) + " System Mojis...", false, true);
    std::string notWritten;
    for (const SystemMoji& moji : kSystemMojis)
        if (writeFileAtomically(AddBackslash(folder) + moji.name, mojiFileBytes(moji.codes)) != FileStatus::kOk)
            notWritten += std::string(notWritten.empty() ? "" : ", ") + moji.name;
    // The check boxes need them; start-up goes on, so this line is the only word of it.
    if (!notWritten.empty()) status.ShowStatus("System Mojis not written: " + notWritten, true, true);
    return notWritten.empty();
}

}  // namespace vx
