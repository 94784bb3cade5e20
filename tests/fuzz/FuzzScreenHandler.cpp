// Any byte stream, in any mode: no crash, no out-of-bounds access, the cursor stays on the
// screen and every cell still shows a glyph.
#include <cstdint>
#include <cstdlib>

#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenInterpreter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const vx::GlyphIndex index;
    vx::Framebuffer surface;
    vx::ScreenInterpreter interpreter(surface);
    const std::uint8_t mode = data[0];
    interpreter.setColumnMode(mode & 1);
    interpreter.flags().lantronix = mode & 2;
    interpreter.flags().buzzer = mode & 4;
    for (std::size_t i = 1; i < size; ++i) {
        // Two 254s followed by a byte 0xA0-0xAF also switch the column mode, so switches mid-stream are explored.
        if (i >= 2 && data[i - 1] == 0xFE && data[i - 2] == 0xFE && (data[i] & 0xF0) == 0xA0)
            interpreter.setColumnMode(data[i] & 1);
        interpreter.ScreenHandler(data[i]);
        const auto& state = interpreter.state();
        if (state.CursorY < 0 || state.CursorY > 23 || state.CursorX < 0 || state.CursorX > 79) std::abort();
    }
    for (int row = 0; row < 24; ++row)
        for (int col = 0; col < 80; ++col)
            if (!index.codeAt(surface, col, row)) std::abort();
    return 0;
}
