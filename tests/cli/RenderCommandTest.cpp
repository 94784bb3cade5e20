#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "render/RenderCommand.h"
#include "support/TempDir.h"

using vx::cli::parseRenderOptions;
using vx::cli::RenderOptions;
using vx::cli::runRender;

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

Result render(const std::vector<std::string>& args, const std::string& input) {
    const auto parsed = parseRenderOptions(args);
    if (const auto* problem = std::get_if<std::string>(&parsed)) return {2, "", *problem};
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = runRender(std::get<RenderOptions>(parsed), in, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) all.push_back(line);
    return all;
}

TEST(RenderOptions, AcceptsTheDocumentedForms) {
    const auto options =
        std::get<RenderOptions>(parseRenderOptions({"--cols", "80", "--lantronix", "--buzzer", "--codes", "f.bin"}));
    EXPECT_TRUE(options.mode80);
    EXPECT_TRUE(options.lantronix);
    EXPECT_TRUE(options.buzzer);
    EXPECT_EQ(options.output, RenderOptions::Output::Codes);
    EXPECT_EQ(options.input, "f.bin");

    const auto text = std::get<RenderOptions>(parseRenderOptions({"--cols=40", "--text", "--ansi", "-"}));
    EXPECT_FALSE(text.mode80);
    EXPECT_TRUE(text.ansi);
    EXPECT_EQ(text.output, RenderOptions::Output::Text);

    const auto imageOnly = std::get<RenderOptions>(parseRenderOptions({"--image", "out.png"}));
    EXPECT_EQ(imageOnly.output, RenderOptions::Output::None);
    EXPECT_EQ(imageOnly.input, "-");
    const auto imageAndCodes = std::get<RenderOptions>(parseRenderOptions({"--image=out.png", "--codes"}));
    EXPECT_EQ(imageAndCodes.output, RenderOptions::Output::Codes);
}

TEST(RenderOptions, RejectsBadCombinations) {
    for (const auto& args : std::vector<std::vector<std::string>>{{"--cols", "60"},
                                                                  {"--cols"},
                                                                  {"--codes", "--text"},
                                                                  {"--codes", "--ansi"},
                                                                  {"--image"},
                                                                  {"--bogus"},
                                                                  {"a.bin", "b.bin"}})
        EXPECT_TRUE(std::holds_alternative<std::string>(parseRenderOptions(args))) << args[0];
}

// The code dump is an interface other programs parse: check its shape for every byte value.
TEST(RenderCodes, FormatHoldsForEveryByteInBothModes) {
    const std::regex cellRow40("([0-9A-F]{2}|\\?\\?)( ([0-9A-F]{2}|\\?\\?)){39}");
    const std::regex cellRow80("([0-9A-F]{2}|\\?\\?)( ([0-9A-F]{2}|\\?\\?)){79}");
    const std::regex footer("cursor [0-9]+ [0-9]+ lastchar [0-9]+ beeps [0-9]+");
    for (const char* cols : {"40", "80"}) {
        for (int b = 0; b < 256; ++b) {
            const Result result =
                render({"--codes", "--buzzer", "--cols", cols}, std::string("AB") + static_cast<char>(b) + "C");
            ASSERT_EQ(result.status, 0);
            const auto all = lines(result.out);
            ASSERT_EQ(all.size(), 25u) << b;
            for (int row = 0; row < 24; ++row)
                ASSERT_TRUE(
                    std::regex_match(all[static_cast<std::size_t>(row)], cols[0] == '4' ? cellRow40 : cellRow80))
                    << b << " row " << row;
            ASSERT_TRUE(std::regex_match(all[24], footer)) << all[24];
            ASSERT_EQ(result.out.back(), '\n');
        }
    }
}

TEST(RenderCodes, ShowsCellsCursorAndBells) {
    const Result result = render({"--codes", "--buzzer"},
                                 "AB\xFD\x9B"
                                 "C");
    const auto all = lines(result.out);
    EXPECT_EQ(all[0].substr(0, 12), "41 42 20 20 ");
    EXPECT_EQ(all[1].substr(0, 9), "43 A0 20 ");
    EXPECT_EQ(all[24], "cursor 1 1 lastchar 67 beeps 1");
}

TEST(RenderText, MapsToLookAlikesAndShowsInverseWithAnsi) {
    const Result plain = render({"--text"}, "\x11\x12\x05 A\x60");
    EXPECT_EQ(lines(plain.out)[0].substr(0, std::string("┏━┓ A♦").size()), "┏━┓ A♦");
    EXPECT_EQ(lines(plain.out).size(), 24u);

    const Result ansi = render({"--text", "--ansi"}, "x\xC1y");
    const std::string expected = "x\x1b[7mA\x1b[27my\x1b[7m \x1b[27m ";
    EXPECT_EQ(lines(ansi.out)[0].substr(0, expected.size()), expected);
}

TEST(RenderInput, ReadsFilesAndReportsUnreadableOnes) {
    const vx::test::TempDir temp;
    {
        std::ofstream file(temp / "in.bin", std::ios::binary);
        file << "HI";
    }
    const Result ok = render({"--codes", (temp / "in.bin").string()}, "");
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(lines(ok.out)[0].substr(0, 8), "48 49 A0");

    const Result missing = render({"--codes", (temp / "nope.bin").string()}, "");
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(lines(missing.err).size(), 1u);
    EXPECT_NE(missing.err.find("nope.bin"), std::string::npos);

    const Result badImage = render({"--image", (temp / "x.gif").string()}, "A");
    EXPECT_EQ(badImage.status, 2);
    EXPECT_EQ(lines(badImage.err).size(), 1u);

    const Result nowhere = render({"--image", (temp / "missing" / "x.png").string()}, "A");
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_EQ(lines(nowhere.err).size(), 1u);
}

}  // namespace
