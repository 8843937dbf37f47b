#include "platform/morph_affix.h"

#include "platform/text.h"

#include <algorithm>
#include <cstring>

namespace {

std::vector<std::string_view> tokens(std::string_view line) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

// Directives that only steer spelling suggestions, word breaking or letter case: they change no
// word form, so the form generator can ignore them.
constexpr const char* kIgnored[] = {
    "TRY", "KEY", "WORDCHARS", "NOSUGGEST", "MAXNGRAMSUGS", "NOSPLITSUGS", "SUGSWITHDOTS",
    "ONLYMAXDIFF", "MAXDIFF", "MAXCPDSUGS", "FORBIDWARN", "WARN", "LANG", "NAME", "VERSION",
    "HOME", "KEEPCASE", "CHECKSHARPS", "LEMMA_PRESENT", "NONGRAMSUGGEST"};
// Table directives of the same kind, followed by their count of lines.
constexpr const char* kIgnoredTables[] = {"REP", "MAP", "PHONE", "BREAK"};

bool isOneOf(std::string_view word, const auto& list) {
    return std::any_of(std::begin(list), std::end(list),
                       [&](const char* s) { return word == s; });
}

// A UTF-8 text as Windows-1251; false when some character has no Windows-1251 byte.
bool to1251(std::string_view utf8, std::string& out) {
    bool ok = true;
    out = utf8ToCp1251(utf8, &ok);
    if (!ok) return false;
    // utf8ToCp1251 writes '?' for characters it cannot map; a real '?' in the input stays.
    return std::count(out.begin(), out.end(), '?') == std::count(utf8.begin(), utf8.end(), '?');
}

// Splits a UTF-8 text into its characters.
std::vector<std::string_view> utf8Chars(std::string_view s) {
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = s[i];
        size_t len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
        len = std::min(len, s.size() - i);
        out.push_back(s.substr(i, len));
        i += len;
    }
    return out;
}

// Parses a condition ("." any, "[abc]" one of, "[^abc]" none of, literal characters).
// Characters Windows-1251 cannot spell match nothing. False on a malformed condition.
bool parseCondition(std::string_view utf8, std::vector<std::bitset<256>>& cond) {
    cond.clear();
    if (utf8 == ".") return true;
    const std::vector<std::string_view> chars = utf8Chars(utf8);
    auto byteOf = [](std::string_view ch, unsigned char& b) {
        std::string s;
        if (!to1251(ch, s) || s.size() != 1) return false;
        b = static_cast<unsigned char>(s[0]);
        return true;
    };
    for (size_t i = 0; i < chars.size(); ++i) {
        std::bitset<256> set;
        unsigned char b;
        if (chars[i] == "[") {
            size_t j = i + 1;
            const bool negate = j < chars.size() && chars[j] == "^";
            if (negate) ++j;
            bool closed = false;
            for (; j < chars.size(); ++j) {
                if (chars[j] == "]") {
                    closed = true;
                    break;
                }
                if (byteOf(chars[j], b)) set.set(b);
            }
            if (!closed) return false;
            if (negate) set.flip();
            i = j;
        } else if (chars[i] == ".") {
            set.set();
        } else if (chars[i] == "]") {
            return false;
        } else if (byteOf(chars[i], b)) {
            set.set(b);
        }
        cond.push_back(set);
    }
    return true;
}

bool condAtStart(const AffixRule& r, std::string_view w) {
    if (w.size() < r.cond.size()) return false;
    for (size_t i = 0; i < r.cond.size(); ++i)
        if (!r.cond[i].test(static_cast<unsigned char>(w[i]))) return false;
    return true;
}

bool condAtEnd(const AffixRule& r, std::string_view w) {
    if (w.size() < r.cond.size()) return false;
    const size_t base = w.size() - r.cond.size();
    for (size_t i = 0; i < r.cond.size(); ++i)
        if (!r.cond[i].test(static_cast<unsigned char>(w[base + i]))) return false;
    return true;
}

} // namespace

