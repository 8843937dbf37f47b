// The hit-highlighting writer: every page the viewer shows is written through it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct HighlightInputs {
    std::vector<int32_t> lemmas;       // lemma numbers from the word search
    std::vector<std::string> literals; // upper-case Windows-1251 terms from the term searches
    std::string colourHtml = "ff0000"; // six lower-case hex digits, red green blue
    bool empty() const { return lemmas.empty() && literals.empty(); }
};

// Writes the page to outPath (a reader path, Windows-1251) with the hits of the inputs marked,
// anchored "word1".."wordN" and linked by arrows; an unchanged byte copy when the inputs are
// empty. Returns false when the file cannot be written.
bool highlight(std::string_view page, const HighlightInputs& inputs, const std::string& outPath);
