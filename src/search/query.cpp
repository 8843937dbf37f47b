#include "search/query.h"

#include "platform/morph.h"
#include "platform/text.h"
#include "platform/words.h"

#include <algorithm>

std::vector<std::string> queryWords(std::string_view text1251, bool hyphenIsLetter) {
    auto letter = [&](unsigned char c) { return isWordLetter(c) || (hyphenIsLetter && c == '-'); };
    std::vector<std::string> words;
    for (size_t i = 0; i < text1251.size();) {
        if (!letter(static_cast<unsigned char>(text1251[i]))) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < text1251.size() && letter(static_cast<unsigned char>(text1251[i]))) ++i;
        if (i - start >= kMinCountedWord) words.push_back(upperCp1251(text1251.substr(start, i - start)));
    }
    return words;
}

std::vector<QueryTerm> lemmatizeQuery(std::string_view text1251) {
    std::vector<QueryTerm> terms;
    for (const std::string& word : queryWords(text1251, true)) {
        char lemmas[256] = {};
        int32_t numbers[32] = {};
        char info[256] = {};
        const int count = morphLemmatize(word.c_str(), 256, lemmas, numbers, info, sizeof lemmas, 32,
                                         sizeof info);
        if (count == 0) continue;
        const char* end = std::find(lemmas, lemmas + sizeof lemmas, '\0');
        terms.push_back({word, std::string(lemmas, size_t(end - lemmas)), numbers[0]});
    }
    return terms;
}
