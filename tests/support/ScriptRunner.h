#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vx::test {

// Runs an interpreter script (.vxt): each line pushes bytes into a fresh ATASCII interpreter or
// checks what it did. A failure names the script line. The language:
//
//   # comment                          (also after a command)
//   reset [80] [lantronix] [buzzer]    fresh interpreter, black screen, cursor home (implicit at start)
//   cols 40|80                         column switch; state and image are kept
//   flag lantronix|buzzer|speedtest on|off
//   push BYTES                         feed bytes to ScreenHandler
//   send BYTES                         feed bytes through SendToScreen
//   snapshot / expect unchanged        the visible cells are the same as at the snapshot
//   expect cursor X Y
//   expect lastchar N
//   expect cell COL ROW BYTE
//   expect row ROW [at COL] BYTES      cells from COL (default 0) hold exactly these codes
//   expect rows FIRST LAST BYTE        every visible cell of those rows holds BYTE
//   expect events [bell=N] [scroll=N] [clear=N]
//                                      events since the last check; unnamed events must be 0
//
// BYTES is a list of: decimal or 0xHH numbers, 'c' characters, "text" (with \" \\ \xHH escapes),
// each optionally prefixed by ! (inverse: +128) and suffixed by *N (repeat N times).
struct ScriptFailure {
    int line;
    std::string message;
};

std::vector<ScriptFailure> runScript(std::string_view script);

}  // namespace vx::test
