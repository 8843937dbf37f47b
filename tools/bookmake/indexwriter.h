// The full-text index ("index.dat" term table, "index.ind" postings) and, in the page-file
// layout, the document table ("files.dat", "files.ind").
#pragma once

#include "pages.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Lemma number of an upper-case Windows-1251 word, 0 when it has none.
using Lemmatizer = std::function<int32_t(std::string_view)>;

// The morphology layer's first lemma, cached per distinct word.
Lemmatizer cachedMorphLemmatizer();

struct IndexFiles {
    std::string dat;
    std::string ind;
    int truncatedDocuments = 0; // documents with words past the last position a record can hold
};

// Positions are the ordinals of counted words (platform/words.h) from Document::countFrom on
// the upper-cased text. A position is 16 bits: words after the 65,535th counted word of a
// document are not indexed (and the build warns).
inline constexpr uint32_t kMaxPosition = 65535;

IndexFiles buildIndex(const std::vector<Document>& documents, const Lemmatizer& lemmaOf);

struct DocumentTable {
    std::string dat;
    std::string ind;
};
DocumentTable buildDocumentTable(const std::vector<Document>& documents);
