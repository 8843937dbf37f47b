// The index reader and the document table on small index files written byte by byte.
#include "search/doctable.h"
#include "search/evaluate.h"
#include "search/pindex.h"
#include "search/postings.h"
#include "support/testenv.h"
#include "indexbytes.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

std::vector<uint16_t> range(uint16_t from, size_t n) {
    std::vector<uint16_t> v;
    for (size_t i = 0; i < n; ++i) v.push_back(uint16_t(from + i));
    return v;
}

TEST(Postings, DecodesShortAndLongRecords) {
    struct Case {
        const char* what;
        std::vector<Posting> postings;
        size_t growth; // normalised size minus block size
    };
    const Case cases[] = {
        {"one short record", {{5, {1, 2}}}, 4},
        {"top byte 0xFE: a short record of 254 positions", {{7, range(0, 254)}}, 4},
        {"top byte 0xFF: a long record of 255 positions", {{7, range(0, 255)}}, 2},
        {"a long record may hold a few positions", {{9, {4}, true}}, 2},
        {"one short and one long record", {{1, {3, 9}}, {2, range(10, 300)}}, 6},
        {"the largest document number", {{0xFFFFFF, {65535}}}, 4},
        {"a long record of 65535 positions", {{3, range(0, 65535)}}, 2},
    };
    for (const Case& c : cases) {
        const std::string block = encodeBlock(c.postings);
        PostingList list;
        ASSERT_TRUE(normalisePostings(block, list)) << c.what;
        EXPECT_EQ(list.size(), block.size() + c.growth) << c.what;
        EXPECT_EQ(list.view(), normalisedList(c.postings)) << c.what;
        EXPECT_TRUE(isNormalisedList(list.view())) << c.what;
    }
}

TEST(Postings, DocumentNumberIsTheLow24Bits) {
    // A long record's first word keeps 0xFF on top: the document is what remains.
    std::string block;
    putU32(block, 0xFFABCDEF);
    putU16(block, 1);
    putU16(block, 42);
    PostingList list;
    ASSERT_TRUE(normalisePostings(block, list));
    EXPECT_EQ(loadU32(list.data()), 0xABCDEFu);
}

TEST(Postings, RejectsDamagedBlocks) {
    const std::string good = encodeBlock({{1, {3, 9}}, {2, range(10, 300)}});
    std::string zeroShort, zeroLong;
    putU32(zeroShort, 4);
    putU32(zeroLong, 0xFF000004);
    putU16(zeroLong, 0);
    struct Case {
        const char* what;
        std::string block;
    };
    const Case cases[] = {
        {"count runs past the block", good.substr(0, good.size() - 2)},
        {"long record header cut after its first word", good.substr(0, 8 + 4)},
        {"long record header cut inside its count", good.substr(0, 8 + 5)},
        {"stray bytes after the last record", good + std::string(3, '\0')},
        {"a short record without positions", zeroShort},
        {"a long record without positions", zeroLong},
    };
    for (const Case& c : cases) {
        PostingList list;
        list.assign("x");
        EXPECT_FALSE(normalisePostings(c.block, list)) << c.what;
        EXPECT_TRUE(list.empty()) << c.what;
    }
    PostingList empty;
    EXPECT_TRUE(normalisePostings("", empty));
    EXPECT_TRUE(empty.empty());
}

class IndexFilesTest : public ::testing::Test {
protected:
    std::string base() const { return dir.path() + "/index"; }
    void write(const IndexFiles& f) const {
        dir.write("index.dat", f.dat);
        dir.write("index.ind", f.ind);
    }
    TempDir dir;
};

TEST_F(IndexFilesTest, LooksUpKeysInSignedOrder) {
    const std::map<int32_t, std::vector<Posting>> terms = {
        {INT_MIN + 1, {{1, {1}}}}, {-5, {{2, {2}}}}, {3, {{3, {3}}}}, {1000000, {{4, {4, 5}}}}};
    IndexFiles f = buildIndex(terms);
    f.dat += std::string(11, '\x7f'); // a remainder shorter than an entry is not an entry
    write(f);
    PIndex index(base());
    ASSERT_TRUE(index.ok());
    EXPECT_EQ(index.termCount(), 4u);
    for (const auto& [key, postings] : terms) {
        PostingList list;
        EXPECT_EQ(index.lookup(key, list), PIndex::Lookup::Found) << key;
        EXPECT_EQ(list.view(), normalisedList(postings)) << key;
    }
    for (int32_t absent : {INT_MIN, -6, 0, 4, 999999, 1000001, INT_MAX}) {
        PostingList list;
        list.assign("x");
        EXPECT_EQ(index.lookup(absent, list), PIndex::Lookup::Absent) << absent;
        EXPECT_TRUE(list.empty());
    }
}

