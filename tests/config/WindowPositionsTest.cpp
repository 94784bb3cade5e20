#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "config/WindowPositions.h"
#include "support/Fakes.h"
#include "support/TempDir.h"

using vx::PlacedWindow;

namespace {

class WindowPositionsTest : public ::testing::Test {
protected:
    vx::test::TempDir temp;
    std::string path = (temp / "VX3_Cfg.ini").string();
    vx::SettingsStore store;
    vx::test::FakeWindowGeometry windows;
    vx::WindowPositions positions{store, windows};

    void SetUp() override { std::ofstream(path, std::ios::binary) << "[Config]\r\nVersion=3.14\r\n"; }
    std::string file() {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(WindowPositionsTest, SavesTwelveKeysInOrderThenDataWritten) {
    int value = 100;
    for (PlacedWindow w : {PlacedWindow::MainFrame, PlacedWindow::VXEditor, PlacedWindow::BBSEditor,
                           PlacedWindow::LastURLs, PlacedWindow::Website, PlacedWindow::Status}) {
        windows.places[w] = {value, value + 1};
        value += 100;
    }
    windows.places[PlacedWindow::Status] = {-15, 19605};
    bool dataWritten = false;
    EXPECT_EQ(positions.SaveRestorePositions(true, path, dataWritten), 0);
    EXPECT_TRUE(dataWritten);
    EXPECT_EQ(file(),
              "[Config]\r\nVersion=3.14\r\n[Positions]\r\n"
              "MainTop= 100\r\nMainLeft= 101\r\nVXETop= 200\r\nVXELeft= 201\r\nBBSTop= 300\r\nBBSLeft= 301\r\n"
              "URLTop= 400\r\nURLLeft= 401\r\nWEBTop= 500\r\nWEBLeft= 501\r\nStatusTop=-15\r\nStatusLeft= 19605\r\n"
              "DATAwritten=True\r\n");
}

TEST_F(WindowPositionsTest, RestoresWhatIsStoredAndLeavesMissingKeysAlone) {
    std::ofstream(path, std::ios::binary | std::ios::app)
        << "[Positions]\r\nMainTop= 1530\r\nMainLeft=600\r\nVXETop=abc\r\nDATAwritten=True\r\n";
    windows.places[PlacedWindow::MainFrame] = {1, 2};
    windows.places[PlacedWindow::VXEditor] = {3, 4};
    windows.places[PlacedWindow::Status] = {5, 6};
    bool dataWritten = false;
    positions.SaveRestorePositions(false, path, dataWritten);
    EXPECT_TRUE(dataWritten);
    EXPECT_EQ(windows.places[PlacedWindow::MainFrame], std::make_pair(1530, 600));
    EXPECT_EQ(windows.places[PlacedWindow::VXEditor], std::make_pair(0, 4));  // non-numeric reads as 0
    EXPECT_EQ(windows.places[PlacedWindow::Status], std::make_pair(5, 6));
    EXPECT_EQ(positions.values()[0], 1530);
    EXPECT_EQ(positions.values()[11], 6);
}

// A configuration that has gone gets no file of places alone, and the save is a failure.
TEST_F(WindowPositionsTest, SavingWithoutAFileWritesNothingAndFails) {
    std::filesystem::remove(path);
    bool dataWritten = false;
    EXPECT_EQ(positions.SaveRestorePositions(true, path, dataWritten), vx::SettingsStore::kInvalidRoot);
    EXPECT_FALSE(dataWritten);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
