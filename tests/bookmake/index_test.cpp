// The long posting record, the 65,535-word limit of a document, characters that Windows-1251
// lacks, and an exam whose last task is shorter than the exam window's reading margin.
#include "bookfiles.h"
#include "builds.h"

#include "platform/morph.h"
#include "platform/text.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(IndexLimits, LongRecordsAndDocumentsPastTheLastPosition) {
    const BuiltBook& book = builtBook(TestBook::Limits);
    const RunResult& r = book.run;
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("65535"), std::string::npos) << "the cut document is named in a warning";

    const std::vector<MorphLemma> lemmas = morphLemmas(w1251("ЗВЕЗДА"));
    ASSERT_FALSE(lemmas.empty());
    std::string error;
    const std::vector<IndexTerm> terms = readIndex(book.folder / "base", error);
    ASSERT_EQ(error, "");
    const IndexTerm* star = nullptr;
    for (const IndexTerm& t : terms)
        if (t.key == lemmas.front().number) star = &t;
    ASSERT_NE(star, nullptr);
    ASSERT_EQ(star->postings.size(), 3u);
    EXPECT_TRUE(star->postings[0].isLong);
    EXPECT_EQ(star->postings[0].positions.size(), 300u);
    EXPECT_EQ(star->postings[1].document, 2u);
    ASSERT_EQ(star->postings[1].positions.size(), 65535u) << "positions 1..65535, the rest left out";
    EXPECT_EQ(star->postings[1].positions.back(), 65535);
    EXPECT_FALSE(star->postings[2].isLong);
    EXPECT_EQ(star->postings[2].positions, (std::vector<uint16_t>{1, 2}));

    const std::string store = readAll(book.folder / "1.htm");
    EXPECT_NE(store.find("&#9733;"), std::string::npos) << "a star sign has no Windows-1251 byte";
    EXPECT_NE(store.find(w1251("№1")), std::string::npos);

    const RunResult dump = runBookmake({"dump", (book.folder / "base/index.dat").string(), "--lemma", std::to_string(lemmas.front().number)});
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_NE(dump.out.find("document 1 (long): 300 positions: 1 2 3"), std::string::npos) << dump.out;
}

TEST(TestFile, ShortLastTaskIsStillRead) {
    const BuiltBook& book = builtBook(TestBook::Limits);
    ASSERT_EQ(book.run.exitCode, 0) << book.run.err;
    const std::vector<TaskLinkRef> links = findTaskLinks(readAll(book.folder / "1.htm"));
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].kind, 5);
    EXPECT_EQ(links[0].page, 1);
    const std::string dat = readAll(book.folder / "base/test.dat");
    const size_t start = size_t(links[0].offset) + 4, size = le32(dat, size_t(links[0].offset));
    ASSERT_LE(start + size, dat.size());
    // The exam window reads a task only when it starts more than 10 bytes before the area's end.
    std::vector<int> kinds;
    for (size_t p = start; p + 10 < start + size;) {
        kinds.push_back(dat[p]);
        p += 1;
        p += 4 + le32(dat, p);
        p += kinds.back() == 1 ? 8 : 4 + le32(dat, p);
    }
    EXPECT_EQ(kinds, (std::vector<int>{1, 2}));
    EXPECT_NE(readAll(book.folder / "base/1.htm").find(w1251("Правила")), std::string::npos);
}

TEST(Dump, ReadsEveryKindOfFileAndRejectsDamage) {
    const BuiltBook& book = builtBook(TestBook::PageFile);
    ASSERT_EQ(book.run.exitCode, 0) << book.run.err;
    const struct {
        const char* file;
        const char* expected;
    } rows[] = {
        {"base/files.dat", "document 1: tree/start.htm | Путеводитель наблюдателя"},
        {"base/gloss.dat", "ВЕГА: 2 documents: 3 4"},
        {"base/allgloss.dat", "РЕГУЛ: 2 documents: 2 4"},
        {"base/test.dat", "right option 3 of 3"},
        {"base/index.dat", "terms"},
    };
    for (const auto& row : rows) {
        const RunResult d = runBookmake({"dump", (book.folder / row.file).string()});
        EXPECT_EQ(d.exitCode, 0) << row.file;
        EXPECT_NE(d.out.find(row.expected), std::string::npos) << row.file << "\n" << d.out;
    }
    // A term table that points past the postings file.
    TempDir damaged;
    std::string dat = readAll(book.folder / "base/index.dat");
    dat[4] = '\x7f';
    dat[7] = '\x7f';
    damaged.write("index.dat", dat);
    damaged.write("index.ind", readAll(book.folder / "base/index.ind"));
    const RunResult d = runBookmake({"dump", damaged.file("index.dat")});
    EXPECT_EQ(d.exitCode, 1);
    EXPECT_NE(d.out.find("past the end"), std::string::npos);
}
