#include "Windows1252.h"

#include <array>

namespace k7 {

namespace {

// 0x80-0x9F; the rest of the code page is Latin-1. Zero marks the five undefined bytes.
constexpr std::array<char16_t, 32> kHighControls{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t Decode(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F && kHighControls[byte - 0x80] != 0) {
        return kHighControls[byte - 0x80];
    }
    return byte;
}

char Encode(char16_t unit) {
    if (unit >= 0x80 && unit <= 0x9F) {
        // Only the undefined bytes stand for themselves; the others are other characters.
        return kHighControls[unit - 0x80] == 0 ? static_cast<char>(unit) : '?';
    }
    if (unit <= 0xFF) {
        return static_cast<char>(unit);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == unit) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

} // namespace

QString DecodeWindows1252(QByteArrayView bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        out[i] = QChar(Decode(static_cast<unsigned char>(bytes[i])));
    }
    return text;
}

QByteArray EncodeWindows1252(QStringView text) {
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text[i];
        if (unit.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i; // one character outside the code page, one "?"
        }
        bytes.append(Encode(unit.unicode()));
    }
    return bytes;
}

} // namespace k7
