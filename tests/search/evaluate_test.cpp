// Query evaluation: the cases that show its rules, and a comparison with a brute-force reference
// on random posting lists.
#include "search/evaluate.h"
#include "search/indexprocess.h"
#include "search/postings.h"
#include "support/testenv.h"
#include "indexbytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using Lists = std::vector<std::vector<Posting>>;

struct Evaluation {
    int best;
    std::vector<int32_t> results;
    std::vector<int32_t> documents;
};

Evaluation evaluate(const Lists& terms) {
    IndexProcess process(int(terms.size()));
    for (int j = 0; j < process.termCount(); ++j) {
        PostingList list;
        EXPECT_TRUE(normalisePostings(encodeBlock(terms[size_t(j)]), list));
        process.setList(j, list.view());
    }
    std::vector<int32_t> documents = rankDocuments(process);
    std::vector<int32_t> results; // one document number per cluster
    for (const DocumentGroup& g : process.results()) results.insert(results.end(), size_t(g.count), g.document);
    EXPECT_EQ(results.size(), process.resultCount());
    return {process.best(), results, documents};
}

std::vector<int32_t> docs(std::initializer_list<int32_t> d) { return d; }

TEST(Evaluate, Rules) {
    std::vector<Posting> fiveHundred, strongAndWeak;
    for (uint32_t d = 1; d <= 500; ++d) fiveHundred.push_back({d, {7}});
    std::vector<uint16_t> hundred;
    for (uint16_t p = 0; p < 100; ++p) hundred.push_back(p);
    strongAndWeak.push_back({1, hundred});
    for (uint32_t d = 2; d <= 20; ++d) strongAndWeak.push_back({d, d <= 10 ? std::vector<uint16_t>{1, 2, 3, 4, 5} : std::vector<uint16_t>{1, 2, 3, 4}});
    std::vector<int32_t> top200, strong;
    for (int32_t d = 500; d > 300; --d) top200.push_back(d);
    strong.push_back(1);
    for (int32_t d = 10; d >= 2; --d) strong.push_back(d);

    struct Case {
        const char* what;
        Lists terms;
        std::vector<int32_t> documents;
    };
    const Case cases[] = {
        {"one term: ranked by occurrences, ties by the higher document",
         {{{3, {1, 9}}, {4, {1, 5, 8}}, {5, {2, 4}}}},
         docs({4, 5, 3})},
        {"two terms: the other within 3 words after, either order, or at the same word",
         {{{1, {10}}, {2, {10}}, {3, {12}}, {4, {5}}}, {{1, {13}}, {2, {14}}, {3, {10}}, {4, {5}}}},
         docs({4, 3, 1})},
        {"three terms, only two ever close: nothing", {{{1, {1}}, {2, {1}}}, {{1, {2}}}, {{1, {40}}, {2, {3}}}}, {}},
        {"a term not in the index: nothing", {{{1, {1}}}, {}}, {}},
        {"no terms: nothing", {}, {}},
        {"a repeated term counts twice", {{{1, {5}}, {2, {6, 60}}}, {{1, {5}}, {2, {6, 60}}}}, docs({2, 1})},
        {"at most 200 documents, the higher numbers among equals", {fiveHundred}, top200},
        {"documents under a twentieth of the best count are cut", {strongAndWeak}, strong},
    };
    for (const Case& c : cases) EXPECT_EQ(evaluate(c.terms).documents, c.documents) << c.what;
}

TEST(Evaluate, ALargerClusterDropsEarlierDocuments) {
    // Document 1 has two of the three terms together, document 2 all three.
    const Evaluation e = evaluate({{{1, {1}}, {2, {1}}}, {{1, {2}}, {2, {2}}}, {{2, {3}}}});
    EXPECT_EQ(e.best, 3);
    EXPECT_EQ(e.results, docs({2}));
    EXPECT_EQ(e.documents, docs({2}));
}

TEST(Evaluate, OnlyTheFirstSixteenTermsCount) {
    // Terms 1..16 stand together in document 1; term 17 is in no document.
    std::map<int32_t, std::vector<Posting>> index;
    std::vector<int32_t> query;
    for (int32_t k = 1; k <= 16; ++k) {
        index[k] = {{1, {uint16_t(k)}}};
        query.push_back(k);
    }
    query.push_back(17);
    TempDir dir;
    const IndexFiles f = buildIndex(index);
    dir.write("index.dat", f.dat);
    dir.write("index.ind", f.ind);
    const QueryOutcome q = evaluateQuery(query, dir.path() + "/index");
    EXPECT_EQ(q.termCount, 16);
    EXPECT_EQ(q.documents, docs({1}));
}

