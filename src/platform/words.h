// How the reader counts words in a page. The indexer, the highlighter and the word search must
// agree on it exactly, or a page found by search shows no highlight: a counted word is a maximal
// run of word letters (isWordLetter: Cyrillic and Ё/ё) of 3 or more bytes; counting starts at
// "<BODY" (any letter case) when the page has it, at 0 otherwise; markup is not told apart from
// text. Ordinals start at 1.
#pragma once

#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr size_t kMinCountedWord = 3;

// Offset of the first "<BODY" ignoring letter case, or 0.
size_t countedTextStart(std::string_view page);

// Calls f(start, length, ordinal) for every counted word of page[from..].
template <class F> void forEachCountedWord(std::string_view page, size_t from, F&& f) {
    uint32_t ordinal = 0;
    size_t i = from;
    const size_t n = page.size();
    while (i < n) {
        if (!isWordLetter(static_cast<unsigned char>(page[i]))) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < n && isWordLetter(static_cast<unsigned char>(page[i]))) ++i;
        if (i - start >= kMinCountedWord) f(start, i - start, ++ordinal);
    }
}
