#include "sourcetext.h"

#include "error.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <unordered_map>
#include <vector>

namespace {

// Length of the well-formed UTF-8 sequence at s[i] with its code point, or 0.
size_t utf8Sequence(std::string_view s, size_t i, char32_t& cp) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n;
    char32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        n = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        const unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

// Offset of the first byte that breaks UTF-8, or npos.
size_t firstBadUtf8(std::string_view s) {
    char32_t cp;
    for (size_t i = 0; i < s.size();) {
        const size_t n = utf8Sequence(s, i, cp);
        if (n == 0) return i;
        i += n;
    }
    return std::string_view::npos;
}

// The Windows-1251 byte of a code point, or -1.
int cp1251Byte(char32_t cp) {
    static const std::unordered_map<char32_t, int> table = [] {
        std::unordered_map<char32_t, int> t;
        for (int b = 0x80; b < 0x100; ++b) {
            const std::string utf8 = cp1251ToUtf8(std::string(1, char(b)));
            char32_t u;
            if (utf8Sequence(utf8, 0, u) == utf8.size()) t.emplace(u, b);
        }
        return t;
    }();
    if (cp < 0x80) return int(cp);
    const auto it = table.find(cp);
    return it == table.end() ? -1 : it->second;
}

} // namespace

int lineOf(std::string_view text, size_t offset) {
    int line = 1;
    for (size_t i = 0; i < offset && i < text.size(); ++i)
        if (text[i] == '\n') ++line;
    return line;
}

std::string toCp1251(std::string_view bytes, const std::string& name) {
    if (const size_t nul = bytes.find('\0'); nul != std::string_view::npos)
        throw BuildError(name, lineOf(bytes, nul), "a NUL byte: not a text in UTF-8 or Windows-1251");
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const size_t bad = firstBadUtf8(bytes);
    if (bad != std::string_view::npos) {
        // Not UTF-8: Windows-1251 unless it holds the one byte that code page leaves unassigned.
        if (const size_t hole = bytes.find('\x98'); hole != std::string_view::npos)
            throw BuildError(name, lineOf(bytes, hole),
                             "neither UTF-8 (bad sequence on line " +
                                 std::to_string(lineOf(bytes, bad)) +
                                 ") nor Windows-1251 (byte 0x98)");
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size());
    char32_t cp;
    for (size_t i = 0; i < bytes.size();) {
        const size_t n = utf8Sequence(bytes, i, cp);
        if (n == 1) {
            out += bytes[i];
        } else {
            const int byte = cp1251Byte(cp);
            if (byte >= 0)
                out += char(byte);
            else
                out += "&#" + std::to_string(uint32_t(cp)) + ";";
        }
        i += n;
    }
    return out;
}

bool readBytes(const std::filesystem::path& file, std::string& bytes) {
    return readNativeFile(file.string(), bytes);
}

std::string readSourceText(const std::filesystem::path& file, const std::string& name) {
    std::string bytes;
    if (!readBytes(file, bytes)) throw BuildError(name, 0, "cannot read the file");
    return toCp1251(bytes, name);
}

bool joinSourcePath(std::string_view folder, std::string_view ref, std::string& out) {
    if (ref.empty() || ref[0] == '/' || ref[0] == '\\') return false;
    if (ref.size() > 1 && ref[1] == ':') return false;
    std::vector<std::string> parts;
    auto push = [&](std::string_view s) {
        size_t i = 0;
        while (i <= s.size()) {
            size_t j = s.find_first_of("/\\", i);
            if (j == std::string_view::npos) j = s.size();
            const std::string_view name = s.substr(i, j - i);
            if (name == "..") {
                if (parts.empty()) return false;
                parts.pop_back();
            } else if (!name.empty() && name != ".") {
                parts.emplace_back(name);
            }
            i = j + 1;
        }
        return true;
    };
    if (!push(folder) || !push(ref) || parts.empty()) return false;
    out.clear();
    for (const std::string& p : parts) {
        if (!out.empty()) out += '/';
        out += p;
    }
    return true;
}

std::string folderOf(std::string_view path) {
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

std::filesystem::path nativeSource(const std::filesystem::path& root, std::string_view path1251) {
    return root / std::filesystem::path(cp1251ToUtf8(path1251));
}
