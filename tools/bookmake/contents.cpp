#include "contents.h"

void writeContents(const BookDescription& book, const BookPages& pages, const BookOutput& out) {
    std::string contents;
    for (const ContentsEntry& e : book.contents) {
        contents.append(size_t(e.depth), '\t');
        contents += e.caption + "\r\n";
    }
    out.write("base/contents.txt", contents);
    std::string lines;
    if (book.layout == Layout::SingleStore) {
        for (const std::string& l : pages.offsetLines) lines += l + "\r\n";
        out.write("base/offset1.txt", lines);
        out.write("1.htm", pages.store);
    } else {
        // The reader strips only the line feed from a page name: no carriage returns here.
        for (const std::string& l : pages.pageLines) lines += l + "\n";
        out.write("base/Page.txt", lines);
    }
}
