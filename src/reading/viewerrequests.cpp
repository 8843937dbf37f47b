#include "reading/viewerrequests.h"

#include "platform/paths.h"
#include "reading/pageassembly.h"

#include <algorithm>

namespace {

ImageAnswer file(std::string path) {
    ImageAnswer a;
    a.kind = ImageAnswer::File;
    a.path = std::move(path);
    return a;
}

// A name the page gives, looked up in the folder of the page on screen (page-file layout).
ImageAnswer besideCurrentPage(const std::string& s, const RequestContext& context) {
    const std::string path =
        pageFilePath(context.pagesPath, relativeToFolder(pageFolder(context.currentPageName), s));
    if (isReadable(path)) return file(path);
    ImageAnswer a;
    a.kind = ImageAnswer::Missing;
    a.message = s;
    return a;
}

} // namespace

ImageAnswer mapImageRequest(const std::string& s, const RequestContext& context) {
    if (s == "test.bmp") return ImageAnswer{ImageAnswer::Backdrop, {}, {}};
    if (s == "kovrex_left.gif" || s == "kovrex_right.gif")
        return file(context.workingFolder + "\\" + s);
    if (s.empty()) return {};

    std::string rel = s;
    std::replace(rel.begin(), rel.end(), '/', '\\');
    const std::string path = context.layout == BookLayout::PageFile
                                 ? pageFilePath(context.pagesPath, rel)
                                 : context.pagesPath + rel;
    if (isReadable(path)) return file(path);
    if (context.layout != BookLayout::PageFile) return {};
    return besideCurrentPage(s, context);
}

ImageAnswer mapStreamRequest(const std::string& s, const RequestContext& context) {
    if (context.layout != BookLayout::PageFile || s.empty()) return {};
    return besideCurrentPage(s, context);
}
