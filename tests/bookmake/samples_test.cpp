// Builds both sample books with bookmake and reads every file back with the readers of
// bookfiles.h: the formats, the cuts of the page store, the index against an independent count
// of the words, the glossaries, the test file, the plain text and the determinism of the build.
#include "bookfiles.h"
#include "builds.h"

#include "platform/morph.h"
#include "platform/text.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

namespace fs = std::filesystem;

namespace {

struct Built {
    fs::path book;
    std::vector<std::string> captions;
    std::vector<int> depths;
};

Built build(TestBook which) {
    Built b;
    const BuiltBook& built = builtBook(which);
    b.book = built.folder;
    EXPECT_EQ(built.run.exitCode, 0) << built.run.err;
    for (std::string line : splitLines(readAll(b.book / "base/contents.txt"))) {
        int depth = 0;
        while (depth < int(line.size()) && (line[size_t(depth)] == '\t' || line[size_t(depth)] == ' ')) ++depth;
        b.depths.push_back(depth);
        b.captions.push_back(line.substr(size_t(depth)));
    }
    return b;
}

// The documents of a built book as the reader shows them: number -> (text, counts from <BODY).
struct Doc {
    std::string text;
    bool fromBody;
};

bool isLetter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0 || c == 0xA8 || c == 0xB8;
}

// The highlighter's literal rule read from its description.
bool literalFound(const std::string& upper, const std::string& term) {
    for (size_t p = upper.find(term); p != std::string::npos; p = upper.find(term, p + 1)) {
        if (p > 0 && isLetter(static_cast<unsigned char>(upper[p - 1]))) continue;
        if (p + term.size() < upper.size() && isLetter(static_cast<unsigned char>(upper[p + term.size()]))) continue;
        bool insideTag = false;
        for (size_t k = p; k < upper.size(); ++k) {
            if (upper[k] == '<') break;
            if (upper[k] == '>') {
                insideTag = true;
                break;
            }
        }
        if (!insideTag) return true;
    }
    return false;
}

void checkIndex(const fs::path& base, const std::map<int, Doc>& docs) {
    std::string error;
    const std::vector<IndexTerm> terms = readIndex(base, error);
    ASSERT_EQ(error, "");
    ASSERT_FALSE(terms.empty());
    std::map<std::pair<int32_t, uint32_t>, std::vector<uint16_t>> indexed;
    for (size_t i = 0; i < terms.size(); ++i) {
        if (i > 0) {
            EXPECT_LT(terms[i - 1].key, terms[i].key) << "keys sorted, signed, once each";
        }
        uint32_t previous = 0;
        for (const Posting& p : terms[i].postings) {
            EXPECT_GT(p.document, previous) << "documents ascend in a block";
            previous = p.document;
            EXPECT_TRUE(docs.count(int(p.document))) << p.document;
            EXPECT_EQ(p.isLong, p.positions.size() > 254);
            EXPECT_TRUE(std::is_sorted(p.positions.begin(), p.positions.end()));
            EXPECT_EQ(std::adjacent_find(p.positions.begin(), p.positions.end()), p.positions.end());
            indexed[{terms[i].key, p.document}] = p.positions;
        }
    }
    // Every counted word with a lemma is indexed under its first lemma at its ordinal; nothing else.
    std::map<std::pair<int32_t, uint32_t>, std::vector<uint16_t>> expected;
    std::map<std::string, int32_t> lemmaCache;
    for (const auto& [number, doc] : docs)
        for (const CountedWord& w : countWords(doc.text, doc.fromBody)) {
            auto it = lemmaCache.find(w.word);
            if (it == lemmaCache.end()) {
                const std::vector<MorphLemma> l = morphLemmas(w.word);
                it = lemmaCache.emplace(w.word, l.empty() ? 0 : l.front().number).first;
            }
            if (it->second != 0) expected[{it->second, uint32_t(number)}].push_back(uint16_t(w.ordinal));
        }
    EXPECT_EQ(indexed.size(), expected.size());
    EXPECT_TRUE(indexed == expected) << "postings differ from an independent count of the words";
}

