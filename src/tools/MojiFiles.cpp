#include "tools/MojiFiles.h"

#include "base/AtomicFile.h"
#include "base/SystemPaths.h"
#include "log/StatusReporter.h"

namespace vx {

std::string mojiFileBytes(const std::string& codes) { return "\"" + codes + "\"\r\n"; }

bool CreateSystemMojis(const std::string& folder, StatusReporter& status) {
    status.ShowStatus("Creating " + std::to_string(std::size(kSystemMojis)) + " System Mojis...", false, true);
    bool allWritten = true;
    for (const SystemMoji& moji : kSystemMojis)
        allWritten &= writeFileAtomically(AddBackslash(folder) + moji.name, mojiFileBytes(moji.codes)) == FileStatus::kOk;
    return allWritten;
}

}  // namespace vx
