#include "search/indexprocess.h"

#include "search/pindex.h"
#include "search/postings.h"

#include <algorithm>
#include <new>

IndexProcess::IndexProcess(int n)
    : m_n(std::clamp(n, 0, kMaxQueryTerms)), m_best(m_n / 2 + 1), m_window(proximityWindow(m_n)) {
    m_results.reserve(100);
}

int IndexProcess::load(const int32_t* terms, std::string_view indexBase) {
    try {
        PIndex index(indexBase);
        for (int j = 0; j < m_n; ++j) {
            if (!index.ok()) return kIndexUnusable;
            if (index.lookup(terms[j], m_lists[j]) == PIndex::Lookup::Damaged) ++m_damaged;
        }
    } catch (const std::bad_alloc&) {
        for (auto& l : m_lists) std::string().swap(l);
        return kReaderFailed;
    }
    return kLoaded;
}

void IndexProcess::setList(int j, std::string list) {
    if (j < 0 || j >= m_n) return;
    if (!isNormalisedList(list)) list.clear();
    m_lists[j] = std::move(list);
}

void IndexProcess::start(int j) {
    Cursor& c = m_cur[j];
    const std::string& l = m_lists[j];
    c.done = l.empty();
    if (c.done) return;
    c.rec = l.data();
    c.end = l.data() + l.size();
    c.recEnd = c.rec + loadU32(c.rec + 4);
    c.pos = c.rec + kRecordHeader;
    c.doc = loadU32(c.rec);
    c.p = loadU16(c.pos);
}

void IndexProcess::nextDocument(int j) {
    Cursor& c = m_cur[j];
    if (c.recEnd == c.end) {
        c.done = true; // the cursor stays on the last record
        return;
    }
    c.rec = c.recEnd;
    c.recEnd = c.rec + loadU32(c.rec + 4);
    c.pos = c.rec + kRecordHeader;
    c.doc = loadU32(c.rec);
    c.p = loadU16(c.pos);
}

void IndexProcess::nextPosition(int j) {
    Cursor& c = m_cur[j];
    if (c.pos + 2 == c.recEnd) {
        nextDocument(j); // also marks the term done after the list's last position
        return;
    }
    c.pos += 2;
    c.p = loadU16(c.pos);
}

int IndexProcess::smallest() const {
    int a = -1;
    for (int j = 0; j < m_n; ++j) {
        const Cursor& c = m_cur[j];
        if (c.done) continue;
        if (a < 0 || c.doc < m_cur[a].doc || (c.doc == m_cur[a].doc && c.p < m_cur[a].p)) a = j;
    }
    return a;
}

int IndexProcess::othersInDocument(int a) const {
    int c = 0;
    const uint32_t doc = m_cur[a].doc;
    for (int j = 0; j < m_n; ++j)
        if (j != a && !m_cur[j].done && m_cur[j].doc == doc) ++c;
    return c;
}

int IndexProcess::othersInWindow(int a) const {
    int c = 0;
    const Cursor& ca = m_cur[a];
    for (int j = 0; j < m_n; ++j) {
        const Cursor& cj = m_cur[j];
        if (j == a || cj.done || cj.doc != ca.doc) continue;
        const int diff = int(cj.p) - int(ca.p);
        if (diff <= m_window && diff >= -m_window) ++c;
    }
    return c;
}

bool IndexProcess::allDone() const {
    for (int j = 0; j < m_n; ++j)
        if (!m_cur[j].done) return false;
    return true;
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
        while (!allDone()) {
            const int s = smallest();
            const int c = 1 + othersInWindow(s);
            if (c > m_best) {
                m_best = c;
                m_results.clear();
            }
            if (c == m_best) m_results.push_back(int32_t(m_cur[s].doc));
            nextPosition(s);
            if (1 + othersInDocument(s) < m_best) break;
        }
    }
}
