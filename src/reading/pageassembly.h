// Building the text of a page: single-store pages cut out of the page store and wrapped, page
// files read from "out\\tree\\". Everything Windows-1251.
#pragma once

#include "reading/colourmarkers.h"

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr std::string_view kPageHeadHand = "<HTML><BODY>";
inline constexpr std::string_view kPageHeadScheme =
    "<HTML><BODY background=test.bmp bgproperties=FIXED>";
inline constexpr std::string_view kPageTail = "</BODY></HTML>";
// The continuation link (its caption is Windows-1251 on the page); a click on it gives the
// address "kovrex_next".
std::string continuationLink();
inline constexpr std::string_view kContinuationHref = "kovrex_next";

// A single-store page: head (by colour mode), the store bytes [start, end), the continuation link
// when withContinuation, the tail; colour markers replaced. Offsets are clamped to the store, so
// a range outside it gives an empty page body, never a read past the store.
std::string assembleStorePage(std::string_view store, int32_t start, int32_t end,
                              bool withContinuation, const MarkerColours& colours);

// Splits "name#anchor" at the first "#": name gets the part before, the result is the suffix
// from the "#" on (empty when there is none).
std::string splitAnchorSuffix(std::string_view pageName, std::string& name);

// "%sout\\tree\\%s" with PagesPath and a page name.
std::string pageFilePath(std::string_view pagesPath, std::string_view pageName);

// The folder part of the current page name: cut at its last "/" (at its last "\\" when it has
// no "/"); a name with neither gives an empty folder (the page sits in "out\\tree\\" itself).
std::string pageFolder(std::string_view currentPageName);

// folder + "\\" + rel with every "/" replaced by "\\"; just rel when folder is empty.
std::string relativeToFolder(std::string_view folder, std::string_view rel);

// "%stmp.htm" with UserPath.
std::string assembledPagePath(std::string_view userPath);
