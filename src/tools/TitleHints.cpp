#include "tools/TitleHints.h"

#include <algorithm>

#include "base/Version.h"

namespace vx {

std::array<std::string, TitleHints::kCount> TitleHints::hints() {
    return {
        std::string(kProgramTitle) + "     v" + versionNumber() + " -Build: " + std::to_string(kRevision),
        "Vexterm: a terminal for the Atari 8-bit BBS scene",
        "Thanks to every sysop who keeps a board running",
        "Thanks to the callers who keep the boards busy",
        "Try the demo board: run vexterm-demo-bbs and dial 127.0.0.1:6502",
        "Tip: pick a board from the list and press Connect",
        "Tip: Shift+Ctrl+0..9 sends a macro while connected",
        "Tip: macro buttons show only the macros a board has",
        "Tip: the 40/80 button switches the column mode",
        "Tip: right-click the screen for the capture menu",
        "Tip: capture records everything the board sends",
        "Tip: APPEND adds to the capture file, REPLACE starts it again",
        "Tip: View Capture File replays a session on the screen",
        "Tip: ScrollBack replays what scrolled off the screen",
        "Tip: the scrollback count box takes up to 2048 characters",
        "Tip: Pause and Abort stop a replay at any character",
        "Tip: the Baud button draws data at the pace of a slow modem",
        "Tip: a lower BaudSim value draws faster",
        "Tip: Stay Alive keeps an idle connection open",
        "Tip: the stay-alive text is set in the configuration",
        "Tip: Ctrl+C drops the rest of a long page",
        "Tip: End switches inverse typing on and off",
        "Tip: web addresses a board shows are kept in the URL list",
        "Tip: click an address in the URL list to open it",
        "Tip: Export writes the URL list to a text file",
        "Tip: the status bar shows Baud, Stay and Cap while they are on",
        "Tip: the online box counts the time of this call",
        "Tip: every call is noted in the system log",
        "Tip: the log is archived into the LOGS folder",
        "Tip: hidden macros are stored scrambled",
        "Tip: protect the configuration with a password",
        "Tip: each board keeps its own 80-column switch",
        "Tip: each board keeps its own BaudSim and Stay Alive switches",
        "Tip: a key click can sound with every key",
        "Tip: the key-press delay paces typing for slow boards",
        "Tip: the connect message is drawn, never sent",
        "Tip: AutoNext dials the next board after a call ends",
        "Tip: The Box composes replies offline",
        "Tip: quote a message in four steps from the scrollback",
        "Tip: 'Mojis are ATASCII art you can send",
        "Tip: screen dumps keep a board's art as pictures",
        "Vexterm: see you on the boards!",
    };
}

std::string TitleHints::tick(Random& random) {
    const auto list = hints();
    if (m_counter < 50) {
        std::string caption = list[static_cast<std::size_t>(m_counter)];
        ++m_counter;
        if (m_counter > 40) m_counter = 50;
        return caption;
    }
    random.seedFromClock();
    const int index = static_cast<int>(41.0 * random.next());
    return list[static_cast<std::size_t>(std::clamp(index, 0, 40))];
}

}  // namespace vx
