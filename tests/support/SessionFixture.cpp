#include "support/SessionFixture.h"

#include "base/AtomicFile.h"
#include "config/IniFile.h"

namespace vx::test {

void SessionFixture::readWholeFileInto(const std::string& path, std::string& bytes) {
    bytes.clear();
    readWholeFile(path, bytes);
}

std::string SessionFixture::stored(const std::string& section, const std::string& key) {
    std::string bytes;
    readWholeFile((temp / "VX3_BBS.INI").string(), bytes);
    return IniFile::parse(bytes).read(section, key, "<missing>");
}

}  // namespace vx::test
