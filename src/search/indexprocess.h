// The cluster search of a query: walks the posting lists of all terms in parallel in (document,
// position) order and collects, for every occurrence whose proximity window holds the largest
// number of terms seen so far ("best"), the occurrence's document number. The collected numbers
// ascend, so they are kept as runs: a document with the number of its clusters.
#pragma once

#include "search/indexrange.h"
#include "search/postings.h"
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
    void setList(int j, std::string_view list);

    void run();

    int termCount() const { return m_n; }
    int best() const { return m_best; }
    // The clusters found, as runs of one document; resultCount() clusters in all.
    const std::vector<DocumentGroup>& results() const { return m_results; }
    size_t resultCount() const { return m_resultCount; }
    // Terms whose postings block in the index was damaged (they count as not in the index).
    int damagedTerms() const { return m_damaged; }

private:
    struct Cursor {
        const char* pos = nullptr;    // current position inside the current record
        const char* recEnd = nullptr; // end of the current record
        const char* end = nullptr;    // end of the list
        uint32_t doc = 0;             // current document; kept when the term is done
    };
    // A term's (document, position) as one number, so the term order is a comparison of keys;
    // kDone for a done term, which matches no document.
    static constexpr uint64_t kDone = ~uint64_t(0);
    static uint64_t keyOf(uint32_t doc, uint16_t pos) { return (uint64_t(doc) << 16) | pos; }

    bool runComplete();
    bool finishComplete();
    void countFullClusters(const char* const* rec, uint32_t doc, uint32_t window);
    void walk();
    void start(int j);
    void nextDocument(int j);
    void nextPosition(int j);
    void enterRecord(int j, const char* rec);
    int smallest() const;
    int othersInDocument(int a) const;
    int othersInWindow(int a) const;

    int m_n;
    int m_best;
    int m_window;
    int m_damaged = 0;
    std::vector<DocumentGroup> m_results;
    size_t m_resultCount = 0;
    std::array<PostingList, kMaxQueryTerms> m_lists;
    std::array<Cursor, kMaxQueryTerms> m_cur;
    std::array<uint64_t, kMaxQueryTerms> m_key;
};
