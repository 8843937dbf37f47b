// The cluster search of a query: walks the posting lists of all terms in parallel in (document,
// position) order and collects, for every occurrence whose proximity window holds the largest
// number of terms seen so far ("best"), the occurrence's document number.
#pragma once

#include "search/proximity.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class IndexProcess {
public:
    // What load reports.
    enum LoadError { kLoaded = 0, kIndexUnusable = 2, kReaderFailed = 3 };

    // n terms; only the first 16 of a longer query are kept (termCount() tells).
    explicit IndexProcess(int n);

    // Loads the lists of terms[0..termCount()) from the index at indexBase (BasePath + "index").
    int load(const int32_t* terms, std::string_view indexBase);
    // Gives term j a normalised list made elsewhere; a malformed list is taken as empty.
    void setList(int j, std::string list);

    void run();

    int termCount() const { return m_n; }
    int best() const { return m_best; }
    const std::vector<int32_t>& results() const { return m_results; }
    // Terms whose postings block in the index was damaged (they count as not in the index).
    int damagedTerms() const { return m_damaged; }

private:
    struct Cursor {
        const char* rec = nullptr;    // current record
        const char* pos = nullptr;    // current position inside it
        const char* recEnd = nullptr; // end of the current record
        const char* end = nullptr;    // end of the list
        uint32_t doc = 0;
        uint32_t p = 0;
        bool done = true;
    };

    void start(int j);
    void nextDocument(int j);
    void nextPosition(int j);
    int smallest() const;
    int othersInDocument(int a) const;
    int othersInWindow(int a) const;
    bool allDone() const;

    int m_n;
    int m_best;
    int m_window;
    int m_damaged = 0;
    std::vector<int32_t> m_results;
    std::array<std::string, kMaxQueryTerms> m_lists;
    std::array<Cursor, kMaxQueryTerms> m_cur;
};
