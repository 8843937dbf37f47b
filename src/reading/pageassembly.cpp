#include "reading/pageassembly.h"

#include "platform/text.h"

#include <algorithm>

std::string continuationLink() {
    return "<br><b><p align=\"right\"><a href=\"kovrex_next\">" + w1251("далее >>") +
           "</a></p></b>";
}

std::string assembleStorePage(std::string_view store, int32_t start, int32_t end,
                              bool withContinuation, const MarkerColours& colours) {
    // Offsets come from "offset1.txt": keep them inside the store.
    const int64_t size = static_cast<int64_t>(store.size());
    const int64_t from = std::clamp<int64_t>(start, 0, size);
    const int64_t to = std::clamp<int64_t>(end, from, size);
    std::string page;
    const std::string_view head = colours.handMode ? kPageHeadHand : kPageHeadScheme;
    const std::string link = withContinuation ? continuationLink() : std::string();
    page.reserve(head.size() + static_cast<std::size_t>(to - from) + link.size() +
                 kPageTail.size());
    page.append(head);
    page.append(store.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
    page.append(link);
    page.append(kPageTail);
    return substituteColourMarkers(page, colours);
}

std::string splitAnchorSuffix(std::string_view pageName, std::string& name) {
    const std::size_t hash = pageName.find('#');
    if (hash == std::string_view::npos) {
        name = std::string(pageName);
        return {};
    }
    name = std::string(pageName.substr(0, hash));
    return std::string(pageName.substr(hash));
}

std::string pageFilePath(std::string_view pagesPath, std::string_view pageName) {
    std::string path(pagesPath);
    path += "out\\tree\\";
    path += pageName;
    return path;
}

std::string pageFolder(std::string_view currentPageName) {
    std::size_t cut = currentPageName.rfind('/');
    if (cut == std::string_view::npos) cut = currentPageName.rfind('\\');
    if (cut == std::string_view::npos) return {};
    return std::string(currentPageName.substr(0, cut));
}

std::string relativeToFolder(std::string_view folder, std::string_view rel) {
    std::string path(folder);
    if (!path.empty()) path += '\\';
    path += rel;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string assembledPagePath(std::string_view userPath) {
    return std::string(userPath) + "tmp.htm";
}
