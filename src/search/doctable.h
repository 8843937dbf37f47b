// The document table of a page-file book: "files.dat" (6-byte records indexed by document number:
// int32 offset into "files.ind", uint8 name length, uint8 title length) and "files.ind" (at each
// offset the page file name, then the title, without separators).
#pragma once

#include "search/bookfile.h"

#include <cstdint>
#include <string>
#include <string_view>

struct DocumentEntry {
    std::string pageName; // relative to "out\" of the pages folder
    std::string title;
};

class DocumentTable {
public:
    static constexpr size_t kRecordSize = 6;

    // basePath1251: the book's data folder (BasePath, ending with a separator). False when either
    // file cannot be read.
    bool open(std::string_view basePath1251);

    // Records in files.dat, record 0 included (it belongs to no document).
    size_t recordCount() const { return m_records.size() / kRecordSize; }

    // Name and title of a document. False when the document has no record or its strings lie
    // outside files.ind.
    bool entry(int32_t document, DocumentEntry& out) const;

private:
    std::string m_records;
    BookFile m_strings;
};
