#include "config/CommandLine.h"

#include <gtest/gtest.h>

namespace {

using vx::CommandLine;

CommandLine parsed(const std::vector<std::string>& args) {
    auto result = vx::parseCommandLine(args);
    if (auto* problem = std::get_if<std::string>(&result)) {
        ADD_FAILURE() << *problem;
        return {};
    }
    return std::get<CommandLine>(result);
}

std::string problem(const std::vector<std::string>& args) {
    auto result = vx::parseCommandLine(args);
    if (auto* text = std::get_if<std::string>(&result)) return *text;
    return "(accepted)";
}

TEST(CommandLineTest, NoArgumentsChangeNothing) {
    const CommandLine line = parsed({});
    EXPECT_FALSE(line.host);
    EXPECT_TRUE(line.systemFolder.empty());
    EXPECT_FALSE(line.help || line.version);
}

TEST(CommandLineTest, Addresses) {
    EXPECT_EQ(*parsed({"bbs.example.net"}).host, "bbs.example.net");
    EXPECT_EQ(parsed({"bbs.example.net"}).port, 23);
    const CommandLine local = parsed({"127.0.0.1:6502"});
    EXPECT_EQ(*local.host, "127.0.0.1");
    EXPECT_EQ(local.port, 6502);
    EXPECT_EQ(parsed({"h:65535"}).port, 65535);
    const CommandLine v6 = parsed({"[::1]:49152"});
    EXPECT_EQ(*v6.host, "::1");
    EXPECT_EQ(v6.port, 49152);
    EXPECT_EQ(parsed({"[::1]"}).port, 23);
    EXPECT_EQ(parsed({"127.0.0.1:6502"}).protocol, "Raw");
}

// Links from a browser: the scheme picks the line, the address is read as without it. The link
// a second start hands to the running program names the same board.
TEST(CommandLineTest, Links) {
    const struct {
        const char* link;
        const char* host;
        int port;
        const char* protocol;
    } rows[] = {
        {"telnet://127.0.0.1:6502", "127.0.0.1", 6502, "Telnet"},
        {"TELNET://bbs.example.net/", "bbs.example.net", 23, "Telnet"},
        {"telnet://[::1]:2323/", "::1", 2323, "Telnet"},
        {"atascii://127.0.0.1:6502", "127.0.0.1", 6502, "Raw"},
    };
    for (const auto& row : rows) {
        const CommandLine line = parsed({row.link});
        EXPECT_EQ(*line.host, row.host) << row.link;
        EXPECT_EQ(line.port, row.port) << row.link;
        EXPECT_EQ(line.protocol, row.protocol) << row.link;
        const CommandLine handedOver = parsed({vx::linkOf(line)});
        EXPECT_EQ(*handedOver.host, row.host) << vx::linkOf(line);
        EXPECT_EQ(handedOver.port, row.port) << vx::linkOf(line);
        EXPECT_EQ(handedOver.protocol, row.protocol) << vx::linkOf(line);
    }
    EXPECT_EQ(vx::linkOf(parsed({})), "");
    EXPECT_NE(problem({"ssh://h:22"}).find("only telnet:// and atascii://"), std::string::npos);
    EXPECT_NE(problem({"telnet://"}).find("missing host"), std::string::npos);
}

TEST(CommandLineTest, Options) {
    const CommandLine line = parsed({"--system-folder", "/tmp/vx folder", "h:1", "--version", "--help"});
    EXPECT_EQ(line.systemFolder, "/tmp/vx folder");
    EXPECT_TRUE(line.version);
    EXPECT_TRUE(line.help);
    EXPECT_EQ(parsed({"--system-folder=/x"}).systemFolder, "/x");
    EXPECT_EQ(parsed({"--import-bbs", "boards.csv"}).importBbs, "boards.csv");
    EXPECT_EQ(parsed({"--export-bbs", "out.csv", "--system-folder", "/x"}).exportBbs, "out.csv");
}

TEST(CommandLineTest, ProblemsAreNamed) {
    EXPECT_NE(problem({"h:0"}).find("bad port '0'"), std::string::npos);
    EXPECT_NE(problem({"h:65536"}).find("bad port"), std::string::npos);
    EXPECT_NE(problem({"h:23x"}).find("bad port"), std::string::npos);
    EXPECT_NE(problem({"h:"}).find("missing port"), std::string::npos);
    EXPECT_NE(problem({":23"}).find("missing host"), std::string::npos);
    EXPECT_NE(problem({"::1"}).find("brackets"), std::string::npos);
    EXPECT_NE(problem({"[::1"}).find("missing ']'"), std::string::npos);
    EXPECT_NE(problem({"[::1]x"}).find("unexpected text"), std::string::npos);
    EXPECT_NE(problem({"a", "b"}).find("only one board"), std::string::npos);
    EXPECT_NE(problem({"--system-folder"}).find("needs a folder"), std::string::npos);
    EXPECT_NE(problem({"--system-folder="}).find("needs a folder"), std::string::npos);
    EXPECT_NE(problem({"--colour"}).find("unknown option --colour"), std::string::npos);
    EXPECT_NE(problem({"--import-bbs"}).find("needs a file"), std::string::npos);
    EXPECT_NE(problem({"--import-bbs", "a", "--export-bbs", "b"}).find("one at a time"), std::string::npos);
    EXPECT_NE(problem({"--export-bbs", "b", "h:23"}).find("not dialled"), std::string::npos);
}

TEST(CommandLineTest, UsageAndVersion) {
    EXPECT_TRUE(vx::commandLineUsage().starts_with("Usage: vexterm [HOST[:PORT] | telnet://HOST[:PORT]]"));
    EXPECT_EQ(vx::versionLine(), "vexterm 3.14 (build 717)");
}

}  // namespace
