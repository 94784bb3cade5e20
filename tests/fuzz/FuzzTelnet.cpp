// Any bytes from a telnet server, cut anywhere: the line never gives the screen more bytes than
// came, answers in proportion (no negotiation loop can grow), and what this side encodes the
// other side decodes back exactly.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "session/TelnetCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t chunk = 1 + data[0] % 17;  // the first byte says where the reads are cut

    std::size_t answered = 0;
    vx::TelnetCodec client(vx::TelnetCodec::Side::Client, [&](std::string_view answer) { answered += answer.size(); });
    client.setWindowSize(80, 24);
    std::size_t shown = 0;
    for (std::size_t at = 0; at < bytes.size(); at += chunk) shown += client.decode(bytes.substr(at, chunk)).size();
    if (shown > bytes.size()) std::abort();
    // The longest answer, the terminal type, is 13 bytes for a 6-byte request.
    if (answered > 3 * bytes.size() + 64) std::abort();

    vx::TelnetCodec server(vx::TelnetCodec::Side::Server, [](std::string_view) {});
    vx::TelnetCodec caller(vx::TelnetCodec::Side::Client, [](std::string_view) {});
    if (caller.decode(server.encode(bytes)) != bytes) std::abort();
    if (server.decode(caller.encode(bytes)) != bytes) std::abort();
    return 0;
}
