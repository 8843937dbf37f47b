// The reading state of the open book and the window-free halves of ShowPage and ShowPageFile:
// the contents, the page store, the current entry and page name, the history. The main window
// keeps one and carries out the returned PageShow with its viewer.
#pragma once

#include "reading/colourmarkers.h"
#include "reading/contents.h"
#include "reading/history.h"
#include "reading/links.h"
#include "reading/status.h"
#include "reading/viewerrequests.h"
#include "search/highlight.h"

#include <cstdint>
#include <string>

// The four book paths of the registry key, Windows-1251; folders end with a backslash.
struct BookPaths {
    std::string BasePath;
    std::string IndexFile;
    std::string PagesPath;
    std::string UserPath;
};

// What the viewer must do after ShowPage / ShowPageFile.
struct PageShow {
    bool load = false;          // load `path` (the assembled page) at `loadAnchor`
    std::string path;           // "%stmp.htm" with UserPath
    std::string loadAnchor;     // page-file layout: the anchor suffix of the page name, "#x"
    std::string positionAnchor; // then position at this anchor (when not empty)
    bool writeFailed = false;   // the assembled page could not be written
};

class ReadingBook {
  public:
    // OpenBook's reading steps: LoadContents(BasePath), then the page store (single-store
    // layout). A contents failure leaves the book empty and returns the message; a page store
    // that cannot be read leaves the store empty (the book has no page text) and is not a failure.
    ReadStatus open(const BookPaths& paths, const std::string& workingFolder, bool pelvar);
    void close();

    const BookPaths& paths() const { return m_paths; }
    const BookContents& contents() const { return m_contents; }
    BookLayout layout() const { return m_contents.layout; }
    const std::string& store() const { return m_store; }
    bool pelvar() const { return m_pelvar; }

    int32_t currentEntry = 0;
    std::string currentPageName; // page-file layout: the page name shown last
    ReadingHistory history;

    // ShowPage(start, end, anchor, record): scroll is the viewer's scroll position now (stored
    // in the history entry being left). Writes "tmp.htm" through the highlighter.
    PageShow ShowPage(int32_t start, int32_t end, const std::string& anchor, bool record,
                      int32_t scroll, const HighlightInputs& hits, const MarkerColours& colours);
    // ShowPageFile(name, anchor, record): does nothing in the single-store layout.
    PageShow ShowPageFile(const std::string& name, const std::string& anchor, bool record,
                          int32_t scroll, const HighlightInputs& hits);

    // The first page of a freshly opened book: entry 0 resolved like an opened entry (its
    // redirects followed); make `entry` the current entry. An entry 0 without a page gives an
    // empty range (an empty page in the single-store layout, nothing in the page-file one).
    ResolvedPage firstPage() const;

    RequestContext requestContext() const;
    LinkContext linkContext() const;

  private:
    BookPaths m_paths;
    std::string m_workingFolder;
    bool m_pelvar = false;
    BookContents m_contents;
    std::string m_store;
};
