#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// One field of a capture file and where the next one starts.
struct CaptureField {
    std::string_view text;
    std::size_t next = 0;
};

// Reads the field at `at`: a field that starts with a double quote runs to the next double quote
// (or the end of the data), any other to the next comma or line end (CR LF, CR or LF). The comma
// or line end right after the field is consumed; anything else there starts the next field.
// Total: every input gives a field, and `next` is past `at` unless `at` is at the end already.
CaptureField readCaptureField(std::string_view data, std::size_t at);

// A field as VXEditor's code list: each byte's decimal code followed by ";", then CR LF.
void appendCaptureFieldCodes(std::string& out, std::string_view field);

// The capture viewer's reading loop over a whole file, one field per call, with its rules: the
// count n grows by each field's length (quotes and line ends not counted); empty fields raise a
// no-progress counter that gives up when more than 5 come in a row; an export stops after the field that
// brings n to the requested count, so the last record is always complete.
class CaptureReader {
public:
    static constexpr int kMaxNoProgress = 5;

    // `exportCount` is only looked at when `exporting`.
    CaptureReader(std::string data, bool exporting, std::int64_t exportCount);
    // lastField() points into the data, which must not move.
    CaptureReader(const CaptureReader&) = delete;
    CaptureReader& operator=(const CaptureReader&) = delete;

    // Reads the next field. False when there was none to read: reading has ended (see
    // finished() and aborted()). After a true return, reading may also have ended (an export
    // reached its count).
    bool readNext();

    bool finished() const { return m_finished; }
    bool aborted() const { return m_aborted; }
    // n: the characters read so far.
    std::int64_t count() const { return m_count; }
    std::string_view lastField() const { return m_lastField; }
    // The text to replay: every field read, in order.
    const std::string& replayText() const { return m_replay; }
    std::string takeReplayText() { return std::move(m_replay); }

private:
    std::string m_data;
    bool m_exporting;
    std::int64_t m_exportCount;
    std::size_t m_at = 0;
    std::int64_t m_count = 0;
    int m_noProgress = 0;
    bool m_finished = false;
    bool m_aborted = false;
    std::string_view m_lastField;
    std::string m_replay;
};

}  // namespace vx
