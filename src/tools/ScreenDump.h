#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/ConfigSettings.h"
#include "platform/Clock.h"
#include "platform/Prompter.h"
#include "screen/Framebuffer.h"
#include "screen/ScreenText.h"

namespace vx {

// What "Save Screen As" writes: the picture (BMP, PNG), the screen's ATASCII codes, or its text
// in Unicode look-alikes.
enum class DumpFormat { Bmp, Png, Atascii, Text };

// The file a format is saved as: its extension and the title of the name box.
std::string dumpExtension(DumpFormat format);

// An ATASCII screen dump: 24 lines of `columns` codes, each line ending in 155. A cell that
// matches no glyph is kept as a blank.
std::string atasciiScreenBytes(const ScreenCodes& codes);
bool isScreenDumpName(const std::string& name);
// The codes that draw a dump back on a cleared screen exactly: a clear, then each line without
// its trailing blanks. A full line wraps by itself and so takes no end of line; the last line's
// last cell is put in place with an insert, since writing it would scroll the screen.
std::string redrawCodesOfScreenDump(std::string_view dump);

// "Save Screen As ...": the name asked for (a date-time proposal with DTScreenDumpName, else
// DefaultBMPName with the format's extension), ".bmp" and the like added, an existing file
// overwritten only after asking, then the file written into the screen-dump folder and where it
// went told. The picture formats refuse 80 columns.
class ScreenDump {
public:
    ScreenDump(Prompter& prompter, const Clock& clock, const ConfigSettings& config, const Framebuffer& surface,
               std::function<int()> columns);

    // `done` (optional) gets the path written, or "" when nothing was.
    void save(DumpFormat format, std::function<void(const std::string& path)> done = {});

    // The proposal for the name box.
    std::string proposedName(DumpFormat format) const;
    // Writes the file; "" when written, else the reason.
    std::string write(DumpFormat format, const std::string& path) const;

private:
    Prompter& m_prompter;
    const Clock& m_clock;
    const ConfigSettings& m_config;
    const Framebuffer& m_surface;
    std::function<int()> m_columns;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace vx
