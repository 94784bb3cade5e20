#include "screen/GlyphFont.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "screen/AtasciiFont.h"

namespace vx {
namespace {

constexpr int kUnitsPerEm = 1024;
constexpr int kPixel = kUnitsPerEm / 8;
constexpr int kAscender = 7 * kPixel;  // the bottom row of a character stands below the baseline
constexpr int kDescender = -kPixel;
constexpr int kGlyphCount = 257;  // .notdef, then the codes 0-255

// Big-endian writing into a table.
class Table {
public:
    void u8(std::uint8_t v) { m_bytes.push_back(static_cast<char>(v)); }
    void u16(int v) {
        u8(static_cast<std::uint8_t>((v >> 8) & 0xFF));
        u8(static_cast<std::uint8_t>(v & 0xFF));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<int>(v >> 16));
        u16(static_cast<int>(v & 0xFFFF));
    }
    void zeros(int count) { m_bytes.append(static_cast<std::size_t>(count), '\0'); }
    void text(const std::string& t) { m_bytes += t; }
    std::size_t size() const { return m_bytes.size(); }
    const std::string& bytes() const { return m_bytes; }
    std::string& bytes() { return m_bytes; }

private:
    std::string m_bytes;
};

std::uint32_t checksum(const std::string& bytes) {
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        std::uint32_t word = 0;
        for (std::size_t k = 0; k < 4; ++k)
            word = (word << 8) | (i + k < bytes.size() ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        sum += word;
    }
    return sum;
}

// The 8 x 8 rows of an ATASCII code; 128-255 are the inverse of 0-127.
std::array<std::uint8_t, 8> rowsOf(int code) {
    std::array<std::uint8_t, 8> rows = atasciiFont8x8()[static_cast<std::size_t>(code & 0x7F)];
    if (code >= 128)
        for (auto& row : rows) row = static_cast<std::uint8_t>(~row);
    return rows;
}

// One rectangle per horizontal run of set pixels, clockwise with y up.
struct Rect {
    int x0, y0, x1, y1;
};

std::vector<Rect> rectsOf(const std::array<std::uint8_t, 8>& rows) {
    std::vector<Rect> rects;
    for (int r = 0; r < 8; ++r) {
        int x = 0;
        while (x < 8) {
            if (!((rows[static_cast<std::size_t>(r)] >> (7 - x)) & 1)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < 8 && ((rows[static_cast<std::size_t>(r)] >> (7 - x)) & 1)) ++x;
            const int top = kAscender - r * kPixel;
            rects.push_back({start * kPixel, top - kPixel, x * kPixel, top});
        }
    }
    return rects;
}

std::string glyphData(const std::vector<Rect>& rects) {
    if (rects.empty()) return {};
    Table g;
    g.u16(static_cast<int>(rects.size()));
    int xMin = kUnitsPerEm, yMin = kUnitsPerEm, xMax = -kUnitsPerEm, yMax = -kUnitsPerEm;
    for (const Rect& r : rects) {
        xMin = std::min(xMin, r.x0);
        yMin = std::min(yMin, r.y0);
        xMax = std::max(xMax, r.x1);
        yMax = std::max(yMax, r.y1);
    }
    g.u16(xMin);
    g.u16(yMin);
    g.u16(xMax);
    g.u16(yMax);
    for (std::size_t i = 0; i < rects.size(); ++i) g.u16(static_cast<int>(i * 4 + 3));
    g.u16(0);                                                       // no instructions
    for (std::size_t i = 0; i < rects.size() * 4; ++i) g.u8(0x01);  // on-curve, two-byte deltas
    std::vector<std::pair<int, int>> points;
    for (const Rect& r : rects) {
        points.push_back({r.x0, r.y1});
        points.push_back({r.x1, r.y1});
        points.push_back({r.x1, r.y0});
        points.push_back({r.x0, r.y0});
    }
    int last = 0;
    for (const auto& p : points) {
        g.u16(p.first - last);
        last = p.first;
    }
    last = 0;
    for (const auto& p : points) {
        g.u16(p.second - last);
        last = p.second;
    }
    while (g.size() % 4) g.u8(0);
    return g.bytes();
}

std::string nameTable() {
    const std::pair<int, std::string> names[] = {{1, kGlyphFontFamily},
                                                 {2, "Regular"},
                                                 {3, "Vexterm ATASCII 3.14"},
                                                 {4, kGlyphFontFamily},
                                                 {6, "VextermATASCII"}};
    Table t;
    t.u16(0);
    t.u16(static_cast<int>(std::size(names)));
    t.u16(6 + 12 * static_cast<int>(std::size(names)));
    std::string strings;
    for (const auto& [id, text] : names) {
        std::string utf16;
        for (char c : text) {
            utf16 += '\0';
            utf16 += c;
        }
        t.u16(3);      // Windows
        t.u16(1);      // Unicode BMP
        t.u16(0x409);  // English
        t.u16(id);
        t.u16(static_cast<int>(utf16.size()));
        t.u16(static_cast<int>(strings.size()));
        strings += utf16;
    }
    t.text(strings);
    return t.bytes();
}

// Unicode to glyph: U+0020-007E and U+00A0-00FF are their own codes, U+E000-E0FF every code.
std::string cmapTable() {
    struct Segment {
        int start, end, delta;
    };
    const Segment segments[] = {{0x20, 0x7E, 1}, {0xA0, 0xFF, 1}, {0xE000, 0xE0FF, 1 - 0xE000}, {0xFFFF, 0xFFFF, 1}};
    const int count = static_cast<int>(std::size(segments));
    Table sub;
    sub.u16(4);
    sub.u16(16 + 8 * count);
    sub.u16(0);
    sub.u16(count * 2);
    int power = 1, log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    sub.u16(power * 2);
    sub.u16(log);
    sub.u16(count * 2 - power * 2);
    for (const Segment& s : segments) sub.u16(s.end);
    sub.u16(0);
    for (const Segment& s : segments) sub.u16(s.start);
    for (const Segment& s : segments) sub.u16(s.delta & 0xFFFF);
    for (int i = 0; i < count; ++i) sub.u16(0);
    Table t;
    t.u16(0);
    t.u16(1);
    t.u16(3);
    t.u16(1);
    t.u32(12);
    t.text(sub.bytes());
    return t.bytes();
}

}  // namespace

