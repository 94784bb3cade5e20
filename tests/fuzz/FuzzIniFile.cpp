// Any file content: parsing never fails, an unchanged file writes back byte for byte, and reads
// and writes of the keys found keep the file readable.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    vx::IniFile file = vx::IniFile::parse(bytes);
    if (file.serialize() != bytes) std::abort();

    const std::string value = file.read("Config", "NumBBS", "0");
    if (value.size() > vx::IniFile::kMaxValueLength) std::abort();
    file.write("Config", "NumBBS", std::string(bytes.substr(0, 40)));
    file.write("New", "Key", "v");
    const vx::IniFile again = vx::IniFile::parse(file.serialize());
    if (again.read("New", "Key", "") != "v") std::abort();
    return 0;
}
