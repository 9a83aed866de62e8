#include "windows1252.h"

#include <QList>

#include <array>

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined
// map to the C1 code point of the same value, as the usual converters do.
constexpr std::array<char16_t, 32> highTable = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

QByteArray toWindows1252(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    // By code point, so a character outside the basic plane becomes one "?", not two.
    for (const char32_t c : text.toUcs4()) {
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            bytes += char(c);
            continue;
        }
        char byte = '?';
        for (std::size_t k = 0; k < highTable.size(); ++k) {
            if (highTable[k] == c) {
                byte = char(0x80 + k);
                break;
            }
        }
        bytes += byte;
    }
    return bytes;
}

QString fromWindows1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        if (byte >= 0x80 && byte <= 0x9F)
            text += QChar(highTable[byte - 0x80]);
        else
            text += QChar(byte);
    }
    return text;
}
