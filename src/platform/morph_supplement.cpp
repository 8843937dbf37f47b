#include "platform/morph_supplement.h"

#include "platform/morph_affix.h"
#include "platform/text.h"

namespace {

// A supplement word must be something the page scanner can count: word letters only, and short
// enough for the library's 256-byte buffers.
bool isWord(std::string_view w) {
    if (w.empty() || w.size() > 255) return false;
    for (unsigned char c : w)
        if (!isWordLetter(c)) return false;
    return true;
}

} // namespace

std::string Supplement::parse(std::string_view text) {
    lexemes.clear();
    entries.clear();
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    int lineNo = 0;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (const size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);
        line = trimLine(line);
        if (line.empty()) continue;
        const std::string where = "line " + std::to_string(lineNo) + ": ";
        bool ok = true;
        const std::string cp = utf8ToCp1251(line, &ok);
        if (!ok) return where + "not valid UTF-8";

        const size_t colon = cp.find(':');
        if (colon == std::string::npos) {
            SupplementEntry e;
            e.line = lineNo;
            if (!splitDicLine(cp, e.word, e.flags) || !isWord(e.word) ||
                cp.find_first_of(" \t") != std::string::npos)
                return where + "expected \"word\", \"word/FLAGS\" or \"lemma: forms\"";
            entries.push_back(std::move(e));
            continue;
        }
        SupplementLexeme lx;
        lx.line = lineNo;
        lx.lemma = std::string(trimLine(std::string_view(cp).substr(0, colon)));
        if (!isWord(lx.lemma)) return where + "the lemma must be one word of letters";
        std::string_view rest = std::string_view(cp).substr(colon + 1);
        size_t i = 0;
        while (i < rest.size()) {
            while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t' || rest[i] == ','))
                ++i;
            const size_t start = i;
            while (i < rest.size() && rest[i] != ' ' && rest[i] != '\t' && rest[i] != ',') ++i;
            if (i == start) continue;
            std::string_view w = rest.substr(start, i - start);
            const bool join = w.front() == '+';
            if (join) w.remove_prefix(1);
            if (!isWord(w))
                return where + "\"" + cp1251ToUtf8(w) + "\" is not a word of letters";
            (join ? lx.joins : lx.forms).emplace_back(w);
        }
        lexemes.push_back(std::move(lx));
    }
    return {};
}