std::string AffixSet::parse(std::string_view aff) {
    m_groups.clear();
    std::fill(std::begin(m_groupOfFlag), std::end(m_groupOfFlag), -1);
    m_fullStrip = false;
    m_forbiddenFlag = -1;
    m_skippedRules = 0;
    if (aff.substr(0, 3) == "\xEF\xBB\xBF") aff.remove_prefix(3);

    std::vector<std::string_view> lines;
    for (size_t pos = 0; pos <= aff.size();) {
        size_t end = aff.find('\n', pos);
        if (end == std::string_view::npos) end = aff.size();
        std::string_view line = aff.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        pos = end + 1;
    }

    bool haveSet = false;
    auto at = [](size_t i) { return "line " + std::to_string(i + 1) + ": "; };
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string_view> t = tokens(lines[i]);
        if (t.empty() || t[0][0] == '#') continue;
        const std::string_view key = t[0];
        if (key == "SET") {
            if (t.size() < 2 || (t[1] != "UTF-8" && t[1] != "utf-8"))
                return at(i) + "only UTF-8 affix files are supported (SET UTF-8)";
            haveSet = true;
        } else if (key == "FLAG") {
            return at(i) + "FLAG " + std::string(t.size() > 1 ? t[1] : "") +
                   " is not supported (only one-character flags)";
        } else if (key == "FULLSTRIP") {
            m_fullStrip = true;
        } else if (key == "FORBIDDENWORD") {
            if (t.size() < 2 || t[1].size() != 1) return at(i) + "FORBIDDENWORD needs one flag";
            m_forbiddenFlag = static_cast<unsigned char>(t[1][0]);
        } else if (isOneOf(key, kIgnored)) {
            continue;
        } else if (isOneOf(key, kIgnoredTables)) {
            // "REP n" and then n lines "REP ..."; the lines themselves are skipped below.
            continue;
        } else if (key == "SFX" || key == "PFX") {
            if (t.size() < 4 || t[1].size() != 1 || (t[2] != "Y" && t[2] != "N"))
                return at(i) + "malformed affix header";
            const unsigned char flag = static_cast<unsigned char>(t[1][0]);
            if (m_groupOfFlag[flag] >= 0)
                return at(i) + "flag " + std::string(t[1]) + " is defined twice";
            const int count = readDecimal(t[3]);
            if (count < 0 || t[3].find_first_not_of("0123456789") != std::string_view::npos)
                return at(i) + "malformed affix count";
            AffixGroup g;
            g.flag = flag;
            g.prefix = key == "PFX";
            g.cross = t[2] == "Y";
            for (int k = 0; k < count; ++k) {
                const size_t li = i + 1 + size_t(k);
                if (li >= lines.size()) return at(li) + "affix file ends inside a rule table";
                const std::vector<std::string_view> r = tokens(lines[li]);
                if (r.size() < 4 || r[0] != key || r[1] != t[1])
                    return at(li) + "expected " + std::string(key) + " " + std::string(t[1]) +
                           " rule line";
                if (r[3].find('/') != std::string_view::npos)
                    return at(li) + "affix continuation flags are not supported";
                AffixRule rule;
                bool ok = true;
                if (r[2] != "0") ok = ok && to1251(r[2], rule.strip);
                if (r[3] != "0") ok = ok && to1251(r[3], rule.add);
                const std::string_view cond = r.size() > 4 ? r[4] : ".";
                if (!parseCondition(cond, rule.cond))
                    return at(li) + "malformed condition " + std::string(cond);
                if (!ok) {
                    ++m_skippedRules; // no Windows-1251 text can take or yield these forms
                    continue;
                }
                g.rules.push_back(std::move(rule));
            }
            m_groupOfFlag[flag] = int(m_groups.size());
            m_groups.push_back(std::move(g));
            i += size_t(count);
        } else {
            return at(i) + std::string(key) +
                   " is not supported by the form generator (aliases, compounding, "
                   "NEEDAFFIX, CIRCUMFIX, ICONV/OCONV and the like are refused)";
        }
    }
    if (!haveSet) return "the affix file does not declare SET UTF-8";
    return {};
}

bool AffixSet::forbidden(std::string_view flags) const {
    return m_forbiddenFlag >= 0 &&
           flags.find(static_cast<char>(m_forbiddenFlag)) != std::string_view::npos;
}

void AffixSet::expand(std::string_view word, std::string_view flags,
                      const std::function<void(std::string_view)>& onForm) const {
    onForm(word);
    auto applicable = [&](const AffixRule& r, std::string_view w, bool prefix) {
        const bool longEnough =
            w.size() > r.strip.size() || (m_fullStrip && w.size() == r.strip.size());
        if (!longEnough) return false;
        if (prefix)
            return condAtStart(r, w) && w.substr(0, r.strip.size()) == r.strip;
        return condAtEnd(r, w) && w.substr(w.size() - r.strip.size()) == r.strip;
    };
    std::string form;
    std::vector<std::string> crossable; // suffixed forms a prefix may be added to
    bool anyCrossPrefix = false;
    for (unsigned char f : flags) {
        const int gi = m_groupOfFlag[f];
        if (gi < 0) continue;
        const AffixGroup& g = m_groups[size_t(gi)];
        if (g.prefix) {
            anyCrossPrefix = anyCrossPrefix || g.cross;
            for (const AffixRule& r : g.rules) {
                if (!applicable(r, word, true)) continue;
                form = r.add;
                form.append(word.substr(r.strip.size()));
                onForm(form);
            }
            continue;
        }
        for (const AffixRule& r : g.rules) {
            if (!applicable(r, word, false)) continue;
            form.assign(word.substr(0, word.size() - r.strip.size()));
            form += r.add;
            onForm(form);
            if (g.cross) crossable.push_back(form);
        }
    }
    if (!anyCrossPrefix) return;
    for (const std::string& suffixed : crossable) {
        for (unsigned char f : flags) {
            const int gi = m_groupOfFlag[f];
            if (gi < 0 || !m_groups[size_t(gi)].prefix || !m_groups[size_t(gi)].cross) continue;
            for (const AffixRule& r : m_groups[size_t(gi)].rules) {
                if (!applicable(r, suffixed, true)) continue;
                form = r.add;
                form.append(std::string_view(suffixed).substr(r.strip.size()));
                onForm(form);
            }
        }
    }
}

bool splitDicLine(std::string_view line, std::string& word, std::string& flags) {
    word.clear();
    flags.clear();
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    size_t i = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size() && line[i + 1] == '/') {
            word += '/';
            ++i;
        } else if (c == '/' || c == '\t' || c == ' ') {
            break;
        } else {
            word += c;
        }
    }
    if (i < line.size() && line[i] == '/') {
        ++i;
        while (i < line.size() && line[i] != '\t' && line[i] != ' ') flags += line[i++];
    }
    return !word.empty();
}