TEST_F(IndexFilesTest, MissingOrEmptyFiles) {
    const IndexFiles f = buildIndex({{10, {{1, {1}}}}});
    {
        dir.write("index.dat", f.dat); // postings file missing
        EXPECT_FALSE(PIndex(base()).ok());
        const QueryOutcome q = evaluateQuery(std::vector<int32_t>{10}, base());
        EXPECT_EQ(q.error, 2);
        EXPECT_TRUE(q.documents.empty());
    }
    {
        TempDir other;
        other.write("index.ind", f.ind); // term table missing
        EXPECT_FALSE(PIndex(other.path() + "/index").ok());
        EXPECT_EQ(evaluateQuery(std::vector<int32_t>{10}, other.path() + "/index").error, 2);
    }
    {
        dir.write("index.ind", f.ind);
        dir.write("index.dat", ""); // a term table of 0 bytes holds no term
        PIndex index(base());
        ASSERT_TRUE(index.ok());
        EXPECT_EQ(index.termCount(), 0u);
        PostingList list;
        EXPECT_EQ(index.lookup(10, list), PIndex::Lookup::Absent);
        const QueryOutcome q = evaluateQuery(std::vector<int32_t>{10}, base());
        EXPECT_EQ(q.error, 0);
        EXPECT_TRUE(q.documents.empty());
    }
}

TEST_F(IndexFilesTest, DamagedEntriesGiveNoDocuments) {
    // Term 1 stays good in every case, so a document list of {7} shows that the index is read.
    const std::vector<Posting> good = {{7, {1, 2}}};
    const std::vector<Posting> other = {{7, {3}}, {8, range(0, 300)}};
    const IndexFiles f = buildIndex({{1, good}, {2, other}});
    write(f);
    ASSERT_EQ(evaluateQuery(std::vector<int32_t>{1, 2}, base()).documents, std::vector<int32_t>{7});

    const int32_t otherOffset = int32_t(encodeBlock(good).size());
    const int32_t otherLength = int32_t(encodeBlock(other).size());
    struct Case {
        const char* what;
        std::string dat;
        std::string ind;
    };
    const Case cases[] = {
        {"postings file cut inside the second block", f.dat, f.ind.substr(0, f.ind.size() - 5)},
        {"entry whose offset + length runs past the file",
         f.dat.substr(0, 12) + termEntry(2, otherOffset, otherLength + 1), f.ind},
        {"entry whose offset lies past the file",
         f.dat.substr(0, 12) + termEntry(2, int32_t(f.ind.size()) + 100, 4), f.ind},
        {"entry with a negative offset", f.dat.substr(0, 12) + termEntry(2, -4, 8), f.ind},
        {"entry with a negative length", f.dat.substr(0, 12) + termEntry(2, otherOffset, -1), f.ind},
        {"entry whose length ends inside a record (count runs past the block)",
         f.dat.substr(0, 12) + termEntry(2, otherOffset, otherLength - 2), f.ind},
        {"entry covering the next term's bytes too", termEntry(1, 0, otherOffset + 3) + f.dat.substr(12),
         f.ind},
    };
    for (const Case& c : cases) {
        dir.write("index.dat", c.dat);
        dir.write("index.ind", c.ind);
        const QueryOutcome q = evaluateQuery(std::vector<int32_t>{1, 2}, base());
        EXPECT_EQ(q.error, 0) << c.what;
        EXPECT_TRUE(q.documents.empty()) << c.what;
        EXPECT_EQ(q.damagedTerms, 1) << c.what;
    }
}

TEST(DocumentTable, NamesAndTitles) {
    TempDir dir;
    const IndexFiles f =
        buildDocumentTable({{"tree/a.htm", "Первая"}, {"tree/b.htm", ""}, {std::string(255, 'n'), std::string(255, 't')}});
    dir.write("files.dat", f.dat);
    dir.write("files.ind", f.ind);
    DocumentTable table;
    ASSERT_TRUE(table.open(dir.path() + "/"));
    EXPECT_EQ(table.recordCount(), 4u);
    DocumentEntry e;
    ASSERT_TRUE(table.entry(1, e));
    EXPECT_EQ(e.pageName, "tree/a.htm");
    EXPECT_EQ(e.title, "Первая");
    ASSERT_TRUE(table.entry(2, e));
    EXPECT_EQ(e.title, "");
    ASSERT_TRUE(table.entry(3, e));
    EXPECT_EQ(e.pageName.size(), 255u);
    EXPECT_EQ(e.title.size(), 255u);
    for (int32_t d : {0, 4, -1, INT_MAX}) EXPECT_FALSE(table.entry(d, e)) << d;
}

TEST(DocumentTable, DamagedTables) {
    const IndexFiles f = buildDocumentTable({{"a.htm", "A"}, {"b.htm", "B"}});
    struct Case {
        const char* what;
        std::string dat;
        std::string ind;
        int32_t document;
    };
    std::string pastEnd = f.dat;
    pastEnd[12] = 100; // record 2's offset beyond files.ind
    std::string longTitle = f.dat;
    longTitle[17] = 3; // record 2's title runs past the end of files.ind
    const Case cases[] = {
        {"record cut short at the end of files.dat", f.dat.substr(0, 16), f.ind, 2},
        {"offset past files.ind", pastEnd, f.ind, 2},
        {"strings running past files.ind", longTitle, f.ind, 2},
        {"files.ind empty", f.dat, "", 1},
    };
    for (const Case& c : cases) {
        TempDir dir;
        dir.write("files.dat", c.dat);
        dir.write("files.ind", c.ind);
        DocumentTable table;
        ASSERT_TRUE(table.open(dir.path() + "/")) << c.what;
        DocumentEntry e;
        EXPECT_FALSE(table.entry(c.document, e)) << c.what;
    }
    TempDir dir;
    dir.write("files.dat", f.dat);
    DocumentTable table;
    EXPECT_FALSE(table.open(dir.path() + "/")) << "files.ind missing";
}

} // namespace
