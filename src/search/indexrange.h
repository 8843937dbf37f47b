// Turns the cluster hits of a query into ranked documents: one group per document with its
// number of clusters, the weak tail cut off, the rest ordered by count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct DocumentGroup {
    int32_t document;
    int32_t count; // clusters found in the document
};

class IndexRange {
public:
    static constexpr size_t kMaxDocuments = 200;
    static constexpr int32_t kCutDivisor = 20;

    // results: the cluster search's runs of equal document numbers.
    IndexRange(const DocumentGroup* results, size_t count) : m_source(results), m_sourceCount(count) {}

    // Each run of equal document numbers in the results becomes one group.
    void group();
    // Orders the groups by count, largest first, and for equal counts by higher document number
    // first; keeps from the front at most 200 groups whose count is at least a twentieth of the
    // first one's. Returns the number kept; they are the first groups(), already in final order.
    size_t cut();

    const std::vector<DocumentGroup>& groups() const { return m_groups; }

private:
    const DocumentGroup* m_source;
    size_t m_sourceCount;
    std::vector<DocumentGroup> m_groups;
};
