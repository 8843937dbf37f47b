#include "glosswriter.h"

#include "error.h"
#include "platform/text.h"

#include <map>

namespace {

bool isLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || isWordLetter(c);
}

void putInt(std::string& out, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out += char((u >> (8 * i)) & 0xFF);
}

// Records: the word, "$", int32 count, int32 first entry; then the entries.
GlossFiles write(const std::vector<std::pair<std::string, std::vector<int32_t>>>& words) {
    GlossFiles f;
    putInt(f.dat, int32_t(words.size()));
    int32_t first = 0;
    for (const auto& [word, docs] : words) {
        f.dat += word;
        f.dat += '$';
        putInt(f.dat, int32_t(docs.size()));
        putInt(f.dat, first);
        for (int32_t d : docs) putInt(f.ind, d);
        first += int32_t(docs.size());
    }
    return f;
}

} // namespace

bool holdsLiteral(std::string_view page, std::string_view term) {
    if (term.empty()) return false;
    for (size_t pos = page.find(term); pos != std::string_view::npos; pos = page.find(term, pos + 1)) {
        if (pos > 0 && isLetter(static_cast<unsigned char>(page[pos - 1]))) continue;
        const size_t after = pos + term.size();
        if (after < page.size() && isLetter(static_cast<unsigned char>(page[after]))) continue;
        const size_t angle = page.find_first_of("<>", pos);
        if (angle != std::string_view::npos && page[angle] == '>') continue;
        return true;
    }
    return false;
}

GlossFiles buildGloss(const std::vector<GlossTerm>& terms, const std::vector<Document>& documents) {
    std::vector<std::string> upper;
    upper.reserve(documents.size());
    for (const Document& d : documents) upper.push_back(upperCp1251(d.text));
    std::vector<std::pair<std::string, std::vector<int32_t>>> words;
    for (const GlossTerm& t : terms) {
        std::vector<int32_t> docs;
        for (size_t i = 0; i < documents.size(); ++i)
            if (holdsLiteral(upper[i], t.text)) docs.push_back(documents[i].number - 1);
        if (docs.empty()) warn("bookmake.txt", t.line, "the term is found in no page");
        words.emplace_back(t.text, std::move(docs));
    }
    return write(words);
}

GlossFiles buildAllGloss(const std::vector<Document>& documents) {
    std::map<std::string, std::vector<int32_t>> words;
    for (const Document& d : documents) {
        const std::string page = upperCp1251(d.text);
        const int32_t index = d.number - 1;
        size_t angle = 0; // next "<" or ">" at or after the word being looked at
        for (size_t i = 0; i < page.size();) {
            if (!isLetter(static_cast<unsigned char>(page[i]))) {
                ++i;
                continue;
            }
            const size_t start = i;
            while (i < page.size() && isLetter(static_cast<unsigned char>(page[i]))) ++i;
            if (angle < start) {
                angle = page.find_first_of("<>", start);
                if (angle == std::string::npos) angle = page.size();
            }
            if (angle < page.size() && page[angle] == '>') continue; // inside a tag
            if (start > 0 && (page[start - 1] == '&' || page[start - 1] == '#')) continue;
            std::vector<int32_t>& docs = words[page.substr(start, i - start)];
            if (docs.empty() || docs.back() != index) docs.push_back(index);
        }
    }
    std::vector<std::pair<std::string, std::vector<int32_t>>> list(words.begin(), words.end());
    return write(list);
}
