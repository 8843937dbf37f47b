// The book's contents: the tree of "contents.txt", the entry table of "offset1.txt" (single-store
// layout) or "Page.txt" (page-file layout), and the page name table. Everything Windows-1251.
#pragma once

#include "reading/status.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class BookLayout : uint8_t { SingleStore = 0, PageFile = 1 };

// One line of "contents.txt".
struct TreeEntry {
    std::string caption; // Windows-1251, without the leading depth characters
    int depth = 0;       // 0 = top level
    int parent = -1;     // absolute index of the parent, -1 at the top level
    int childCount = 0;  // direct children
};

// One record of the contents entry table.
struct EntryRecord {
    int32_t value = 0;    // store offset, redirect target, or (page-file) the entry's own index
    uint8_t redirect = 0; // 1 when the "offset1.txt" line began with "#"
};

// Where an entry's page is, after following redirects.
struct ResolvedPage {
    int entry = -1;    // the entry whose page is shown
    int32_t start = 0; // store offset, or (page-file) the entry index
    int32_t end = 0;   // store offset past the page, or (page-file) start + 1
};

class BookContents {
  public:
    std::vector<TreeEntry> entries; // in the order of "contents.txt"
    BookLayout layout = BookLayout::SingleStore;
    std::vector<EntryRecord> records;   // room for entries + 2, zero beyond the file
    int recordCount = 0;                // records read from the file
    std::vector<std::string> pageNames; // page-file layout: per record, empty = no page

    int count() const { return static_cast<int>(entries.size()); }
    bool validEntry(int i) const { return i >= 0 && i < count(); }
    const EntryRecord& record(int i) const; // a zero record outside the table

    // Resolves entry i to the page it shows: a redirect entry passes to the next entry, a
    // redirect value names the entry to show (chains are followed; cycles and targets outside
    // the contents give no page), a negative value or an empty range gives no page.
    std::optional<ResolvedPage> resolve(int i) const;

    // The store range of entry i itself (no redirect following): start = its value; end = the
    // value of the next record that is not a redirect (single-store), start + 1 or start
    // (page-file, by whether it has a page name).
    ResolvedPage pageRange(int i) const;

    // The next-page walk of the continuation link: the first entry after `current` that
    // resolves to a page, or nothing (a negative value on the way stops the walk).
    std::optional<ResolvedPage> nextPage(int current) const;

    // Captions of the ancestors below the top level and of the entry itself, joined by "/";
    // empty for a top-level entry or an index outside the contents.
    std::string EntryPath(int index) const;

    // Tree icon 0-4: 1 without children; 3/4 top level expanded/collapsed; 2/0 deeper.
    int iconIndex(int index, bool expanded) const;

    // The page name of entry i (page-file layout), empty when none.
    const std::string& pageName(int i) const;
};

// Parses "contents.txt". The first line is a top-level entry whatever its indentation; a later
// line more than one level deeper than the line before it fails with a message naming the line.
ReadStatus parseContentsTree(std::string_view bytes, std::vector<TreeEntry>& entries);

// Fills records from "offset1.txt" bytes (room for entryCount + 2 records).
void parseOffsets(std::string_view bytes, int entryCount, BookContents& contents);

// Fills records and page names from "Page.txt" bytes.
void parsePageNames(std::string_view bytes, int entryCount, BookContents& contents);

// LoadContents(BasePath): reads "%scontents.txt", then "%soffset1.txt" when it exists
// (single-store layout) or "%sPage.txt" (page-file layout; missing = no entry has a page).
// A missing or unreadable "contents.txt" or a depth error fails; the contents are then empty.
ReadStatus LoadContents(const std::string& basePath1251, BookContents& contents);
