#pragma once

// What the demo board says: every screen as the bytes that go down the line.

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::demo::screens {

// The prompts a caller answers; a caller's client (or its macros) can wait for them.
inline constexpr std::string_view kNamePrompt = "NAME? ";
inline constexpr std::string_view kPasswordPrompt = "PASSWORD? ";
inline constexpr std::string_view kMenuPrompt = "COMMAND? ";
inline constexpr std::string_view kFloodPrompt = "How many kilobytes? ";

// The bytes shown in place of each typed password character.
inline constexpr char kPasswordMask = '*';

std::string welcome();  // clears the screen, draws the title box, then asks for the name (kNamePrompt)
// The greeting once logged in, with the name as typed but its letters in capitals (either video).
std::string greeting(std::string_view name);
std::string mainMenu();   // the full list of commands, ending with kMenuPrompt
std::string shortMenu();  // one line of keys after a page, ending with kMenuPrompt
std::string message();
std::string webAddresses();
std::string artGallery();
std::string floodQuestion();  // ends with kFloodPrompt
std::string floodDone(std::uint64_t bytes);
std::string notANumber();
std::string slowPage();  // the text that is paced; the menu follows at full speed
std::string bells();
std::string goodbye();
std::string unknownCommand();
std::string busy();

}  // namespace vx::demo::screens
