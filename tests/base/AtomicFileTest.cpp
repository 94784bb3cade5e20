// A file written by the atomic replacement (screen dumps, vexterm-render pictures, 'Moji files,
// exports, the system files) gets the mode the umask allows when new, and keeps its own when replaced.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/AtomicFile.h"
#include "support/TempDir.h"

TEST(AtomicFile, ANewFileFollowsTheUmaskAReplacedOneKeepsItsMode) {
    const struct {
        mode_t umask;
        int existingMode;  // -1: a new file
        mode_t expected;
    } cases[] = {{022, -1, 0644}, {002, -1, 0664}, {077, -1, 0600}, {022, 0640, 0640}, {077, 0644, 0644}};
    const mode_t saved = ::umask(022);
    for (const auto& c : cases) {
        vx::test::TempDir temp;
        const std::string path = (temp / "file.bin").string();
        if (c.existingMode >= 0) {
            ASSERT_EQ(vx::writeFileAtomically(path, "old"), vx::FileStatus::kOk);
            ASSERT_EQ(::chmod(path.c_str(), static_cast<mode_t>(c.existingMode)), 0);
        }
        ::umask(c.umask);
        EXPECT_EQ(vx::writeFileAtomically(path, "new"), vx::FileStatus::kOk);
        struct stat written {};
        EXPECT_EQ(::stat(path.c_str(), &written), 0);
        EXPECT_EQ(written.st_mode & 07777, c.expected) << std::oct << "umask " << c.umask << " mode " << c.existingMode;
        ::umask(022);
    }
    ::umask(saved);
}