void checkGlossaries(const fs::path& base, const std::map<int, Doc>& docs) {
    std::map<int32_t, std::string> upper;
    for (const auto& [n, d] : docs) upper[n - 1] = upperCp1251(d.text);
    for (const std::string name : {"gloss", "allgloss"}) {
        SCOPED_TRACE(name);
        int32_t header = -1;
        std::string error;
        const std::vector<GlossWord> words = readGloss(base, name, header, error);
        ASSERT_EQ(error, "");
        ASSERT_FALSE(words.empty());
        EXPECT_EQ(header, int32_t(words.size()));
        for (size_t i = 0; i < words.size(); ++i) {
            const GlossWord& w = words[i];
            EXPECT_EQ(w.word, upperCp1251(w.word));
            EXPECT_EQ(w.word.find('$'), std::string::npos);
            if (name == "allgloss" && i > 0) {
                EXPECT_LT(words[i - 1].word, w.word) << "byte order, once each";
            }
            EXPECT_TRUE(std::is_sorted(w.documents.begin(), w.documents.end()));
            // A listed document holds the word by the highlighter's rule; the term list names
            // every such document.
            std::vector<int32_t> holding;
            for (const auto& [index, text] : upper)
                if (literalFound(text, w.word)) holding.push_back(index);
            if (name == "gloss") {
                EXPECT_EQ(w.documents, holding) << cp1251ToUtf8(w.word);
            } else {
                for (int32_t d : w.documents)
                    EXPECT_TRUE(std::binary_search(holding.begin(), holding.end(), d)) << cp1251ToUtf8(w.word);
            }
        }
    }
}

// Reads the task records the pages link to, as the exam and exercise windows read them.
void checkTestFile(const fs::path& book, const std::string& pages, int& exams) {
    const std::string dat = readAll(book / "base/test.dat");
    const std::vector<TaskLinkRef> links = findTaskLinks(pages);
    ASSERT_FALSE(links.empty());
    exams = 0;
    for (const TaskLinkRef& l : links) {
        SCOPED_TRACE("link kind " + std::to_string(l.kind) + " offset " + std::to_string(l.offset));
        ASSERT_GE(l.offset, 0);
        ASSERT_LE(size_t(l.offset) + 4, dat.size());
        size_t p = size_t(l.offset);
        const uint32_t len = le32(dat, p);
        ASSERT_LE(p + 4 + len, dat.size());
        if (l.kind <= 2) {
            p += 4 + len;
            const int32_t right = int32_t(le32(dat, p)), options = int32_t(le32(dat, p + 4));
            EXPECT_GE(options, 1);
            EXPECT_LE(options, 9);
            EXPECT_GE(right, 1);
            EXPECT_LE(right, options);
        } else if (l.kind <= 4) {
            p += 4 + len;
            const uint32_t answer = le32(dat, p);
            EXPECT_LE(p + 4 + answer, dat.size());
        } else {
            ++exams;
            if (l.kind == 5) {
                EXPECT_TRUE(fs::is_regular_file(book / "base" / (std::to_string(l.page) + ".htm")));
            }
            // The task area, walked as the exam window walks it.
            const size_t start = p + 4, end = start + len;
            std::map<char, int> kinds;
            size_t q = start;
            while (q + 10 < end) {
                const signed char kind = static_cast<signed char>(dat[q]);
                q += 1;
                const uint32_t question = le32(dat, q);
                q += 4 + question;
                if (kind == 1) {
                    const int32_t right = int32_t(le32(dat, q));
                    EXPECT_GE(right, 1);
                    EXPECT_LE(right, 4);
                    q += 8;
                } else {
                    q += 4 + le32(dat, q);
                }
                ASSERT_LE(q, end);
                ++kinds[kind == 1 ? 'A' : kind == 2 ? 'B' : 'C'];
            }
            EXPECT_GE(kinds['A'], 1);
            EXPECT_GE(kinds['B'], 1);
            EXPECT_GE(kinds['C'], 1);
        }
    }
}

void checkPlainText(const Built& b, const fs::path& bookTxt) {
    const std::string text = readAll(bookTxt);
    const std::vector<std::string> tokens = splitLines(readAll(b.book / "base/tok.txt"));
    ASSERT_EQ(tokens.size(), b.captions.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        const int at = readDecimal(tokens[i]);
        ASSERT_GE(at, 0);
        EXPECT_EQ(text.compare(size_t(at), b.captions[i].size(), b.captions[i]), 0) << i;
    }
    EXPECT_EQ(text.find('<'), std::string::npos) << "no markup in the plain text";
}

std::map<std::string, std::string> allFiles(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file()) files[fs::relative(e.path(), root).string()] = readAll(e.path());
    return files;
}

class SingleStoreSample : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_book = new Built(build(TestBook::Sample)); }
    static void TearDownTestSuite() { delete s_book; }
    static Built* s_book;
};
Built* SingleStoreSample::s_book = nullptr;

