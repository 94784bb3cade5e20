// Any received stream: the address catcher keeps at most ten addresses, each starting with its
// scheme, no longer than the bound, made of address characters only, and everything after the
// scheme taken from the stream as it came; its own state stays within its bounds after every byte.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/UrlDetector.h"

namespace {

constexpr std::string_view kSchemes[] = {"https://", "http://"};

void checkUrl(const std::string& url, std::string_view stream) {
    if (url.empty()) return;
    if (url.size() > vx::UrlDetector::kMaxUrlLength) std::abort();
    std::string_view rest;
    for (const std::string_view scheme : kSchemes) {
        if (url.starts_with(scheme)) {
            rest = std::string_view(url).substr(scheme.size());
            break;
        }
    }
    if (rest.data() == nullptr) std::abort();
    for (const char c : rest)
        if (!vx::UrlDetector::isUrlCharacter(static_cast<std::uint8_t>(c))) std::abort();
    // "www." is caught as "http://www.": the scheme is added, the "www." came from the stream.
    const std::string_view taken = rest.starts_with("www.") ? rest.substr(4) : rest;
    if (stream.find(taken) == std::string_view::npos) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view stream(reinterpret_cast<const char*>(data), size);
    vx::UrlDetector detector;
    int changes = 0;
    detector.setOnChanged([&changes] { ++changes; });
    for (std::size_t i = 0; i < size; ++i) {
        detector.DetectURLChar(data[i]);
        if (detector.matchedText().size() > 12 || detector.pendingUrl().size() > vx::UrlDetector::kMaxUrlLength)
            std::abort();
    }
    if (changes > static_cast<int>(size)) std::abort();
    const int newest = detector.newestSlot();
    if (newest < -1 || newest >= vx::UrlDetector::kSlots) std::abort();
    if (detector.nextSlot() < 0 || detector.nextSlot() >= vx::UrlDetector::kSlots) std::abort();
    if (newest >= 0 && detector.nextSlot() != (newest + 1) % vx::UrlDetector::kSlots) std::abort();
    for (int slot = 0; slot < vx::UrlDetector::kSlots; ++slot) checkUrl(detector.url(slot), stream);
    return 0;
}
