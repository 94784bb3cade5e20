// Runs every interpreter script in tests/scripts; a failure points at the script line.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/ScriptRunner.h"

namespace {

std::vector<std::string> scriptNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(VX_SCRIPT_DIR))
        if (entry.path().extension() == ".vxt") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class InterpreterScript : public ::testing::TestWithParam<std::string> {};

TEST_P(InterpreterScript, Passes) {
    const std::string path = std::string(VX_SCRIPT_DIR) + "/" + GetParam() + ".vxt";
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file) << "cannot read " << path;
    std::stringstream text;
    text << file.rdbuf();
    for (const auto& failure : vx::test::runScript(text.str()))
        ADD_FAILURE_AT(path.c_str(), failure.line) << failure.message;
}

INSTANTIATE_TEST_SUITE_P(Scripts, InterpreterScript, ::testing::ValuesIn(scriptNames()), [](const auto& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

// The runner itself must notice wrong expectations, or every script would pass vacuously.
TEST(ScriptRunner, ReportsFailuresAtTheirLine) {
    const auto failures = vx::test::runScript(
        "push \"AB\"\n"
        "expect cursor 2 0\n"
        "expect cursor 3 0\n"
        "# comment\n"
        "expect row 0 'A' 'C'\n"
        "expect events scroll=1\n"
        "bogus\n");
    ASSERT_EQ(failures.size(), 4u);
    EXPECT_EQ(failures[0].line, 3);
    EXPECT_EQ(failures[1].line, 5);
    EXPECT_EQ(failures[2].line, 6);
    EXPECT_EQ(failures[3].line, 7);
    EXPECT_NE(failures[0].message.find("cursor is (2,0)"), std::string::npos);
}

TEST(ScriptRunner, ParsesByteForms) {
    EXPECT_TRUE(vx::test::runScript("push 0x41 'B' \"C\\x44\" !'E' 'F'*2\n"
                                    "expect row 0 65 66 67 68 197 70 70 !32\n")
                    .empty());
    EXPECT_EQ(vx::test::runScript("push 256\n").size(), 1u);
    EXPECT_EQ(vx::test::runScript("push \"open\n").size(), 1u);
}

}  // namespace
