#include "bookpages.h"

#include "platform/paths.h"
#include "reading/pageassembly.h"

ReadStatus BookPages::open(const std::string& basePath, const std::string& pagesPath,
                           const std::string& store) {
    BookPaths paths;
    paths.BasePath = basePath;
    paths.PagesPath = pagesPath;
    paths.IndexFile = store;
    if (ReadStatus s = m_book.open(paths, std::string(), false); !s) return s;
    m_hasDocuments = pageFileLayout() && m_documents.open(basePath);
    return ReadStatus::success();
}

bool BookPages::title(int32_t document, std::string& title) const {
    title.clear();
    if (pageFileLayout()) {
        DocumentEntry e;
        if (!m_hasDocuments || !m_documents.entry(document, e)) return false;
        title = e.title;
        return true;
    }
    // Document d is contents entry d - 1.
    if (!m_book.contents().validEntry(document - 1)) return false;
    title = m_book.contents().entries[size_t(document - 1)].caption;
    return true;
}

bool BookPages::page(int32_t document, std::string& text) const {
    text.clear();
    if (pageFileLayout()) {
        DocumentEntry e;
        if (!m_hasDocuments || !m_documents.entry(document, e)) return false;
        return readFile(m_book.paths().PagesPath + "out\\" + e.pageName, text);
    }
    // The results window shows entry n = d - 1 from the value of record n to that of record n + 1.
    const BookContents& c = m_book.contents();
    const int n = document - 1;
    if (!c.validEntry(n) || m_book.store().empty()) return false;
    MarkerColours colours;
    colours.handMode = true; // a plain page: no backdrop picture to serve
    text = assembleStorePage(m_book.store(), c.record(n).value, c.record(n + 1).value,
                             n < c.count() - 1, colours);
    return true;
}
