#include "BoardScreens.h"

#include "Atascii.h"

namespace vx::demo::screens {

using namespace atascii;

std::string welcome() {
    std::string s(1, kClear);
    s += picture({
        "┏━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━┓",
        "|       {  VEXTERM DEMO BOARD  }       |",
        "┗━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━┛",
    });
    // Open the box from inside: push the bottom edge down two lines and fill the gap, so a
    // terminal shows its line insertion working on the very first screen.
    s += kUp;
    s += kInsertLine;
    s += kInsertLine;
    s += picture({
        "┣━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━┫",
        "| ATASCII over TCP, on your own desk |",
    });
    // The end of line left its block cursor on the bottom-left corner, and moving on would
    // blank that cell: repaint the corner on the way past.
    s += line(art("┗"));

    // A typo fixed in place: delete a character, then insert one.
    s += "  Welcome to the borad!";
    s += repeat(kLeft, 4);  // onto the stray 'r'
    s += kDeleteChar;
    s += kRight;  // onto the 'd'
    s += kInsertChar;
    s += 'r';
    s += kEol;

    // A line that is shown and taken back at once.
    s += line("  Dialing the mothership...");
    s += kUp;
    s += kDeleteLine;

    s += art("  ● ● ●  ╋  ● ● ●  ╋  ● ● ●");
    s += kEol;
    s += kEol;
    s += kNamePrompt;
    return s;
}

std::string greeting(std::string_view name) {
    std::string shouted(name);
    for (char& c : shouted) {
        // Bit 7 is inverse video; the letter is in the other seven.
        const auto b = static_cast<std::uint8_t>(c);
        const auto letter = static_cast<std::uint8_t>(b & 0x7F);
        if (letter >= 'a' && letter <= 'z') c = code(b - ('a' - 'A'));
    }
    std::string s(1, kEol);
    s += line("Welcome, " + shouted + "!");
    return s;
}

std::string mainMenu() {
    const auto item = [](char key, std::string_view text) {
        return line(" " + inverse(std::string(1, key)) + kTab + std::string(text));
    };
    std::string s(1, kEol);
    s += line(inverse(" MAIN MENU "));
    s += item('M', "Read a message");
    s += item('W', "Web addresses");
    s += item('A', "Art gallery");
    s += item('F', "Flood test");
    s += item('S', "Slow page (1200 baud)");
    s += item('B', "Ring the bell");
    s += item('G', "Goodbye");
    s += line("Type a letter, then RETURN.");
    s += kMenuPrompt;
    return s;
}

std::string shortMenu() {
    std::string s = line("Menu: M W A F S B G    ? = full menu");
    s += kMenuPrompt;
    return s;
}

std::string message() {
    std::string s = line(inverse(" GENERAL DISCUSSION  #214 OF 231 "));
    s += picture({
        "From: Dale Ostrander",
        "To: All",
        "Subject: Swap meet this Saturday",
        "Date: 14 Mar 88  19:42",
        "━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━━",
        "Hi all,",
        "The club swap meet is on this Saturday",
        "at the Elm Street library hall, from",
        "10 AM until 2 PM. Tables are free, so",
        "bring your spare drives, cartridges,",
        "joysticks and old magazines.",
        "",
        "I will have a box of 5.25\" disks for a",
        "dime each and two spare modems to",
        "trade. Coffee is on the club.",
        "",
        "See you there,",
        "Dale",
    });
    s += line("[End of message]");
    return s;
}

std::string webAddresses() {
    std::string s(1, kEol);
    s += line(inverse(" ON THE WEB "));
    s += picture({
        "Club news and meeting notes:",
        "  http://example.com/atari  (weekly)",
        "Boards that still answer the phone:",
        "  https://www.example.org/bbs-list",
        "Disk images and utilities:",
        "  www.example.net/files  (mirror)",
    });
    return s;
}

std::string artGallery() {
    // A fresh screen, so both pictures and the menu line fit without scrolling.
    std::string s(1, kClear);
    s += picture({
        "{ ART GALLERY }   ♥ ♣ ♠ ♦   {♥}{♣}{♠}{♦}",
        "1. Home computer",
        "     ┏━━━━━━━━━━━━━━━━━━━━━┓",
        "     |{ READY               }|",
        "     |{ } {                   }|",
        "     ┗━━━━━━━━━━┳━━━━━━━━━━┛",
        "              ━━┻━━",
        "   ┏━━━━━━━━━━━━━━━━━━━━━━━━━┓",
        "   | ● ● ● ● ● ● ● ● ● ● ● ● |",
        "   |     {               }     |",
        "   ┗━━━━━━━━━━━━━━━━━━━━━━━━━┛",
        "2. Sailing home",
        "              |◣",
        "              |█◣",
        "             ◢|██◣",
        "            ◢█|███◣",
        "           ◢██|████◣",
        "              |",
        "        {◣}█████████████{◢}",
        "   ╱╲╱╲╱╲╱╲╱╲╱╲╱╲╱╲╱╲╱╲╱╲╱╲",
    });
    return s;
}

std::string floodQuestion() {
    std::string s(1, kEol);
    s += line(inverse(" FLOOD TEST "));
    s += line("Text lines as fast as the line takes");
    s += line("them. 1 to 20000, RETURN for 100.");
    s += kFloodPrompt;
    return s;
}

std::string floodDone(std::uint64_t bytes) { return line("FLOOD DONE " + std::to_string(bytes) + " BYTES"); }

std::string notANumber() { return line("Not a number."); }

std::string slowPage() {
    std::string s(1, kEol);
    s += line(inverse(" SLOW PAGE  1200 BAUD "));
    s += picture({
        "This page arrives the way it did over",
        "a 1200 baud modem: about 120 letters",
        "a second. Lean back and watch the",
        "cursor crawl across the screen. It is",
        "the pace most of us called boards at,",
        "and the reason sysops kept their",
        "menus short.",
    });
    return s;
}

std::string bells() { return line(std::string("Ring") + kBell + " ring" + kBell + " ring" + kBell); }

std::string goodbye() { return std::string(1, kEol) + line("Goodbye! Call again."); }

std::string unknownCommand() { return line("Unknown command."); }

std::string busy() { return std::string(1, kClear) + line("All lines are busy.") + line("Please call again later."); }

}  // namespace vx::demo::screens
