// Search on books built by bookmake from the fixtures: bookquery's answers in both layouts, and
// the agreement of search and highlighting: every document a query finds shows its hits.
#include "search/blword.h"
#include "search/doctable.h"
#include "search/evaluate.h"
#include "search/highlight.h"
#include "search/query.h"
#include "platform/morph.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/words.h"
#include "reading/contents.h"
#include "reading/pageassembly.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>

namespace {

std::string quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

struct RunResult {
    int status;
    std::string out; // UTF-8
};

RunResult run(const std::string& command) {
    RunResult r{-1, {}};
    FILE* p = popen((command + " 2>/dev/null").c_str(), "r");
    if (!p) return r;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

// The two fixture books, built once for all tests.
struct Books {
    TempDir dir;
    std::string garden; // page-file layout: <book>/base/
    std::string cats;   // single-store layout
    Books() {
        const std::string make = quoted(programPath("bookmake"));
        const std::string src = std::string(EBOOK_SOURCE_DIR) + "/tests/search/fixtures/";
        // Both at once: most of the time goes into loading the dictionary.
        const std::string cmd = "(" + make + " build " + quoted(src + "garden") + " " + quoted(dir.file("garden")) +
                                " >/dev/null 2>&1 & " + make + " build " + quoted(src + "cats") + " " +
                                quoted(dir.file("cats")) + " >/dev/null 2>&1; wait)";
        if (std::system(cmd.c_str()) != 0 || !fileExists(dir.file("garden/base/index.dat")) ||
            !fileExists(dir.file("cats/base/index.dat")))
            throw std::runtime_error("bookmake could not build the fixture books");
        garden = dir.file("garden/base/");
        cats = dir.file("cats/base/");
    }
};

const Books& books() {
    static Books b;
    return b;
}

std::vector<int32_t> lemmasOf(const char* utf8) {
    std::vector<int32_t> l;
    for (const QueryTerm& t : lemmatizeQuery(w1251(utf8))) l.push_back(t.number);
    return l;
}

std::string join(const std::vector<int32_t>& v) {
    std::string s;
    for (int32_t x : v) s += (s.empty() ? "" : ",") + std::to_string(x);
    return s;
}

// Titles of the documents a query finds, in rank order, through bookquery.
std::vector<std::string> titlesFound(const std::string& base, const char* query, int* status = nullptr) {
    const RunResult r = run(quoted(programPath("bookquery")) + " " + quoted(base) + " --lemmas " + join(lemmasOf(query)));
    if (status) *status = r.status;
    std::vector<std::string> titles;
    size_t at = r.out.find("documents ");
    if (at == std::string::npos) return titles;
    at = r.out.find('\n', at);
    while (at != std::string::npos && at + 1 < r.out.size()) {
        const size_t end = r.out.find('\n', at + 1);
        const std::string line = r.out.substr(at + 1, end - at - 1);
        titles.push_back(line.substr(line.find('\t') + 1));
        at = end;
    }
    return titles;
}

using Titles = std::vector<std::string>;

TEST(SearchBooks, QueriesOnBothLayouts) {
    ASSERT_TRUE(morphError().empty()) << morphError();
    const Books& b = books();
    struct Case {
        const char* what;
        const std::string& base;
        const char* query;
        Titles want;
    };
    const Case cases[] = {
        {"page-file: one word, ranked by occurrences", b.garden, "клубника", {"Клубника", "Уход за садом", "Сад и огород"}},
        {"page-file: two words close together, in either order", b.garden, "поливать яблоню", {"Яблоня", "Сад и огород"}},
        {"page-file: a word printed with ё", b.garden, "ёлка", {"Ёлка во дворе"}},
        {"page-file: two words never close", b.garden, "клещ молодой", {}},
        {"single-store: titles from the contents", b.cats, "рыжая кошка", {"Характер кошки"}},
        {"single-store: two words next to each other", b.cats, "молоко кошка", {"Кормление"}},
        {"single-store: a word of no page", b.cats, "яблоня", {}},
    };
    for (const Case& c : cases) {
        int status = -1;
        EXPECT_EQ(titlesFound(c.base, c.query, &status), c.want) << c.what;
        EXPECT_EQ(status, c.want.empty() ? 1 : 0) << c.what;
    }
}

TEST(SearchBooks, BookqueryLemmatizesAndHighlights) {
    const Books& b = books();
    TempDir out;
    // Page-file layout: the found document's page file.
    RunResult r = run(quoted(programPath("bookquery")) + " " + quoted(b.garden) + " 'Вредители клубники' --highlight " +
                quoted(out.file("hit.htm")) + " --colour 00ff00");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("documents 1\n"), std::string::npos) << r.out;
    std::string page;
    ASSERT_TRUE(readFile(out.file("hit.htm"), page));
    EXPECT_NE(page.find(w1251("<a name=\"word1\"></a><font color=\"#00ff00\"><b>Вредители</b></font>")), std::string::npos);
    EXPECT_NE(page.find(w1251("<b>клубники</b>")), std::string::npos);

    // Single-store layout: the store range of the document, wrapped as the reader shows it.
    const std::vector<int32_t> lemmas = lemmasOf("кошка");
    r = run(quoted(programPath("bookquery")) + " " + quoted(b.cats) + " --lemmas " + join(lemmas) + " --doc 2 --highlight " +
            quoted(out.file("cat.htm")));
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_TRUE(readFile(out.file("cat.htm"), page));
    EXPECT_TRUE(page.starts_with("<HTML><BODY>")) << page.substr(0, 40);
    EXPECT_NE(page.find(w1251("<b>Кошка</b>")), std::string::npos);
    EXPECT_NE(page.find(w1251("<b>кошка</b>")), std::string::npos);
    EXPECT_NE(page.find("kovrex_next"), std::string::npos) << "a page that is not the last links on";

    EXPECT_EQ(run(quoted(programPath("bookquery")) + " " + quoted(out.path()) + " --lemmas 5").status, 2)
        << "no index";
    EXPECT_EQ(run(quoted(programPath("bookquery")) + " " + quoted(b.cats)).status, 2) << "no query";
}

// Every page of a book with its document number, as the reader shows it from the results.
std::map<int32_t, std::string> bookPages(const std::string& base) {
    std::map<int32_t, std::string> pages;
    const std::string bookFolder = base + "../";
    DocumentTable table;
    if (table.open(base)) {
        DocumentEntry e;
        for (int32_t d = 1; table.entry(d, e); ++d) {
            std::string text;
            if (readFile(bookFolder + "out/" + e.pageName, text)) pages[d] = text;
        }
        return pages;
    }
    BookContents contents;
    std::string store;
    EXPECT_TRUE(LoadContents(base, contents));
    EXPECT_TRUE(readFile(bookFolder + "1.htm", store));
    MarkerColours colours;
    colours.handMode = true;
    for (int n = 0; n < contents.count(); ++n)
        pages[n + 1] = assembleStorePage(store, contents.record(n).value, contents.record(n + 1).value,
                                         n < contents.count() - 1, colours);
    return pages;
}

// Queries of one to three adjacent words of the book's own text: each found document must show
// a hit (a hit inside a tag counts: it cannot be marked without breaking the tag).
void checkAgreement(const std::string& base) {
    const std::map<int32_t, std::string> pages = bookPages(base);
    ASSERT_FALSE(pages.empty());
    std::set<std::vector<int32_t>> queries;
    std::map<std::string, int32_t> lemmaOf;
    for (const auto& [d, text] : pages) {
        const std::string upper = upperCp1251(text);
        std::vector<int32_t> words;
        forEachCountedWord(upper, countedTextStart(upper), [&](size_t s, size_t l, uint32_t) {
            const std::string w = upper.substr(s, l);
            if (!lemmaOf.count(w)) {
                const auto t = lemmatizeQuery(w);
                lemmaOf[w] = t.empty() ? 0 : t.front().number;
            }
            if (lemmaOf[w] != 0) words.push_back(lemmaOf[w]);
        });
        for (size_t i = 0; i < words.size(); i += 3)
            for (size_t n = 1; n <= 3 && i + n <= words.size(); ++n)
                queries.insert(std::vector<int32_t>(words.begin() + std::ptrdiff_t(i), words.begin() + std::ptrdiff_t(i + n)));
    }
    int found = 0;
    for (const std::vector<int32_t>& q : queries) {
        const QueryOutcome outcome = evaluateQuery(q, base + "index");
        ASSERT_EQ(outcome.error, 0);
        HighlightInputs in;
        in.lemmas = q;
        const Blword forms = buildFormDictionary(q);
        for (int32_t d : outcome.documents) {
            ++found;
            ASSERT_TRUE(pages.count(d)) << "document " << d;
            // Words inside tags are not counted, so every document found has a hit to mark.
            EXPECT_GT(findHits(pages.at(d), in, forms).size(), 0u)
                << "query " << join(q) << " document " << d;
        }
    }
    EXPECT_GT(found, int(queries.size())) << "the queries must find documents";
}

TEST(SearchBooks, FoundDocumentsShowTheirHits) {
    checkAgreement(books().garden);
    checkAgreement(books().cats);
}

} // namespace