std::string atasciiTrueTypeFont() {
    std::string glyf;
    std::vector<std::uint32_t> loca{0};
    // The left side bearing of each glyph is its leftmost point: a renderer places the outline by
    // it, so a character whose first column is empty would otherwise shift left.
    std::vector<int> leftBearings;
    int maxContours = 0;
    glyf.reserve(64 * 1024);
    for (int g = 0; g < kGlyphCount; ++g) {
        const std::vector<Rect> rects = g == 0 ? std::vector<Rect>{} : rectsOf(rowsOf(g - 1));
        int left = rects.empty() ? 0 : kUnitsPerEm;
        for (const Rect& r : rects) left = std::min(left, r.x0);
        leftBearings.push_back(left);
        maxContours = std::max(maxContours, static_cast<int>(rects.size()));
        glyf += glyphData(rects);
        loca.push_back(static_cast<std::uint32_t>(glyf.size()));
    }

    std::map<std::string, std::string> tables;
    {
        Table t;
        for (std::uint32_t offset : loca) t.u32(offset);
        tables["loca"] = t.bytes();
    }
    tables["glyf"] = glyf;
    {
        Table t;  // head
        t.u32(0x00010000);
        t.u32(0x00010000);
        t.u32(0);  // checkSumAdjustment, set below
        t.u32(0x5F0F3CF5);
        t.u16(0x000B);  // baseline at 0, left side bearing at 0, integer scaling
        t.u16(kUnitsPerEm);
        t.zeros(16);  // created, modified
        t.u16(0);
        t.u16(kDescender);
        t.u16(kUnitsPerEm);
        t.u16(kAscender);
        t.u16(0);
        t.u16(8);  // smallest readable size in pixels
        t.u16(2);
        t.u16(1);  // long loca offsets
        t.u16(0);
        tables["head"] = t.bytes();
    }
    {
        Table t;  // hhea
        t.u32(0x00010000);
        t.u16(kAscender);
        t.u16(kDescender);
        t.u16(0);
        t.u16(kUnitsPerEm);
        t.u16(0);
        t.u16(0);
        t.u16(kUnitsPerEm);
        t.u16(1);
        t.u16(0);
        t.u16(0);
        t.zeros(8);
        t.u16(0);
        t.u16(kGlyphCount);
        tables["hhea"] = t.bytes();
    }
    {
        Table t;  // hmtx: every character one em wide
        for (int g = 0; g < kGlyphCount; ++g) {
            t.u16(kUnitsPerEm);
            t.u16(leftBearings[static_cast<std::size_t>(g)]);
        }
        tables["hmtx"] = t.bytes();
    }
    {
        Table t;  // maxp 1.0
        t.u32(0x00010000);
        t.u16(kGlyphCount);
        t.u16(maxContours * 4);
        t.u16(maxContours);
        t.u16(0);
        t.u16(0);
        t.u16(2);
        t.zeros(16);
        tables["maxp"] = t.bytes();
    }
    {
        Table t;  // OS/2 version 4
        t.u16(4);
        t.u16(kUnitsPerEm);  // average width
        t.u16(400);
        t.u16(5);
        t.u16(0);
        for (int i = 0; i < 10; ++i) t.u16(kUnitsPerEm / 2);             // sub- and superscript sizes, strikeout
        t.u16(0);                                                        // family class
        const std::uint8_t panose[10] = {2, 0, 0, 9, 0, 0, 0, 0, 0, 0};  // monospaced
        for (std::uint8_t b : panose) t.u8(b);
        t.u32(0x00000003);  // Basic Latin, Latin-1
        t.u32(0);
        t.u32(0);
        t.u32(0x10000000);  // private use area
        t.text("VXTM");
        t.u16(0x0040);  // regular
        t.u16(0x20);
        t.u16(0xE0FF);
        t.u16(kAscender);
        t.u16(kDescender);
        t.u16(0);
        t.u16(kAscender);
        t.u16(-kDescender);
        t.u32(0x00000001);  // Latin 1 code page
        t.u32(0);
        t.u16(5 * kPixel);
        t.u16(7 * kPixel);
        t.u16(0);
        t.u16(0x20);
        t.u16(1);
        tables["OS/2"] = t.bytes();
    }
    {
        Table t;  // post 3.0: no glyph names
        t.u32(0x00030000);
        t.u32(0);
        t.u16(kDescender);
        t.u16(kPixel);
        t.u32(1);  // fixed pitch
        t.zeros(16);
        tables["post"] = t.bytes();
    }
    tables["name"] = nameTable();
    tables["cmap"] = cmapTable();

    const int count = static_cast<int>(tables.size());
    Table font;
    font.u32(0x00010000);
    font.u16(count);
    int power = 1, log = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log;
    }
    font.u16(power * 16);
    font.u16(log);
    font.u16(count * 16 - power * 16);
    std::size_t offset = 12 + 16 * static_cast<std::size_t>(count);
    std::string body;
    std::size_t headOffset = 0;
    for (auto& [tag, bytes] : tables) {  // std::map keeps the tags sorted, as the directory wants
        font.text(tag);
        font.u32(checksum(bytes));
        font.u32(static_cast<std::uint32_t>(offset));
        font.u32(static_cast<std::uint32_t>(bytes.size()));
        if (tag == "head") headOffset = offset;
        std::string padded = bytes;
        while (padded.size() % 4) padded += '\0';
        body += padded;
        offset += padded.size();
    }
    std::string file = font.bytes() + body;
    const std::uint32_t adjustment = 0xB1B0AFBA - checksum(file);
    for (int k = 0; k < 4; ++k)
        file[headOffset + 8 + static_cast<std::size_t>(k)] = static_cast<char>((adjustment >> (24 - 8 * k)) & 0xFF);
    return file;
}

}  // namespace vx