TEST_F(SingleStoreSample, IniAndContents) {
    const Built& b = *s_book;
    const std::string ini = readAll(b.book / "ebook.ini");
    EXPECT_NE(ini.find("[Description]\r\n"), std::string::npos);
    EXPECT_NE(ini.find("RegKey=talmaran_sky\r\n"), std::string::npos);
    EXPECT_NE(ini.find(w1251("Title=Небо над нами")), std::string::npos);
    EXPECT_TRUE(fs::is_directory(b.book / "user"));
    ASSERT_GE(b.captions.size(), 20u);
    EXPECT_EQ(b.depths[0], 0);
    EXPECT_EQ(*std::max_element(b.depths.begin(), b.depths.end()), 3) << "three levels below the title";
    for (size_t i = 1; i < b.depths.size(); ++i) EXPECT_LE(b.depths[i], b.depths[i - 1] + 1);
}

// Each entry's range of the page store, and what the reader does with redirect entries.
TEST_F(SingleStoreSample, OffsetsCutTheRightPages) {
    const Built& b = *s_book;
    const std::string store = readAll(b.book / "1.htm");
    const std::vector<std::string> lines = splitLines(readAll(b.book / "base/offset1.txt"));
    const size_t n = b.captions.size();
    ASSERT_EQ(lines.size(), n + 1) << "one line per entry and the end of the last page";
    EXPECT_EQ(size_t(readDecimal(lines[n])), store.size());
    std::vector<int> value(n + 2, 0);
    std::vector<bool> redirect(n + 2, false);
    for (size_t i = 0; i <= n; ++i) {
        redirect[i] = lines[i].starts_with("#");
        value[i] = readDecimal(redirect[i] ? lines[i].substr(1) : lines[i]);
    }
    EXPECT_FALSE(redirect[0]);
    size_t covered = 0;
    for (size_t i = 0; i < n; ++i) {
        if (redirect[i]) continue;
        EXPECT_EQ(size_t(value[i]), covered) << "pages lie in contents order without gaps";
        ASSERT_GT(value[i + 1], value[i]) << "entry " << i << " has a page";
        const std::string page = store.substr(size_t(value[i]), size_t(value[i + 1] - value[i]));
        EXPECT_NE(page.find(b.captions[i]), std::string::npos)
            << "entry " << i << " shows its own page: " << cp1251ToUtf8(b.captions[i]);
        covered = size_t(value[i + 1]);
    }
    EXPECT_EQ(covered, store.size());
    // Resolving an entry (a double click) and the continuation walk reach the next page.
    auto nextPage = [&](size_t i) {
        while (i < n && redirect[i]) ++i;
        return i;
    };
    for (size_t i = 0; i < n; ++i) {
        if (!redirect[i]) continue;
        size_t k = i + 1;
        if (redirect[k]) k = size_t(value[k]);
        EXPECT_EQ(k, nextPage(i)) << "redirect entry " << i;
    }
    // An entry cut at an anchor starts with the heading that holds the anchor.
    const std::string dipper = w1251("Большая Медведица");
    const size_t at = size_t(std::find(b.captions.begin(), b.captions.end(), dipper) - b.captions.begin());
    ASSERT_LT(at, n);
    EXPECT_EQ(store.compare(size_t(value[at]), 21, "<h3><a name=\"dipper\">"), 0);
    // Pages are Windows-1251 and link the way the reader dispatches.
    EXPECT_TRUE(!isValidUtf8(store));
    EXPECT_NE(store.find("href=\"" + std::to_string(at + 1) + "#dipper\""), std::string::npos);
    EXPECT_NE(store.find("href=\"http"), std::string::npos);
    EXPECT_NE(store.find("href=\"mailto:"), std::string::npos);
    EXPECT_NE(store.find("href=\"docs/"), std::string::npos);
    EXPECT_NE(store.find("$$$"), std::string::npos) << "colour markers stay for the reader";
    for (size_t p = store.find("src=\""); p != std::string::npos; p = store.find("src=\"", p + 1)) {
        const std::string src = store.substr(p + 5, store.find('"', p + 5) - p - 5);
        EXPECT_TRUE(fs::is_regular_file(b.book / src)) << src;
    }
    for (size_t p = store.find("href=\"docs/"); p != std::string::npos; p = store.find("href=\"docs/", p + 1)) {
        const std::string doc = store.substr(p + 6, store.find('"', p + 6) - p - 6);
        EXPECT_TRUE(fs::is_regular_file(b.book / doc)) << doc;
    }
}

