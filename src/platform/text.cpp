#include "platform/text.h"

#include <QList>
#include <climits>

namespace {

// Unicode code points of bytes 0x80..0xFF.
constexpr char16_t kHigh[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411,
    0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C,
    0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432,
    0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D,
    0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447, 0x0448,
    0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

char32_t toUnicode(unsigned char c) { return c < 0x80 ? c : kHigh[c - 0x80]; }

int fromUnicode(char32_t u) {
    if (u < 0x80) return int(u);
    if (u >= 0x0410 && u <= 0x044F) return int(u - 0x0410 + 0xC0);
    for (int i = 0; i < 64; ++i)
        if (kHigh[i] == u) return 0x80 + i;
    return -1;
}

void appendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += char(u);
    } else if (u < 0x800) {
        out += char(0xC0 | (u >> 6));
        out += char(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += char(0xE0 | (u >> 12));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    } else {
        out += char(0xF0 | (u >> 18));
        out += char(0x80 | ((u >> 12) & 0x3F));
        out += char(0x80 | ((u >> 6) & 0x3F));
        out += char(0x80 | (u & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; returns its length, or 0 when it is malformed.
size_t decodeUtf8(std::string_view s, size_t i, char32_t& u) {
    const unsigned char c = s[i];
    size_t len;
    char32_t min;
    if (c < 0x80) {
        u = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2, u = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, u = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, u = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        const unsigned char cc = s[i + k];
        if ((cc & 0xC0) != 0x80) return 0;
        u = (u << 6) | (cc & 0x3F);
    }
    if (u < min || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return 0;
    return len;
}

} // namespace

std::string cp1251ToUtf8(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() * 2);
    for (unsigned char c : cp1251) appendUtf8(out, toUnicode(c));
    return out;
}

std::string utf8ToCp1251(std::string_view utf8, bool* ok) {
    std::string out;
    out.reserve(utf8.size());
    bool good = true;
    for (size_t i = 0; i < utf8.size();) {
        char32_t u;
        const size_t len = decodeUtf8(utf8, i, u);
        if (len == 0) {
            good = false;
            out += '?';
            ++i;
            continue;
        }
        const int b = fromUnicode(u);
        out += b < 0 ? '?' : char(b);
        i += len;
    }
    if (ok) *ok = good;
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        char32_t u;
        const size_t len = decodeUtf8(bytes, i, u);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

QString toQString(std::string_view cp1251) {
    QString out;
    out.reserve(qsizetype(cp1251.size()));
    for (unsigned char c : cp1251) out += QChar(char16_t(toUnicode(c)));
    return out;
}

std::string fromQString(const QString& text) {
    std::string out;
    out.reserve(size_t(text.size()));
    for (char32_t u : text.toUcs4()) {
        const int b = fromUnicode(u);
        out += b < 0 ? '?' : char(b);
    }
    return out;
}

unsigned char upperCp1251(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if (c >= 0xE0) return c - 32;
    if (c == 0xB8) return 0xA8;
    return c;
}

unsigned char lowerCp1251(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if (c >= 0xC0 && c <= 0xDF) return c + 32;
    if (c == 0xA8) return 0xB8;
    return c;
}

std::string upperCp1251(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = char(upperCp1251(static_cast<unsigned char>(c)));
    return out;
}

std::string lowerCp1251(std::string_view s) {
    std::string out(s);
    for (auto& c : out) c = char(lowerCp1251(static_cast<unsigned char>(c)));
    return out;
}

int readDecimal(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n' || s[i] == '\r' ||
                            s[i] == '\v' || s[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > INT_MAX + 1LL) value = INT_MAX + 1LL; // clamp, keep reading digits
    }
    if (negative) value = -value;
    if (value > INT_MAX) value = INT_MAX;
    return int(value);
}
