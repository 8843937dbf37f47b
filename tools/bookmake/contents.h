// The contents files: "contents.txt" (one line per entry, a tab per level), and "offset1.txt"
// with the page store "1.htm" (single-store layout) or "Page.txt" (page-file layout).
#pragma once

#include "description.h"
#include "output.h"
#include "pages.h"

void writeContents(const BookDescription& book, const BookPages& pages, const BookOutput& out);
