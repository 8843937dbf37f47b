#include "platform/morph_number.h"

#include "platform/text.h"

int32_t morphHashNumber(std::string_view key) {
    uint32_t h = 2166136261u;
    for (unsigned char c : key) {
        h ^= c;
        h *= 16777619u;
    }
    const int32_t n = int32_t(h & 0x7FFFFFFFu);
    return n == 0 ? 1 : n;
}

std::string morphKey(std::string_view word) {
    std::string key(word.size(), '\0');
    for (size_t i = 0; i < word.size(); ++i)
        key[i] = char(foldYo(upperCp1251(static_cast<unsigned char>(word[i]))));
    return key;
}

std::string LemmaNumbers::parse(std::string_view text) {
    m_overrides.clear();
    size_t lineNo = 0;
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
        const size_t space = line.find_first_of(" \t");
        if (space == std::string_view::npos) return where + "expected LEMMA NUMBER";
        std::string_view num = line.substr(space + 1);
        while (!num.empty() && (num.front() == ' ' || num.front() == '\t')) num.remove_prefix(1);
        if (num.empty() || num.size() > 10 ||
            num.find_first_not_of("0123456789") != std::string_view::npos)
            return where + "malformed number";
        const long long value = std::stoll(std::string(num));
        if (value <= 0 || value > 0x7FFFFFFF) return where + "number out of range 1..2147483647";
        bool ok = true;
        const std::string key = morphKey(utf8ToCp1251(line.substr(0, space), &ok));
        if (!ok) return where + "lemma is not valid UTF-8";
        if (!m_overrides.emplace(key, int32_t(value)).second) return where + "lemma listed twice";
    }
    return {};
}

int32_t LemmaNumbers::number(std::string_view key) const {
    if (!m_overrides.empty()) {
        const auto it = m_overrides.find(std::string(key));
        if (it != m_overrides.end()) return it->second;
    }
    return morphHashNumber(key);
}