// The reference: every occurrence, in (document, position, term) order, counts itself and every
// other term that has an occurrence in the same document at most D(n) words after it (at the
// same word only for a later term, which has not been passed yet). The largest count seen so far
// is best; each occurrence reaching it records its document, and a larger count drops the
// documents recorded before.
Evaluation reference(const Lists& allTerms) {
    const Lists terms(allTerms.begin(), allTerms.begin() + std::min<size_t>(allTerms.size(), 16));
    const int n = int(terms.size());
    const int window = proximityWindow(n);
    struct Occurrence {
        uint32_t doc;
        uint16_t pos;
        int term;
        bool operator<(const Occurrence& o) const {
            return std::tie(doc, pos, term) < std::tie(o.doc, o.pos, o.term);
        }
    };
    std::vector<Occurrence> all;
    for (int t = 0; t < n; ++t)
        for (const Posting& p : terms[size_t(t)])
            for (uint16_t pos : p.positions) all.push_back({p.document, pos, t});
    std::sort(all.begin(), all.end());

    Evaluation e{n / 2 + 1, {}, {}};
    for (const Occurrence& o : all) {
        int c = 1;
        for (int t = 0; t < n; ++t) {
            if (t == o.term) continue;
            const std::vector<Posting>& list = terms[size_t(t)];
            const auto found = std::lower_bound(list.begin(), list.end(), o.doc,
                                                [](const Posting& p, uint32_t d) { return p.document < d; });
            if (found == list.end() || found->document != o.doc) continue;
            const std::vector<uint16_t>& ps = found->positions;
            // The first occurrence of t not before this one.
            auto q = std::lower_bound(ps.begin(), ps.end(), o.pos);
            if (q != ps.end() && *q == o.pos && t < o.term) ++q;
            if (q != ps.end() && *q - o.pos <= window) ++c;
        }
        if (c > e.best) {
            e.best = c;
            e.results.clear();
        }
        if (c == e.best) e.results.push_back(int32_t(o.doc));
    }
    if (e.results.empty() || e.best != n) return e;

    std::map<int32_t, int32_t> counts;
    for (int32_t d : e.results) ++counts[d];
    std::vector<std::pair<int32_t, int32_t>> ranked; // count, document
    for (auto [d, c] : counts) ranked.push_back({c, d});
    std::sort(ranked.rbegin(), ranked.rend());
    for (auto [c, d] : ranked)
        if (e.documents.size() < 200 && c >= ranked.front().first / 20) e.documents.push_back(d);
    return e;
}

Lists randomQuery(std::mt19937& rng) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    const int n = pick(1, 10) == 1 ? pick(17, 20) : pick(1, 16);
    const int distinct = pick(1, n);
    const int maxDoc = std::array{3, 8, 30}[size_t(pick(0, 2))];
    const int maxPos = std::array{12, 40, 65535}[size_t(pick(0, 2))];
    const uint32_t docBase = pick(1, 20) == 1 ? 0xFFFFFF - uint32_t(maxDoc) : 0;
    Lists pool{size_t(distinct)};
    for (auto& list : pool) {
        const int density = pick(1, 100);
        for (int d = 1; d <= maxDoc; ++d) {
            if (pick(1, 100) > density) continue;
            const int count = pick(1, 200) == 1 ? pick(250, 400) : pick(1, 6);
            std::vector<uint16_t> positions;
            for (int i = 0; i < count; ++i) positions.push_back(uint16_t(pick(0, maxPos)));
            std::sort(positions.begin(), positions.end());
            positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
            list.push_back({docBase + uint32_t(d), positions, pick(1, 30) == 1});
        }
    }
    Lists terms;
    for (int j = 0; j < n; ++j) terms.push_back(pool[size_t(pick(0, distinct - 1))]);
    return terms;
}

TEST(Evaluate, AgreesWithTheReferenceOnRandomLists) {
    constexpr int kSeeds = 2500;
    int withDocuments = 0;
    for (int seed = 0; seed < kSeeds; ++seed) {
        std::mt19937 rng{uint32_t(seed)};
        const Lists terms = randomQuery(rng);
        const Evaluation got = evaluate(terms);
        const Evaluation want = reference(terms);
        ASSERT_EQ(got.best, want.best) << "seed " << seed;
        ASSERT_EQ(got.results, want.results) << "seed " << seed;
        ASSERT_EQ(got.documents, want.documents) << "seed " << seed;
        withDocuments += !want.documents.empty();
    }
    // The random queries must exercise found documents, not only empty answers.
    EXPECT_GT(withDocuments, kSeeds / 5);
}

} // namespace
