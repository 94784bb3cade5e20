// Any capture file content: the field reader always moves forward and stays inside the data,
// and the viewer's reading loop ends within one step per byte (plus the no-progress allowance)
// with a replay text that is exactly the fields it counted.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/CaptureFields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    std::size_t at = 0;
    std::size_t fields = 0;
    while (at < bytes.size()) {
        const vx::CaptureField field = vx::readCaptureField(bytes, at);
        if (field.next <= at || field.next > bytes.size()) std::abort();
        if (field.text.data() < bytes.data() || field.text.data() + field.text.size() > bytes.data() + bytes.size())
            std::abort();
        at = field.next;
        if (++fields > size) std::abort();
    }
    if (!vx::readCaptureField(bytes, at).text.empty()) std::abort();

    // The first byte picks export or view and the count, so both loops are explored.
    const bool exporting = size > 0 && (data[0] & 1) != 0;
    const std::int64_t count = size > 1 ? data[1] * 8 : 0;
    vx::CaptureReader reader{std::string(bytes), exporting, count};
    std::size_t steps = 0;
    std::string codes;
    while (reader.readNext()) {
        if (++steps > size + vx::CaptureReader::kMaxNoProgress + 1) std::abort();
        codes.clear();
        vx::appendCaptureFieldCodes(codes, reader.lastField());
        if (codes.size() < 2 + reader.lastField().size() * 2) std::abort();
    }
    if (!reader.finished() && !reader.aborted()) std::abort();
    if (reader.count() > static_cast<std::int64_t>(size)) std::abort();
    if (reader.replayText().size() != static_cast<std::size_t>(reader.count())) std::abort();
    return 0;
}
