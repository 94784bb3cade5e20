#pragma once

#include <QByteArray>
#include <QString>
#include <string>
#include <string_view>

namespace vx {

// The program's texts are byte strings, one character a byte (codes 0-255), as the BBS list and
// the configuration hold them. Widgets show them as characters; these two are the only ways
// between the two, so that every window reads and writes the same code page.
inline QString qtText(std::string_view bytes) {
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string bytesOf(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace vx
