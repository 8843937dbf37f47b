// Reader of a book's full-text index: the term table "index.dat" (12-byte entries key, offset,
// length, sorted by signed key) and the postings file "index.ind". One instance serves one query
// while its posting lists are loaded.
#pragma once

#include "search/bookfile.h"
#include "search/postings.h"

#include <cstdint>
#include <string>
#include <string_view>

class PIndex {
public:
    enum class Lookup { Found, Absent, Damaged };

    // base1251: the index's folder and base name without extension (BasePath + "index").
    // Opens base + ".ind"; when that works, reads base + ".dat" whole.
    explicit PIndex(std::string_view base1251);

    // True when both files could be read. The postings file alone is not usable: without its term
    // table no block can be found in it.
    bool ok() const { return m_ok; }
    size_t termCount() const { return m_table.size() / kEntrySize; }

    // The normalised posting list of key (postings.h) into list. Absent keys and damaged entries
    // (a block outside the postings file, a record running past its block) leave list empty.
    Lookup lookup(int32_t key, PostingList& list) const;

    static constexpr size_t kEntrySize = 12;

private:
    BookFile m_postings;
    std::string m_table; // the whole term table; a remainder shorter than an entry is ignored
    bool m_ok = false;
};
