// Seeded random damage to postings, index files and pages: nothing may crash or read outside a
// buffer (the tests run under AddressSanitizer), and what comes out must still be well-formed.
#include "search/blword.h"
#include "search/evaluate.h"
#include "search/highlight.h"
#include "search/indexprocess.h"
#include "search/postings.h"
#include "platform/text.h"
#include "support/testenv.h"
#include "indexbytes.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Rng = std::mt19937;

int pick(Rng& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

// Flips, overwrites, cuts, grows or splices the bytes.
std::string mutate(std::string s, Rng& rng) {
    const int edits = pick(rng, 1, 4);
    for (int e = 0; e < edits; ++e) {
        switch (pick(rng, 0, 4)) {
        case 0:
            if (!s.empty()) s[size_t(pick(rng, 0, int(s.size()) - 1))] ^= char(1 << pick(rng, 0, 7));
            break;
        case 1:
            if (!s.empty()) s[size_t(pick(rng, 0, int(s.size()) - 1))] = char(std::array{0x00, 0xFE, 0xFF, 0x7F}[size_t(pick(rng, 0, 3))]);
            break;
        case 2:
            s.resize(size_t(pick(rng, 0, int(s.size()))));
            break;
        case 3:
            s.insert(size_t(pick(rng, 0, int(s.size()))), size_t(pick(rng, 1, 6)), char(pick(rng, 0, 255)));
            break;
        default:
            if (!s.empty()) {
                const size_t from = size_t(pick(rng, 0, int(s.size()) - 1));
                s += s.substr(from, size_t(pick(rng, 1, 8)));
            }
        }
    }
    return s;
}

std::vector<Posting> randomPostings(Rng& rng) {
    std::vector<Posting> ps;
    uint32_t doc = uint32_t(pick(rng, 0, 5));
    for (int r = pick(rng, 1, 5); r > 0; --r) {
        doc += uint32_t(pick(rng, 1, 3));
        std::vector<uint16_t> pos;
        uint16_t p = uint16_t(pick(rng, 0, 10));
        for (int k = pick(rng, 1, pick(rng, 0, 8) == 0 ? 300 : 6); k > 0; --k) pos.push_back(p += uint16_t(pick(rng, 1, 4)));
        ps.push_back({doc, pos, pick(rng, 0, 5) == 0});
    }
    return ps;
}

TEST(Fuzz, DamagedPostingsDecodeOrAreRefused) {
    Rng rng(1);
    for (int i = 0; i < 20000; ++i) {
        const std::string block = mutate(encodeBlock(randomPostings(rng)), rng);
        PostingList list;
        if (!normalisePostings(block, list)) {
            ASSERT_TRUE(list.empty());
            continue;
        }
        ASSERT_TRUE(isNormalisedList(list.view()));
        // Whatever decodes can be walked.
        IndexProcess process(2);
        process.setList(0, list.view());
        process.setList(1, list.view());
        rankDocuments(process);
    }
}

TEST(Fuzz, MalformedListsHandedInAreNotWalked) {
    Rng rng(2);
    for (int i = 0; i < 5000; ++i) {
        std::string list = normalisedList(randomPostings(rng));
        list = mutate(list, rng);
        IndexProcess process(1);
        process.setList(0, list);
        rankDocuments(process);
    }
}

TEST(Fuzz, DamagedIndexFiles) {
    Rng rng(3);
    TempDir dir;
    for (int i = 0; i < 400; ++i) {
        const IndexFiles good = buildIndex({{1, randomPostings(rng)}, {2, randomPostings(rng)}, {5, randomPostings(rng)}});
        const bool datToo = pick(rng, 0, 1) == 0;
        dir.write("index.dat", datToo ? mutate(good.dat, rng) : good.dat);
        dir.write("index.ind", datToo ? good.ind : mutate(good.ind, rng));
        const QueryOutcome q = evaluateQuery(std::vector<int32_t>{1, 2, 5}, dir.path() + "/index");
        ASSERT_EQ(q.error, 0);
        ASSERT_LE(q.documents.size(), 200u);
    }
}

TEST(Fuzz, HighlightOfRandomPages) {
    Rng rng(4);
    Blword forms;
    const std::pair<const char*, int32_t> dictionary[] = {{"кот", 1}, {"кота", 1}, {"пес", 2}, {"дом", 3}, {"ёж", 2}};
    for (auto [form, lemma] : dictionary) forms.add(w1251(form), lemma);
    const std::vector<std::string> pieces = {w1251("кот"), w1251("кота"), w1251("пес"), w1251("ёж"), w1251("дом"),
                                             "<", ">", " ", "<BODY>", "\"", "a", w1251("й"), w1251("ТЕРМИН"),
                                             w1251("термин поиска"), std::string(1, '\0'), "\xA8", "\xFF"};
    for (int i = 0; i < 3000; ++i) {
        std::string page;
        for (int k = pick(rng, 0, 60); k > 0; --k) page += pieces[size_t(pick(rng, 0, int(pieces.size()) - 1))];
        page = mutate(page, rng);
        HighlightInputs in;
        for (int k = pick(rng, 0, 3); k > 0; --k) in.lemmas.push_back(pick(rng, 1, 3));
        for (int k = pick(rng, 0, 2); k > 0; --k)
            in.literals.push_back(std::array{w1251("ТЕРМИН"), w1251("ТЕРМИН ПОИСКА"), w1251("КОТ"), std::string()}[size_t(pick(rng, 0, 3))]);
        const std::vector<HitSpan> hits = findHits(page, in, forms);
        size_t next = 0;
        for (const HitSpan& h : hits) {
            ASSERT_LE(next, h.start) << "hits in order, without overlaps";
            ASSERT_LE(h.start, h.end);
            ASSERT_LT(h.end, page.size());
            next = h.end + 1;
        }
        const std::string out = markHits(page, hits, "ff0000");
        ASSERT_GE(out.size(), page.size());
        if (hits.empty()) {
            ASSERT_EQ(out, page);
        }
    }
}

} // namespace
