#include "platform/profile.h"

#include "platform/paths.h"
#include "platform/text.h"

// File grammar and rules: docs/formats/ini.md.

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

enum class Kind { Other, Section, Key };

// One line of the file as found on disk: [begin, end) is its text, next is where the following
// line starts (after its LF, or the end of the file when it has none).
struct Line {
    size_t begin = 0, end = 0, next = 0;
    Kind kind = Kind::Other;
    std::string_view name;  // section or key name, trimmed
    std::string_view value; // key value, trimmed
};

std::vector<Line> parseLines(std::string_view bytes) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        Line l;
        l.begin = pos;
        size_t lf = bytes.find('\n', pos);
        l.next = lf == std::string_view::npos ? bytes.size() : lf + 1;
        l.end = lf == std::string_view::npos ? bytes.size() : lf;
        if (l.end > l.begin && bytes[l.end - 1] == '\r') --l.end;
        pos = l.next;

        std::string_view text = bytes.substr(l.begin, l.end - l.begin);
        if (l.begin == 0 && text.substr(0, 3) == "\xEF\xBB\xBF")
            text.remove_prefix(3); // UTF-8 mark
        text = trim(text);
        if (!text.empty() && text[0] == '[') {
            const size_t close = text.find(']');
            l.kind = Kind::Section;
            l.name = trim(text.substr(1, close == std::string_view::npos ? std::string_view::npos
                                                                         : close - 1));
        } else if (!text.empty() && text[0] != ';') {
            const size_t eq = text.find('=');
            if (eq != std::string_view::npos && !trim(text.substr(0, eq)).empty()) {
                l.kind = Kind::Key;
                l.name = trim(text.substr(0, eq));
                l.value = trim(text.substr(eq + 1));
            }
        }
        lines.push_back(l);
    }
    return lines;
}

// A line that is neither a section nor an entry and holds control bytes (NUL and the like, not
// blanks or CR) cannot be text anybody wrote: it is damage, read past and not written back.
// Section and entry lines are always kept: what the profile functions read is data.
bool isDamage(const Line& l, std::string_view bytes) {
    if (l.kind != Kind::Other) return false;
    for (size_t i = l.begin; i < l.end; ++i) {
        const unsigned char c = bytes[i];
        if (c < 0x20 && !isBlank(char(c)) && c != '\r') return true;
    }
    return false;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && lowerCp1251(a) == lowerCp1251(b);
}

// A parsed file and the place of one section in it (the first one with the name).
struct Ini {
    std::string bytes;
    std::vector<Line> lines;

    // forWriting drops the lines that are binary damage (see isDamage), so what gets written
    // back is a clean text file.
    Ini(const std::string& path, bool forWriting) {
        readFile(path, bytes);
        lines = parseLines(bytes);
        if (!forWriting) return;
        std::string kept;
        for (const Line& l : lines)
            if (!isDamage(l, bytes)) kept.append(bytes, l.begin, l.next - l.begin);
        if (kept.size() == bytes.size()) return;
        bytes = std::move(kept);
        lines = parseLines(bytes);
    }
    Ini(const Ini&) = delete; // lines point into bytes

    // Index of the section's header line, or lines.size().
    size_t section(std::string_view name) const {
        const std::string_view wanted = trim(name);
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].kind == Kind::Section && sameName(lines[i].name, wanted)) return i;
        return lines.size();
    }
    // One past the section's last line.
    size_t sectionEnd(size_t header) const {
        size_t i = header + 1;
        while (i < lines.size() && lines[i].kind != Kind::Section)
            ++i;
        return i;
    }
    // Index of the key's line in the section, or lines.size().
    size_t key(size_t header, std::string_view name) const {
        if (header >= lines.size()) return lines.size();
        const std::string_view wanted = trim(name);
        const size_t end = sectionEnd(header);
        for (size_t i = header + 1; i < end; ++i)
            if (lines[i].kind == Kind::Key && sameName(lines[i].name, wanted)) return i;
        return lines.size();
    }
};

// The value as the profile functions give it: a value in matching quotes loses them.
std::string unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

