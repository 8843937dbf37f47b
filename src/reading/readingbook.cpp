#include "reading/readingbook.h"

#include "platform/paths.h"
#include "reading/pageassembly.h"

ReadStatus ReadingBook::open(const BookPaths& paths, const std::string& workingFolder,
                             bool pelvar) {
    close();
    m_paths = paths;
    m_workingFolder = workingFolder;
    m_pelvar = pelvar;
    if (ReadStatus s = LoadContents(paths.BasePath, m_contents); !s) return s;
    // A store that cannot be read leaves the book without page text.
    if (m_contents.layout == BookLayout::SingleStore &&
        !readFile(paths.PagesPath + paths.IndexFile, m_store))
        m_store.clear();
    return ReadStatus::success();
}

void ReadingBook::close() {
    m_contents = BookContents();
    m_store.clear();
    m_store.shrink_to_fit();
    currentEntry = 0;
    currentPageName.clear();
    history.reset();
}

ResolvedPage ReadingBook::firstPage() const {
    if (auto page = m_contents.resolve(0)) return *page;
    // Nothing to show: an empty range, which gives an empty page.
    ResolvedPage none;
    none.entry = 0;
    none.start = none.end = 0;
    if (m_contents.layout == BookLayout::PageFile) none.start = none.end = -1;
    return none;
}

PageShow ReadingBook::ShowPage(int32_t start, int32_t end, const std::string& anchor, bool record,
                               int32_t scroll, const HighlightInputs& hits,
                               const MarkerColours& colours) {
    PageShow show;
    const bool pageFile = m_contents.layout == BookLayout::PageFile;
    if (pageFile && m_contents.pageName(start).empty()) return show;
    if (record) history.recordContentsPage(start, end, anchor, currentEntry, scroll);
    show.positionAnchor = anchor;
    show.path = assembledPagePath(m_paths.UserPath);

    std::string page;
    if (pageFile) {
        currentPageName = m_contents.pageName(start);
        std::string name;
        const std::string suffix = splitAnchorSuffix(currentPageName, name);
        if (!readFile(pageFilePath(m_paths.PagesPath, name), page)) return show;
        show.loadAnchor = suffix;
    } else {
        const bool link = currentEntry < m_contents.count() - 1;
        page = assembleStorePage(m_store, start, end, link, colours);
    }
    show.writeFailed = !highlight(page, hits, show.path);
    show.load = !show.writeFailed;
    return show;
}

PageShow ReadingBook::ShowPageFile(const std::string& name, const std::string& anchor, bool record,
                                   int32_t scroll, const HighlightInputs& hits) {
    PageShow show;
    if (m_contents.layout != BookLayout::PageFile) return show;
    currentPageName = name;
    if (record) history.recordPageFile(name, anchor, scroll);
    show.positionAnchor = anchor;
    show.path = assembledPagePath(m_paths.UserPath);
    std::string page;
    if (!readFile(pageFilePath(m_paths.PagesPath, name), page)) return show;
    show.writeFailed = !highlight(page, hits, show.path);
    show.load = !show.writeFailed;
    return show;
}

RequestContext ReadingBook::requestContext() const {
    RequestContext c;
    c.layout = m_contents.layout;
    c.pagesPath = m_paths.PagesPath;
    c.workingFolder = m_workingFolder;
    c.currentPageName = currentPageName;
    return c;
}

LinkContext ReadingBook::linkContext() const {
    LinkContext c;
    c.layout = m_contents.layout;
    c.pelvar = m_pelvar;
    c.pagesPath = m_paths.PagesPath;
    c.userPath = m_paths.UserPath;
    c.workingFolder = m_workingFolder;
    c.currentPageName = currentPageName;
    c.currentEntry = currentEntry;
    c.contents = &m_contents;
    return c;
}
