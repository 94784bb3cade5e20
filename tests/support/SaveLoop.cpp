// vx_save_loop FOLDER: saves the BBS list and the configuration in FOLDER over and over, each
// time as the other of two known versions, until it is killed. Writes "ready\n" to standard
// output once the files are loaded, then one "+" for every round in which both files were saved.
// KillDuringSaveTest starts it, kills it and checks what it left behind.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "support/SavedVersions.h"

namespace {

void say(const char* text, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, text, size);
        if (n <= 0) return;
        text += n;
        size -= static_cast<std::size_t>(n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vx_save_loop FOLDER\n");
        return 2;
    }
    vx::test::saved::Saver saver(argv[1]);
    std::string problem;
    int version = saver.listVersion(problem);
    if (version < 0) {
        std::fprintf(stderr, "vx_save_loop: %s\n", problem.c_str());
        return 1;
    }
    say("ready\n", 6);
    for (;;) {
        version = 1 - version;
        problem = saver.saveList(version);
        if (problem.empty()) problem = saver.saveConfig(version);
        if (!problem.empty()) {
            std::fprintf(stderr, "vx_save_loop: cannot save %s\n", problem.c_str());
            return 1;
        }
        say("+", 1);
    }
}
