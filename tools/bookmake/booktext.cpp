#include "booktext.h"

#include "html.h"

#include <map>

BookText buildBookText(const BookDescription& book, const std::vector<Document>& documents) {
    std::map<int, const Document*> byEntry;
    for (const Document& d : documents) byEntry.emplace(d.entry, &d);
    BookText b;
    for (size_t i = 0; i < book.contents.size(); ++i) {
        // The reader strips only the line feed from a token: no carriage returns in tok.txt.
        if (!b.text.empty()) b.text += "\r\n";
        b.tokens += std::to_string(b.text.size()) + "\n";
        b.text += book.contents[i].caption + "\r\n";
        if (auto it = byEntry.find(int(i)); it != byEntry.end()) {
            std::string page = plainText(it->second->text);
            // A page that starts with its caption as a heading does not repeat it.
            const std::string first = book.contents[i].caption + "\r\n";
            if (page.compare(0, first.size(), first) == 0) page.erase(0, first.size());
            b.text += page;
        }
    }
    return b;
}
