// The term dictionary ("gloss.dat"/"gloss.ind") and the word dictionary
// ("allgloss.dat"/"allgloss.ind"): words with the documents that hold them.
#pragma once

#include "description.h"
#include "pages.h"

#include <string>
#include <string_view>
#include <vector>

struct GlossFiles {
    std::string dat;
    std::string ind;
};

// Does the upper-cased page hold term where the highlighter marks literal terms: not preceded
// or followed by a letter (Latin, Cyrillic, Ё/ё) and not inside a tag (the next "<" or ">"
// after it is "<", or there is none)?
bool holdsLiteral(std::string_view upperPage, std::string_view term);

// Terms in the description's order; each with the documents that hold it.
GlossFiles buildGloss(const std::vector<GlossTerm>& terms, const std::vector<Document>& documents);

// Every word of the book (maximal runs of letters outside tags, upper case, entity names left
// out) in byte order, each with the documents that hold it.
GlossFiles buildAllGloss(const std::vector<Document>& documents);
