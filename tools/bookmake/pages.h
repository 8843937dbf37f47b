// Pages: every contents page converted to Windows-1251, its links and pictures rewritten for the
// reader, and laid out as the book's layout wants (one page store cut into entry ranges, or page
// files under out\tree\); every other page they link to written as a converted file with its
// pictures. Also the documents the index and the glossaries are built from.
#pragma once

#include "description.h"
#include "output.h"
#include "testfile.h"

#include <string>
#include <vector>

// One document of the full-text index and the glossaries.
struct Document {
    int number = 0;         // 1-based
    std::string text;       // the page as the reader's highlighter sees it (Windows-1251)
    size_t countFrom = 0;   // where word counting starts (the reader counts from "<BODY")
    std::string title;      // caption of its contents entry
    std::string name;       // page-file layout: page name relative to out\ ("tree/a/b.htm")
    int entry = 0;          // contents entry (the first one naming the page)
};

struct BookPages {
    std::string store;                    // single-store layout: the page store
    std::vector<std::string> offsetLines; // single-store layout: offset1.txt, one more than entries
    std::vector<std::string> pageLines;   // page-file layout: Page.txt
    std::vector<Document> documents;
};

BookPages buildPages(const BookDescription& book, BookOutput& out, const TaskTargets& tasks);
