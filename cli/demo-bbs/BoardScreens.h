#pragma once

// What the demo board says: every screen as the bytes that go down the line.

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::demo::screens {

// The prompt that ends the main menu; a caller's client can wait for it.
inline constexpr std::string_view kMenuPrompt = "COMMAND? ";
inline constexpr std::string_view kFloodPrompt = "How many kilobytes? ";

std::string welcome();    // clears the screen, draws the title box, then the main menu
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
