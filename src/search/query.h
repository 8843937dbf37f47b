// Query words to lemma numbers, the way the word search takes them apart.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The words of a query text (Windows-1251), upper-cased: maximal runs of word letters
// (isWordLetter, Ё/ё included) of 3 or more bytes. With hyphenIsLetter a hyphen joins words
// ("ПО-РУССКИ" is one word), as the search itself splits; without it, as the stem preview does.
std::vector<std::string> queryWords(std::string_view text1251, bool hyphenIsLetter);

struct QueryTerm {
    std::string word;  // the query word, upper case
    std::string lemma; // its first lemma, upper case
    int32_t number;    // that lemma's number: the key of the full-text index
};

// The searched words that the morphology layer knows, in query order; unknown words are dropped.
std::vector<QueryTerm> lemmatizeQuery(std::string_view text1251);
