#pragma once

#include <memory>

#include "config/ConfigSettings.h"
#include "directory/BBSList.h"
#include "log/StatusReporter.h"
#include "log/SystemLog.h"
#include "screen/Framebuffer.h"
#include "screen/GlyphIndex.h"
#include "screen/ScreenInterpreter.h"
#include "session/TerminalSession.h"
#include "support/FakeTimeline.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

namespace vx::test {

// The pieces of a terminal session on fakes and virtual time, in a fresh folder; nothing is
// set up yet.
struct SessionParts {
    TempDir temp;
    FakeTimeline timeline;
    FakeSocket socket;
    FakePrompter prompter;
    FakeSound sound;
    FakeStatusSink statusSink;
    FakeBox box;
    FakeMojiSink moji;
    FakeClipboard clipboard;
    SettingsStore store;
    ConfigSettings config = firstRunSettings(temp.path().string());
    BBSList bbsList{store, prompter, timeline, (temp / "VX3_BBS.INI").string()};
    SystemLog log{timeline, temp.path().string()};
    StatusReporter status{statusSink, log};
    Framebuffer surface;
    ScreenInterpreter screen{surface};
    GlyphIndex glyphs;
    std::unique_ptr<TerminalSession> session;
};

}  // namespace vx::test
