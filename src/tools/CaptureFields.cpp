#include "tools/CaptureFields.h"

#include <charconv>

namespace vx {

CaptureField readCaptureField(std::string_view data, std::size_t at) {
    const std::size_t size = data.size();
    if (at >= size) return {{}, size};

    CaptureField field;
    if (data[at] == '"') {
        const std::size_t close = data.find('"', at + 1);
        if (close == std::string_view::npos) return {data.substr(at + 1), size};
        field = {data.substr(at + 1, close - at - 1), close + 1};
    } else {
        const std::size_t stop = data.find_first_of(",\r\n", at);
        if (stop == std::string_view::npos) return {data.substr(at), size};
        field = {data.substr(at, stop - at), stop};
    }

    std::size_t& next = field.next;
    if (next < size) {
        if (data[next] == ',' || data[next] == '\n') {
            ++next;
        } else if (data[next] == '\r') {
            ++next;
            if (next < size && data[next] == '\n') ++next;
        }
    }
    return field;
}

void appendCaptureFieldCodes(std::string& out, std::string_view field) {
    char digits[4];
    for (const char c : field) {
        const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<unsigned char>(c));
        out.append(digits, result.ptr);
        out += ';';
    }
    out += "\r\n";
}

CaptureReader::CaptureReader(std::string data, bool exporting, std::int64_t exportCount)
    : m_data(std::move(data)), m_exporting(exporting), m_exportCount(exportCount) {
    m_replay.reserve(m_data.size());
}

bool CaptureReader::readNext() {
    if (m_finished || m_aborted) return false;
    const auto length = static_cast<std::int64_t>(m_data.size());
    // n counts no quotes or line ends, so it stays below the file's length to the very end; the
    // end of the data is what normally stops the loop.
    if (m_count >= length || m_at >= m_data.size()) {
        m_finished = true;
        return false;
    }
    const CaptureField field = readCaptureField(m_data, m_at);
    m_at = field.next;
    m_lastField = field.text;
    if (field.text.empty()) {
        if (++m_noProgress > kMaxNoProgress) {
            m_aborted = true;
            return false;
        }
    } else {
        // Only a run of empty fields means the reader is stuck: typed double quotes make empty
        // fields now and then all through a session.
        m_noProgress = 0;
        m_count += static_cast<std::int64_t>(field.text.size());
    }
    if (m_count <= length) m_replay.append(field.text);
    if (m_exporting && m_count >= m_exportCount) m_finished = true;
    return true;
}

}  // namespace vx