bool hasLineBreak(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Names and values that could not be read back as written (a line break would start a new line,
// "=" would end a key name, "]" a section name) are refused rather than written.
bool writable(std::string_view section, std::string_view key, std::string_view value) {
    section = trim(section);
    key = trim(key);
    return !hasLineBreak(section) && !hasLineBreak(key) && !hasLineBreak(value) &&
           section.find(']') == std::string_view::npos && !key.empty() &&
           key.find('=') == std::string_view::npos && key[0] != '[' && key[0] != ';';
}

const char* const kEol = "\r\n";

} // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
    const Ini ini(m_path, false);
    const size_t k = ini.key(ini.section(section), key);
    return k < ini.lines.size() ? unquote(ini.lines[k].value) : def;
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
    const Ini ini(m_path, false);
    const size_t k = ini.key(ini.section(section), key);
    if (k >= ini.lines.size()) return def;
    const std::string value = unquote(ini.lines[k].value);
    return value.empty() ? def : readDecimal(value);
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
    const Ini ini(m_path, false);
    std::vector<std::string> names;
    const size_t s = ini.section(section);
    if (s >= ini.lines.size()) return names;
    const size_t end = ini.sectionEnd(s);
    for (size_t i = s + 1; i < end; ++i) {
        if (ini.lines[i].kind != Kind::Key) continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || sameName(n, ini.lines[i].name);
        if (!seen) names.emplace_back(ini.lines[i].name);
    }
    return names;
}

bool TIniFile::SectionExists(const std::string& section) const {
    const Ini ini(m_path, false);
    return ini.section(section) < ini.lines.size();
}

bool TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    if (!writable(section, key, value)) return false;
    const Ini ini(m_path, true);
    const std::string_view bytes = ini.bytes;
    const size_t s = ini.section(section);
    std::string out;
    if (s < ini.lines.size()) {
        const size_t k = ini.key(s, key);
        if (k < ini.lines.size()) {
            // Replace the key's line; its own line end and every other byte stay.
            const Line& l = ini.lines[k];
            out.append(bytes.substr(0, l.begin));
            out.append(l.name);
            out += '=';
            out += value;
            out.append(bytes.substr(l.end));
        } else {
            // After the section's last key (comments that follow belong to what comes next).
            size_t after = s;
            const size_t end = ini.sectionEnd(s);
            for (size_t i = s + 1; i < end; ++i)
                if (ini.lines[i].kind == Kind::Key) after = i;
            const Line& l = ini.lines[after];
            out.append(bytes.substr(0, l.next));
            if (l.next == l.end) out += kEol; // the last line had no line end
            out += trim(key);
            out += '=';
            out += value;
            out += kEol;
            out.append(bytes.substr(l.next));
        }
    } else {
        out = std::string(bytes);
        if (!out.empty() && out.back() != '\n') out += kEol;
        out += '[';
        out += trim(section);
        out += ']';
        out += kEol;
        out += trim(key);
        out += '=';
        out += value;
        out += kEol;
    }
    return writeFileAtomic(m_path, out);
}

bool TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    return WriteString(section, key, std::to_string(value));
}

bool TIniFile::DeleteKey(const std::string& section, const std::string& key) {
    const Ini ini(m_path, true);
    const size_t k = ini.key(ini.section(section), key);
    if (k >= ini.lines.size()) return true; // nothing to delete
    const Line& l = ini.lines[k];
    return writeFileAtomic(m_path, ini.bytes.substr(0, l.begin) + ini.bytes.substr(l.next));
}

bool TIniFile::EraseSection(const std::string& section) {
    const Ini ini(m_path, true);
    std::string out;
    bool erased = false;
    size_t copied = 0; // bytes before this are in out
    for (size_t i = 0; i < ini.lines.size();) {
        if (ini.lines[i].kind == Kind::Section && sameName(ini.lines[i].name, trim(section))) {
            const size_t end = ini.sectionEnd(i);
            out.append(ini.bytes, copied, ini.lines[i].begin - copied);
            copied = end < ini.lines.size() ? ini.lines[end].begin : ini.bytes.size();
            erased = true;
            i = end;
        } else {
            ++i;
        }
    }
    if (!erased) return true;
    out.append(ini.bytes, copied, std::string::npos);
    return writeFileAtomic(m_path, out);
}
