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
    m_lists[j].setAscending(documentsAscend(m_lists[j].view()));
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
    if (runComplete()) return;
    walk();
}

// Only clusters holding every term survive to the ranking, and such a cluster can only stand in a
// document that holds every term. In such a document the walk reaches each term's first occurrence
// there with every cursor in place (cursors only ever move to the next occurrence or the next
// record), so its full clusters do not depend on the other documents. The first full cluster raises
// best to n and empties the results, and afterwards only full clusters are recorded: when one
// exists, the results are exactly the full clusters of the documents that hold every term, which
// is what this computes. Without one, best and the results depend on every document, and the
// whole walk runs instead. True when full clusters were found.
bool IndexProcess::runComplete() {
    if (m_n == 0) return false;
    const char* rec[kMaxQueryTerms];
    const char* end[kMaxQueryTerms];
    for (int j = 0; j < m_n; ++j) {
        if (m_lists[j].empty() || !m_lists[j].ascending()) return false;
        rec[j] = m_lists[j].data();
        end[j] = rec[j] + m_lists[j].size();
    }
    if (m_n == 1) {
        // Every occurrence is a cluster of the one term: a record's clusters are its positions.
        for (const char* r = rec[0]; r != end[0]; r += loadU32(r + 4)) {
            const int32_t count = int32_t((loadU32(r + 4) - kRecordHeader) / 2);
            m_results.push_back({int32_t(loadU32(r)), count}); // documents ascend: one run each
            m_resultCount += size_t(count);
        }
        return true;
    }
    const uint32_t window = uint32_t(m_window);
    for (;;) {
        // Bring every term to the same document: the lowest one all of them hold from here on.
        uint32_t doc = loadU32(rec[0]);
        for (int j = 1, same = 1; same < m_n; j = j + 1 == m_n ? 0 : j + 1) {
            const char*& r = rec[j];
            uint32_t d;
            while ((d = loadU32(r)) < doc) {
                r += loadU32(r + 4);
                if (r == end[j]) return finishComplete();
            }
            if (d > doc) {
                doc = d;
                same = 1;
            } else {
                ++same;
            }
        }
        countFullClusters(rec, doc, window);
        for (int j = 0; j < m_n; ++j) {
            rec[j] += loadU32(rec[j] + 4);
            if (rec[j] == end[j]) return finishComplete();
        }
    }
}

bool IndexProcess::finishComplete() {
    if (m_resultCount == 0) return false;
    m_best = m_n;
    return true;
}

// The walk through one document holding every term, recording the occurrences whose window holds
// all of them. Once a term has passed its last occurrence here no window can, so the walk stops.
void IndexProcess::countFullClusters(const char* const* rec, uint32_t doc, uint32_t window) {
    const char* p[kMaxQueryTerms];
    const char* pe[kMaxQueryTerms];
    uint32_t key[kMaxQueryTerms];
    const int n = m_n;
    for (int j = 0; j < n; ++j) {
        p[j] = rec[j] + kRecordHeader;
        pe[j] = rec[j] + loadU32(rec[j] + 4);
        key[j] = loadU16(p[j]);
    }
    int32_t found = 0;
    for (;;) {
        // The smallest position, the lowest term among equals; the window holds every term when
        // the largest position is at most the window after it.
        int a = 0;
        uint32_t most = key[0];
        for (int j = 1; j < n; ++j) {
            if (key[j] < key[a]) a = j;
            most = std::max(most, key[j]);
        }
        found += most - key[a] <= window;
        p[a] += 2;
        if (p[a] == pe[a]) break;
        key[a] = loadU16(p[a]);
    }
    if (found == 0) return;
    m_results.push_back({int32_t(doc), found});
    m_resultCount += size_t(found);
}

void IndexProcess::walk() {
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
