// Recorded screens: tests/ref/<case>/input.bin is a received byte stream, screen.txt the
// reviewed screen it must produce (in the renderer's code format), and the optional file
// "args" holds renderer options such as --cols 80 or --lantronix.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "render/RenderCommand.h"
#include "support/TempDir.h"

namespace {

using vx::test::readFile;

std::vector<std::string> caseNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(VX_REF_DIR))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class RecordedScreen : public ::testing::TestWithParam<std::string> {};

TEST_P(RecordedScreen, MatchesTheReviewedScreen) {
    const std::filesystem::path folder = std::filesystem::path(VX_REF_DIR) / GetParam();
    std::vector<std::string> args{"--codes", (folder / "input.bin").string()};
    if (std::filesystem::exists(folder / "args")) {
        std::istringstream words(readFile(folder / "args"));
        for (std::string word; words >> word;) args.push_back(word);
    }
    const auto parsed = vx::cli::parseRenderOptions(args);
    ASSERT_TRUE(std::holds_alternative<vx::cli::RenderOptions>(parsed));
    std::istringstream none;
    std::ostringstream out, err;
    ASSERT_EQ(vx::cli::runRender(std::get<vx::cli::RenderOptions>(parsed), none, out, err), 0) << err.str();

    const std::string expected = readFile(folder / "screen.txt");
    std::istringstream wantLines(expected), gotLines(out.str());
    std::string want, got;
    for (int line = 1; std::getline(wantLines, want); ++line) {
        std::getline(gotLines, got);
        EXPECT_EQ(got, want) << (folder / "screen.txt").string() << ":" << line;
    }
    EXPECT_EQ(out.str().size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(Cases, RecordedScreen, ::testing::ValuesIn(caseNames()), [](const auto& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

}  // namespace
