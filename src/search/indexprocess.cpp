#include "search/indexprocess.h"

#include "search/pindex.h"
#include "search/postings.h"

#include <algorithm>
#include <new>

IndexProcess::IndexProcess(int n)
    : m_n(std::clamp(n, 0, kMaxQueryTerms)), m_best(m_n / 2 + 1), m_window(proximityWindow(m_n)) {
}

int IndexProcess::load(const int32_t* terms, std::string_view indexBase) {
    try {
        PIndex index(indexBase);
        for (int j = 0; j < m_n; ++j) {
            if (!index.ok()) return kIndexUnusable;
            if (index.lookup(terms[j], m_lists[j]) == PIndex::Lookup::Damaged) ++m_damaged;
        }
    } catch (const std::bad_alloc&) {
        for (auto& l : m_lists) l.clear();
        return kReaderFailed;
    }
    return kLoaded;
}

void IndexProcess::setList(int j, std::string_view list) {
    if (j < 0 || j >= m_n) return;
    m_lists[j].assign(isNormalisedList(list) ? list : std::string_view());
}

inline void IndexProcess::enterRecord(int j, const char* rec) {
    Cursor& c = m_cur[j];
    c.recEnd = rec + loadU32(rec + 4);
    c.pos = rec + kRecordHeader;
    c.doc = loadU32(rec);
    m_key[j] = keyOf(c.doc, loadU16(c.pos));
}

void IndexProcess::start(int j) {
    const PostingList& l = m_lists[j];
    m_key[j] = kDone;
    if (l.empty()) return;
    m_cur[j].end = l.data() + l.size();
    enterRecord(j, l.data());
}

inline void IndexProcess::nextDocument(int j) {
    Cursor& c = m_cur[j];
    if (c.recEnd == c.end) {
        m_key[j] = kDone; // the cursor stays on the last record
        return;
    }
    enterRecord(j, c.recEnd);
}

inline void IndexProcess::nextPosition(int j) {
    Cursor& c = m_cur[j];
    if (c.pos + 2 == c.recEnd) {
        nextDocument(j); // also marks the term done after the list's last position
        return;
    }
    c.pos += 2;
    m_key[j] = keyOf(c.doc, loadU16(c.pos));
}

// Smallest (document, position), the lowest term index among equals; -1 when all are done.
inline int IndexProcess::smallest() const {
    int a = 0;
    for (int j = 1; j < m_n; ++j)
        if (m_key[j] < m_key[a]) a = j;
    return m_n > 0 && m_key[a] != kDone ? a : -1;
}

inline int IndexProcess::othersInDocument(int a) const {
    int c = 0;
    const uint64_t doc = m_cur[a].doc;
    for (int j = 0; j < m_n; ++j) c += j != a && (m_key[j] >> 16) == doc;
    return c;
}

// Others in a's document at most the window after a's position (a is the smallest term, so no
// other term stands before it).
inline int IndexProcess::othersInWindow(int a) const {
    int c = 0;
    const uint64_t key = m_key[a];
    for (int j = 0; j < m_n; ++j)
        c += j != a && ((m_key[j] ^ key) >> 16) == 0 && m_key[j] - key <= uint64_t(m_window);
    return c;
}

void IndexProcess::run() {
    for (int j = 0; j < m_n; ++j) start(j);
    for (;;) {
        // Find a document in which at least best terms occur.
        const int a = smallest();
        if (a < 0) return;
        if (1 + othersInDocument(a) < m_best) {
            nextDocument(a);
            continue;
        }
        // Walk its occurrences in order while the document can still reach best.
        for (int s; (s = smallest()) >= 0;) {
            const int c = 1 + othersInWindow(s);
            if (c > m_best) {
                m_best = c;
                m_results.clear();
                m_resultCount = 0;
            }
            if (c == m_best) {
                const int32_t doc = int32_t(m_cur[s].doc);
                if (!m_results.empty() && m_results.back().document == doc)
                    ++m_results.back().count;
                else
                    m_results.push_back({doc, 1});
                ++m_resultCount;
            }
            // The count is taken only when s changes document: an occurrence in a document with
            // fewer than best terms cannot reach best and changes nothing, so walking the rest of
            // such a document instead of skipping it gives the same results.
            const uint32_t doc = m_cur[s].doc;
            nextPosition(s);
            if (m_cur[s].doc != doc && 1 + othersInDocument(s) < m_best) break;
        }
    }
}
