// "book.txt" (the plain text of the book for the comfortable-reading program) and "tok.txt"
// (one position token per contents entry: the byte offset in book.txt where the entry's
// caption line starts).
#pragma once

#include "description.h"
#include "pages.h"

#include <string>

struct BookText {
    std::string text;   // book.txt
    std::string tokens; // tok.txt
};

BookText buildBookText(const BookDescription& book, const std::vector<Document>& documents);
