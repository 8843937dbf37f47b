// What bookquery needs of an installed book besides its index: the title of a document and the
// page text the reader would show for it when it is opened from the search results.
#pragma once

#include "reading/readingbook.h"
#include "search/doctable.h"

#include <cstdint>
#include <string>

class BookPages {
public:
    // basePath, pagesPath: reader paths ending with a separator; store: the page store's name.
    ReadStatus open(const std::string& basePath, const std::string& pagesPath, const std::string& store);

    bool pageFileLayout() const { return m_book.layout() == BookLayout::PageFile; }
    // The title on the results page: the contents entry's caption (single-store layout) or the
    // document table's title (page-file layout). False when the document is not in the book.
    bool title(int32_t document, std::string& title) const;
    // The page as the reader shows it when the document is opened from the results, before
    // highlighting. False when the document has no readable page.
    bool page(int32_t document, std::string& text) const;

private:
    ReadingBook m_book;
    DocumentTable m_documents;
    bool m_hasDocuments = false;
};
