// How the reader counts words in a page. The indexer, the highlighter and the word search must
// agree on it exactly, or a page found by search shows no highlight: a counted word is a maximal
// run of word letters (isWordLetter: Cyrillic and Ё/ё) of 3 or more bytes outside markup;
// counting starts at "<BODY" (any letter case) when the page has it, at 0 otherwise. Ordinals
// start at 1.
//
// Markup is skipped: a "<" followed by a Latin letter, "/", "!" or "?" opens a tag that ends at the
// next ">" ("<!--" at the next "-->"); a "<" without its end is plain text. Words inside tags
// (attribute values, link targets) are not shown to the reader and no highlight can be written
// into a tag, so counting them would let search find pages that then show no hit.
#pragma once

#include "platform/text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

inline constexpr size_t kMinCountedWord = 3;

// Offset of the first "<BODY" ignoring letter case, or 0.
size_t countedTextStart(std::string_view page);

// Where the markup that opens at page[i] (a "<") ends: the offset after it, or i when page[i]
// does not open a tag.
size_t skipTag(std::string_view page, size_t i);

// Calls f(start, length, ordinal) for every counted word of page[from..].
template <class F> void forEachCountedWord(std::string_view page, size_t from, F&& f) {
    uint32_t ordinal = 0;
    size_t i = from;
    const size_t n = page.size();
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(page[i]);
        if (c == '<') {
            const size_t end = skipTag(page, i);
            i = end > i ? end : i + 1;
            continue;
        }
        if (!isWordLetter(c)) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < n && isWordLetter(static_cast<unsigned char>(page[i]))) ++i;
        if (i - start >= kMinCountedWord) f(start, i - start, ++ordinal);
    }
}
