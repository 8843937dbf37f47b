#include "search/indexrange.h"

#include <algorithm>

void IndexRange::group() {
    m_groups.clear();
    for (size_t i = 0; i < m_sourceCount;) {
        size_t j = i + 1;
        while (j < m_sourceCount && m_source[j] == m_source[i]) ++j;
        // A wide counter: a document can hold more than 65,535 clusters.
        m_groups.push_back({m_source[i], int32_t(j - i)});
        i = j;
    }
}

size_t IndexRange::cut() {
    // Sorting by the final order at once also settles which of equal counts stay at the 200th
    // place: the higher document numbers.
    std::sort(m_groups.begin(), m_groups.end(), [](const DocumentGroup& a, const DocumentGroup& b) {
        if (a.count != b.count) return a.count > b.count;
        return uint32_t(a.document) > uint32_t(b.document);
    });
    if (m_groups.empty()) return 0;
    const int32_t limit = m_groups.front().count / kCutDivisor;
    size_t kept = 0;
    while (kept < m_groups.size() && kept < kMaxDocuments && m_groups[kept].count >= limit) ++kept;
    return kept;
}
