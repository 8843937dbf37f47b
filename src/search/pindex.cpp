#include "search/pindex.h"

#include "search/postings.h"


PIndex::PIndex(std::string_view base1251) {
    const std::string base(base1251);
    if (!m_postings.open(base + ".ind")) return;
    BookFile table;
    if (!table.open(base + ".dat") || !table.readAll(m_table)) return;
    m_ok = true;
}

PIndex::Lookup PIndex::lookup(int32_t key, PostingList& list) const {
    list.clear();
    const char* t = m_table.data();
    size_t lo = 0, hi = termCount();
    while (lo < hi) {
        // Plain signed comparison: a difference of two keys can overflow.
        const size_t mid = lo + (hi - lo) / 2;
        const int32_t k = int32_t(loadU32(t + mid * kEntrySize));
        if (k < key)
            lo = mid + 1;
        else if (k > key)
            hi = mid;
        else {
            const int32_t offset = int32_t(loadU32(t + mid * kEntrySize + 4));
            const int32_t length = int32_t(loadU32(t + mid * kEntrySize + 8));
            if (offset < 0 || length < 0 || uint64_t(offset) > m_postings.size() ||
                uint64_t(length) > m_postings.size() - uint64_t(offset))
                return Lookup::Damaged;
            PostingList block;
            block.allocate(size_t(length));
            if (!m_postings.readAt(uint64_t(offset), uint64_t(length), block.data())) return Lookup::Damaged;
            return normalisePostings(block.view(), list) ? Lookup::Found : Lookup::Damaged;
        }
    }
    return Lookup::Absent;
}