TEST_F(SingleStoreSample, IndexGlossariesTestFileAndText) {
    const Built& b = *s_book;
    const std::string store = readAll(b.book / "1.htm");
    const std::vector<std::string> lines = splitLines(readAll(b.book / "base/offset1.txt"));
    std::map<int, Doc> docs;
    for (size_t i = 0; i < b.captions.size(); ++i) {
        if (lines[i].starts_with("#")) continue;
        const int start = readDecimal(lines[i]);
        const int end = readDecimal(lines[i + 1].substr(lines[i + 1].starts_with("#") ? 1 : 0));
        docs[int(i) + 1] = {store.substr(size_t(start), size_t(end - start)), false};
    }
    checkIndex(b.book / "base", docs);
    checkGlossaries(b.book / "base", docs);
    int exams = 0;
    checkTestFile(b.book, store, exams);
    EXPECT_GE(exams, 1);
    checkPlainText(b, b.book / "book.txt");
    EXPECT_FALSE(fs::exists(b.book / "base/files.dat")) << "the document table belongs to the page-file layout";
}

TEST(PageFileSample, BuildsAndReadsBack) {
    const Built b = build(TestBook::PageFile);
    const std::vector<std::string> pageLines = splitLines(readAll(b.book / "base/Page.txt"));
    ASSERT_EQ(pageLines.size(), b.captions.size());
    EXPECT_FALSE(fs::exists(b.book / "base/offset1.txt"));
    EXPECT_EQ(readAll(b.book / "base/Page.txt").find('\r'), std::string::npos);
    std::map<std::string, size_t> firstEntry;
    for (size_t i = 0; i < pageLines.size(); ++i) {
        if (pageLines[i].empty()) continue;
        const std::string name = pageLines[i].substr(0, pageLines[i].find('#'));
        EXPECT_TRUE(fs::is_regular_file(b.book / "out/tree" / name)) << name;
        firstEntry.emplace(name, i);
    }
    // files.dat: record d names document d's file under out\ and its title.
    const std::string dat = readAll(b.book / "base/files.dat"), ind = readAll(b.book / "base/files.ind");
    ASSERT_EQ(dat.size() % 6, 0u);
    ASSERT_EQ(dat.size() / 6, firstEntry.size() + 1);
    EXPECT_EQ(dat.substr(0, 6), std::string(6, '\0'));
    std::map<int, Doc> docs;
    for (size_t d = 1; d < dat.size() / 6; ++d) {
        const uint32_t offset = le32(dat, d * 6);
        const size_t nameLen = static_cast<unsigned char>(dat[d * 6 + 4]);
        const size_t titleLen = static_cast<unsigned char>(dat[d * 6 + 5]);
        ASSERT_LE(offset + nameLen + titleLen, ind.size());
        const std::string name = ind.substr(offset, nameLen), title = ind.substr(offset + nameLen, titleLen);
        ASSERT_TRUE(name.starts_with("tree/")) << name;
        ASSERT_TRUE(firstEntry.count(name.substr(5))) << name;
        EXPECT_EQ(title, b.captions[firstEntry[name.substr(5)]]);
        docs[int(d)] = {readAll(b.book / "out" / name), true};
        EXPECT_FALSE(isValidUtf8(docs[int(d)].text) && docs[int(d)].text.find('\xD0') != std::string::npos)
            << name << " is Windows-1251";
    }
    checkIndex(b.book / "base", docs);
    checkGlossaries(b.book / "base", docs);
    // Links: relative to out\tree\ (Pelvar 0), documents through "..\..\", pages beside the
    // contents converted too.
    const std::string start = readAll(b.book / "out/tree/start.htm");
    EXPECT_NE(start.find("href=\"spring/sky.htm\""), std::string::npos);
    EXPECT_NE(start.find("charset=\"windows-1251\""), std::string::npos) << "a converted page says so";
    EXPECT_NE(start.find("href=\"..\\..\\docs\\map.txt\""), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(b.book / "out/docs/map.txt"));
    EXPECT_TRUE(fs::is_regular_file(b.book / "out/tree/summer/notes.htm"));
    EXPECT_NE(readAll(b.book / "out/tree/spring/sky.htm").find("src=\"pictures/dipper.gif\""), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(b.book / "out/tree/pictures/dipper.gif"));
    checkPlainText(b, b.book / "book.txt");
}

TEST(Determinism, SameSourcesGiveTheSameBytes) {
    const Built first = build(TestBook::Sample);
    const Built second = build(TestBook::SampleAgain);
    const auto a = allFiles(first.book), b = allFiles(second.book);
    ASSERT_FALSE(a.empty());
    EXPECT_TRUE(a == b);
}

} // namespace
