#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vx::cp1252 {

// The BBS list and the configuration are 8-bit files in Windows-1252, as the Windows program
// wrote them; the program keeps their texts as those bytes. These are the only ways between the
// bytes and characters, so that every window, import and report reads the same code page.
//
// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90 and 0x9D) read as the C1
// controls of the same number and are written back as themselves: a file read and written again
// stays the same byte for byte.

// The character a byte stands for.
char32_t characterOf(unsigned char byte);
// The byte that holds a character, if the code page has one.
std::optional<unsigned char> byteOf(char32_t character);

// The first character of a text the code page cannot hold.
std::optional<char32_t> firstUnheld(std::u32string_view text);
// The bytes of a text, or nothing when a character cannot be held (never a stand-in for it).
std::optional<std::string> bytesOf(std::u32string_view text);
std::u32string textOf(std::string_view bytes);

// The characters of a UTF-8 text, or nothing when the text is not UTF-8.
std::optional<std::u32string> fromUtf8(std::string_view utf8);
// The bytes as UTF-8 text, for a terminal or a file in UTF-8.
std::string utf8Of(std::string_view bytes);
// "U+0141": a character named in a message that cannot show it.
std::string codePointName(char32_t character);

}  // namespace vx::cp1252
