#include "dfq/dfq_text.h"

#include <array>

namespace zelapp {

namespace {

// The characters Windows-1252 holds at 0x80-0x9F instead of the C1 controls; 0 where it has
// none (0x81, 0x8D, 0x8F, 0x90, 0x9D).
constexpr std::array<char32_t, 32> kHighBlock = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char windows1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<char>(c);
    }
    for (std::size_t i = 0; i < kHighBlock.size(); ++i) {
        if (kHighBlock[i] != 0 && kHighBlock[i] == c) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

}  // namespace

QString dfqCleanText(const QString &text) {
    QString clean = text;
    for (QChar &c : clean) {
        if (isControl(c.unicode())) {
            c = QLatin1Char(' ');
        }
    }
    return clean;
}

QString dfqLeftChars(const QString &text, int count) {
    qsizetype units = 0;
    for (int chars = 0; chars < count && units < text.size(); ++chars) {
        const bool pair = text[units].isHighSurrogate() && units + 1 < text.size() &&
                          text[units + 1].isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.left(units);
}

QByteArray dfqEncode(const QString &text, DfqEncoding encoding) {
    if (encoding == DfqEncoding::Utf8) {
        return text.toUtf8();
    }
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        bytes.append(windows1252(c));
    }
    return bytes;
}

}  // namespace zelapp
