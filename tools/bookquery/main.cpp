// bookquery BASEDIR "query words" | --lemmas N,N,...  [--highlight FILE [--doc N]]
//           [--pages DIR] [--store NAME] [--colour RRGGBB]
// Runs a word query on a book's full-text index the way the reader's word search does and prints
// the lemma numbers and the ranked documents with their titles; with --highlight it writes the
// page of a document (the first found, or --doc) with the query's hits marked.
#include "bookpages.h"

#include "platform/morph.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "search/evaluate.h"
#include "search/highlight.h"
#include "search/proximity.h"
#include "search/query.h"

#include <charconv>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

int usage() {
    std::cerr << "usage: bookquery BASEDIR \"query words\" [options]\n"
                 "       bookquery BASEDIR --lemmas N,N,... [options]\n"
                 "options: --highlight FILE  write the highlighted page of a document to FILE\n"
                 "         --doc N           the document for --highlight (default: the first found)\n"
                 "         --pages DIR       the book's pages folder (default: the folder above BASEDIR)\n"
                 "         --store NAME      the page store of a single-store book (default: 1.htm)\n"
                 "         --colour RRGGBB   the highlight colour (default: ff0000)\n"
                 "exit status: 0 documents found, 1 nothing found, 2 usage or book error\n";
    return 2;
}

// A command-line text as Windows-1251: terminals give UTF-8; anything else is taken as it is.
std::string argText(const char* arg) {
    return isValidUtf8(arg) ? utf8ToCp1251(arg) : std::string(arg);
}

std::string argFolder(const char* arg) {
    std::string folder = argText(arg);
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
    return folder;
}

bool parseNumber(std::string_view s, int32_t& value) {
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return ec == std::errc() && end == s.data() + s.size();
}

bool parseLemmas(std::string_view list, std::vector<int32_t>& lemmas) {
    while (!list.empty()) {
        const size_t comma = std::min(list.find(','), list.size());
        int32_t v;
        if (!parseNumber(list.substr(0, comma), v)) return false;
        lemmas.push_back(v);
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
    return !lemmas.empty();
}

std::string out(std::string_view cp1251) { return cp1251ToUtf8(cp1251); }

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return usage();
    const std::string base = argFolder(argv[1]);
    std::string queryText, highlightFile, pages, store = "1.htm", colour = "ff0000";
    std::vector<int32_t> lemmas;
    bool byLemmas = false, haveQuery = false;
    int32_t document = 0;
    for (int i = 2; i < argc; ++i) {
        const std::string_view a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--lemmas" && hasValue) {
            if (!parseLemmas(argv[++i], lemmas)) return usage();
            byLemmas = true;
        } else if (a == "--highlight" && hasValue) {
            highlightFile = argText(argv[++i]);
        } else if (a == "--doc" && hasValue) {
            if (!parseNumber(argv[++i], document) || document < 1) return usage();
        } else if (a == "--pages" && hasValue) {
            pages = argFolder(argv[++i]);
        } else if (a == "--store" && hasValue) {
            store = argText(argv[++i]);
        } else if (a == "--colour" && hasValue) {
            colour = argv[++i];
            if (colour.size() != 6 || colour.find_first_not_of("0123456789abcdef") != std::string::npos)
                return usage();
        } else if (!a.starts_with("--") && !haveQuery) {
            queryText = argText(argv[i]);
            haveQuery = true;
        } else {
            return usage();
        }
    }
    if (byLemmas == haveQuery) return usage();
    if (pages.empty()) pages = base + "../";

    if (haveQuery) {
        if (const std::string why = morphError(); !why.empty()) {
            std::cerr << "bookquery: the morphology dictionary is not usable: " << why << "\n";
            return 2;
        }
        for (const QueryTerm& t : lemmatizeQuery(queryText)) {
            std::cout << "lemma " << t.number << " " << out(t.lemma) << " (" << out(t.word) << ")\n";
            lemmas.push_back(t.number);
        }
    } else {
        for (int32_t l : lemmas) std::cout << "lemma " << l << "\n";
    }
    if (lemmas.size() > size_t(kMaxQueryTerms))
        std::cerr << "bookquery: only the first " << kMaxQueryTerms << " words are searched\n";

    const QueryOutcome q = evaluateQuery(lemmas, base + "index");
    if (q.error != 0) {
        std::cerr << "bookquery: the index " << out(base) << "index.dat/.ind cannot be read\n";
        return 2;
    }
    if (q.damagedTerms > 0)
        std::cerr << "bookquery: the index entries of " << q.damagedTerms << " words are damaged\n";

    BookPages book;
    const ReadStatus opened = book.open(base, pages, store);
    if (!opened) std::cerr << "bookquery: " << out(opened.message) << "\n";
    std::cout << "documents " << q.documents.size() << "\n";
    for (int32_t d : q.documents) {
        std::string title;
        if (opened) book.title(d, title);
        std::cout << d << "\t" << out(title) << "\n";
    }

    if (!highlightFile.empty()) {
        if (document == 0 && !q.documents.empty()) document = q.documents.front();
        std::string page;
        if (document == 0 || !opened || !book.page(document, page)) {
            std::cerr << "bookquery: no page to highlight\n";
            return 2;
        }
        HighlightInputs inputs;
        inputs.lemmas.assign(lemmas.begin(), lemmas.begin() + std::ptrdiff_t(std::min<size_t>(lemmas.size(), 255)));
        inputs.colourHtml = colour;
        if (!highlight(page, inputs, highlightFile)) {
            std::cerr << "bookquery: cannot write " << out(highlightFile) << "\n";
            return 2;
        }
    }
    return q.documents.empty() ? 1 : 0;
}
