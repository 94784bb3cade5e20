// The mode of a file written by the atomic replacement: a new file gets what the user's umask
// allows, as any program's new file does; a replaced file keeps its own. Screen dumps, pictures
// of vexterm-render, 'Moji files, exports and the system files are all written through it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/AtomicFile.h"
#include "support/TempDir.h"

namespace {

struct ModeCase {
    const char* name;
    mode_t umask;
    int existingMode;  // -1: no file yet
    mode_t expected;
};
void PrintTo(const ModeCase& c, std::ostream* out) { *out << c.name; }

class WrittenFileMode : public ::testing::TestWithParam<ModeCase> {
protected:
    void TearDown() override { ::umask(m_saved); }
    mode_t m_saved = ::umask(022);
};

TEST_P(WrittenFileMode, FollowsTheUmaskOrTheReplacedFile) {
    const ModeCase& c = GetParam();
    vx::test::TempDir temp;
    const std::string path = (temp / "file.bin").string();
    if (c.existingMode >= 0) {
        ASSERT_EQ(vx::writeFileAtomically(path, "old"), vx::FileStatus::kOk);
        ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(c.existingMode)), 0);
    }
    ::umask(c.umask);
    ASSERT_EQ(vx::writeFileAtomically(path, "new"), vx::FileStatus::kOk);
    struct stat written {};
    ASSERT_EQ(::stat(path.c_str(), &written), 0);
    EXPECT_EQ(written.st_mode & 07777, c.expected) << std::oct << (written.st_mode & 07777);
}

INSTANTIATE_TEST_SUITE_P(Modes, WrittenFileMode,
                         ::testing::Values(ModeCase{"NewUnderUmask022", 022, -1, 0644},
                                           ModeCase{"NewUnderUmask002", 002, -1, 0664},
                                           ModeCase{"NewUnderUmask077", 077, -1, 0600},
                                           ModeCase{"NewUnderUmask027", 027, -1, 0640},
                                           ModeCase{"ReplacedKeeps0640", 022, 0640, 0640},
                                           ModeCase{"ReplacedKeeps0644UnderUmask077", 077, 0644, 0644}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
