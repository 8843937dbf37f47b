#include "search/indexrange.h"

#include <algorithm>

void IndexRange::group() {
    m_groups.clear();
    for (size_t i = 0; i < m_sourceCount; ++i) {
        // A wide counter: a document can hold more than 65,535 clusters.
        if (!m_groups.empty() && m_groups.back().document == m_source[i].document)
            m_groups.back().count += m_source[i].count;
        else
            m_groups.push_back(m_source[i]);
    }
}

size_t IndexRange::cut() {
    if (m_groups.empty()) return 0;
    int32_t most = 0;
    for (const DocumentGroup& g : m_groups) most = std::max(most, g.count);
    const int32_t limit = most / kCutDivisor;
    // Only groups reaching the limit can be kept: move them to the front, then order the best 200
    // of them by count, and for equal counts by higher document number first (which also settles
    // which of equal counts stay at the 200th place).
    const auto reaching = std::partition(m_groups.begin(), m_groups.end(),
                                         [limit](const DocumentGroup& g) { return g.count >= limit; });
    const size_t kept = std::min(kMaxDocuments, size_t(reaching - m_groups.begin()));
    std::partial_sort(m_groups.begin(), m_groups.begin() + std::ptrdiff_t(kept), reaching,
                      [](const DocumentGroup& a, const DocumentGroup& b) {
                          if (a.count != b.count) return a.count > b.count;
                          return uint32_t(a.document) > uint32_t(b.document);
                      });
    return kept;
}
