#include "tools/ScreenDump.h"

#include "base/AtomicFile.h"
#include "base/Formats.h"
#include "base/SystemPaths.h"
#include "screen/GlyphIndex.h"
#include "screen/MonoImage.h"
#include "screen/ScreenColours.h"
#include "screen/ScreenInterpreter.h"
#include "tools/NamePrompt.h"

namespace vx {
namespace {

constexpr char kEndOfLine = static_cast<char>(155);
constexpr char kBlank = ' ';

struct FormatText {
    const char* extension;
    const char* nameTitle;
    const char* overwriteTitle;
};

FormatText textOf(DumpFormat format) {
    switch (format) {
        case DumpFormat::Png:
            return {".png", "Screen PNG Filename", "Save PNG"};
        case DumpFormat::Atascii:
            return {".ata", "Screen ATASCII Filename", "Save ATASCII"};
        case DumpFormat::Text:
            return {".txt", "Screen Text Filename", "Save Text"};
        case DumpFormat::Bmp:
        default:
            return {".bmp", "Screen BMP Filename", "Save BMP"};
    }
}

bool isPicture(DumpFormat format) { return format == DumpFormat::Bmp || format == DumpFormat::Png; }

// A code the interpreter would act on rather than draw (cursor moves, clear, end of line ...)
// cannot be put back on the screen; it is redrawn as a blank.
char drawable(char code) { return ScreenInterpreter::isPlainCharacter(static_cast<std::uint8_t>(code)) ? code : kBlank; }

std::string_view withoutTrailingBlanks(std::string_view line) {
    while (!line.empty() && line.back() == kBlank) line.remove_suffix(1);
    return line;
}

}  // namespace

std::string dumpExtension(DumpFormat format) { return textOf(format).extension; }

bool isScreenDumpName(const std::string& name) { return withExtension(name, ".ata") == name; }

std::string atasciiScreenBytes(const ScreenCodes& codes) {
    std::string bytes;
    for (const auto& row : codes) {
        for (const auto& cell : row) bytes += cell ? static_cast<char>(*cell) : kBlank;
        bytes += kEndOfLine;
    }
    return bytes;
}

std::string redrawCodesOfScreenDump(std::string_view dump) {
    std::vector<std::string> lines;
    std::size_t width = 0;
    while (!dump.empty()) {
        const std::size_t end = dump.find(kEndOfLine);
        std::string line(dump.substr(0, end));
        for (char& c : line) c = drawable(c);
        width = std::max(width, line.size());
        lines.push_back(std::move(line));
        dump.remove_prefix(end == std::string_view::npos ? dump.size() : end + 1);
    }
    while (!lines.empty() && withoutTrailingBlanks(lines.back()).empty()) lines.pop_back();

    std::string codes(1, static_cast<char>(ScreenInterpreter::kClearScreen));
    for (std::size_t r = 0; r < lines.size(); ++r) {
        const std::string_view line = withoutTrailingBlanks(lines[r]);
        const bool full = line.size() == width;
        if (r + 1 < lines.size()) {
            codes += line;
            if (!full) codes += kEndOfLine;  // a full line has wrapped to the next by itself
        } else if (!full || width < 2) {
            codes += line;
        } else {
            // The bottom right cell: written last it would wrap and scroll the screen. The last
            // character goes one cell early, the cursor back, an insert moves it into place, and
            // the one before it fills the gap.
            codes += line.substr(0, width - 2);
            codes += line[width - 1];
            codes += static_cast<char>(30);
            codes += static_cast<char>(255);
            codes += line[width - 2];
        }
    }
    return codes;
}

ScreenDump::ScreenDump(Prompter& prompter, const Clock& clock, const ConfigSettings& config,
                       const Framebuffer& surface, std::function<int()> columns)
    : m_prompter(prompter), m_clock(clock), m_config(config), m_surface(surface), m_columns(std::move(columns)) {}

std::string ScreenDump::proposedName(DumpFormat format) const {
    const std::string extension = dumpExtension(format);
    if (m_config.DTScreenDumpName) return formatFileStamp(m_clock.now()) + extension;
    std::string name = m_config.DefaultBMPName.empty() ? "screen.bmp" : m_config.DefaultBMPName;
    if (format == DumpFormat::Bmp) return name;
    const std::size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name + extension;
}

std::string ScreenDump::write(DumpFormat format, const std::string& path) const {
    const int columns = m_columns();
    std::string bytes;
    if (isPicture(format)) {
        // Encoded first and written like every other file, so that a failed write leaves the
        // picture that was there.
        std::vector<std::uint8_t> picture;
        MonoImage image = captureScreen(m_surface, columns);
        if (m_config.DumpAsShown) {
            image.ink = screenColours(m_config.ScreenColours).ink;
            image.paper = screenColours(m_config.ScreenColours).paper;
        }
        if (std::string problem = encodeImageFile(path, image, picture); !problem.empty()) return problem;
        bytes.assign(picture.begin(), picture.end());
    } else {
        const ScreenCodes codes = readScreenCodes(m_surface, GlyphIndex(), columns);
        bytes = format == DumpFormat::Atascii ? atasciiScreenBytes(codes) : formatScreenText(codes, false);
    }
    return writeFileAtomically(path, bytes) == FileStatus::kOk ? std::string() : "Could not write " + path;
}

void ScreenDump::save(DumpFormat format, std::function<void(const std::string&)> done) {
    if (format == DumpFormat::Bmp && m_columns() == 80) {
        m_prompter.message("Screen Dump to .BMP not supported in 80 column mode!", "", MessageIcon::Information);
        if (done) done({});
        return;
    }
    const FormatText text = textOf(format);
    NameQuestion question{text.nameTitle, "Enter a Filename: ", proposedName(format), m_config.ScreenDumpPath,
                          text.extension, text.overwriteTitle, "File Exists!\rWant to overwrite it?"};
    question.emptyProposalAgain = true;
    askFileName(
        m_prompter, std::move(question),
        [this, format, done = std::move(done)](std::optional<std::string> path) {
            if (!path) {
                if (done) done({});
                return;
            }
            const std::string problem = write(format, *path);
            if (!problem.empty()) {
                m_prompter.message(problem, "Save Screen", MessageIcon::Exclamation);
                if (done) done({});
                return;
            }
            m_prompter.message("Screen saved to: \r" + *path, "", MessageIcon::Information);
            if (done) done(*path);
        },
        m_alive);
}

}  // namespace vx
