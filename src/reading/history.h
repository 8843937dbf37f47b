// The reading history: the pages shown, with the place the user left each one, for Back and
// Forward. Independent of the viewer's own history.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HistoryEntry {
    int32_t start = -1;         // contents page: ShowPage start; -1 for a page-file page
    int32_t end = -1;           // contents page: ShowPage end; -1 for a page-file page
    std::string anchor;         // kept whole, however long
    std::string pageName;       // page-file page: the page name; empty for a contents page
    int32_t scroll = 0;         // viewer scroll position when the user left the page
    int32_t contentsEntry = -1; // contents page: the current entry when recorded

    bool isPageFile() const { return !pageName.empty(); }
};

class ReadingHistory {
  public:
    static constexpr int kMaxEntries = 251;

    void reset(); // position -1, count 0
    int position() const { return m_position; }
    int count() const { return static_cast<int>(m_entries.size()); }
    const HistoryEntry& at(int i) const { return m_entries.at(static_cast<std::size_t>(i)); }

    // Recording steps of ShowPage / ShowPageFile. scroll is the viewer's position now, stored in
    // the entry being left. Returns false when the page equals the current entry (not recorded).
    bool recordContentsPage(int32_t start, int32_t end, const std::string& anchor,
                            int32_t currentEntry, int32_t scroll);
    bool recordPageFile(const std::string& name, const std::string& anchor, int32_t scroll);

    bool canGoBack() const { return m_position > 0; }
    bool canGoForward() const { return m_position < count() - 1; }

    // Stores scroll in the entry being left and moves; returns the entry to show, or nullptr
    // when the move is not possible.
    const HistoryEntry* back(int32_t scroll);
    const HistoryEntry* forward(int32_t scroll);

  private:
    bool prepareRecord(int32_t scroll, bool same);
    std::vector<HistoryEntry> m_entries; // count() valid entries
    int m_position = -1;
};
