// What to serve when the viewer asks for a picture or a frame source. Pure: the caller reads the
// file and shows the message.
#pragma once

#include "reading/contents.h"

#include <string>

struct RequestContext {
    BookLayout layout = BookLayout::SingleStore;
    std::string pagesPath;       // PagesPath, Windows-1251, ending with a backslash
    std::string workingFolder;   // the working folder, Windows-1251, without a trailing backslash
    std::string currentPageName; // page-file layout: the page name shown last
};

struct ImageAnswer {
    enum Kind {
        None,     // no stream: the viewer draws its placeholder
        Backdrop, // "test.bmp": the view panel's backdrop bitmap
        File,     // the bytes of `path` (reader path, Windows-1251)
        Missing,  // no stream, and a plain message box whose text is `message`
    };
    Kind kind = None;
    std::string path;
    std::string message;
};

// The image request for source s as the page gives it.
ImageAnswer mapImageRequest(const std::string& s, const RequestContext& context);

// The stream request for a frame source s: File (open it), Missing (message s) or None (the
// viewer reads s itself: single-store layout, or s exists as given).
ImageAnswer mapStreamRequest(const std::string& s, const RequestContext& context);
