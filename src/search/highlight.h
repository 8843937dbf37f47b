// The hit-highlighting writer: every page the viewer shows is written through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Blword;

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

// The pieces of highlight, for callers that keep the page in memory.

// A marked hit: byte offsets of its first and last byte in the page.
struct HitSpan {
    size_t start;
    size_t end;
    bool operator==(const HitSpan&) const = default;
};

// Every word form of the lemmas, through the morphology layer.
Blword buildFormDictionary(const std::vector<int32_t>& lemmas);

// The hits to mark, in page order, without overlaps. forms holds the forms of inputs.lemmas
// (buildFormDictionary); forms of other lemmas in it are not looked for. Lemma hits are never
// inside a tag: the shared word rule does not count words there.
std::vector<HitSpan> findHits(std::string_view page, const HighlightInputs& inputs,
                              const Blword& forms);

// The page with the hits wrapped in anchors, colour and arrows.
std::string markHits(std::string_view page, const std::vector<HitSpan>& hits,
                     std::string_view colourHtml);
