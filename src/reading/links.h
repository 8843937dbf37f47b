// What a clicked address means. The viewer never follows a link itself; classifyLink turns the
// raw address into an action the main window carries out.
#pragma once

#include "reading/contents.h"

#include <cstdint>
#include <string>

enum class LinkKind {
    Continuation,  // "kovrex_next": the next-page walk
    Task,          // "$k,n[,m]": exercise, help, exam or exam report
    Anchor,        // "#name": position in the page on screen, no history entry
    Web,           // contains http/HTTP/mailto/MAILTO: shell "open"
    Video,         // contains ".avi": shell "open" of a file in the working folder
    NumberedEntry, // single-store "N#anchor": the page of entry N - 1
    ShellDocument, // single-store, otherwise: a document under PagesPath opened by the shell
    RelativePage,  // page-file, Pelvar set: a page file relative to the current page
    OutsideFile,   // page-file, Pelvar clear, "..\\..\\...": a file opened by the shell
    PageFile,      // page-file, Pelvar clear, otherwise: a page file under "out\\tree\\"
};

// A task link "$k,n[,m]". m is 1 when the second comma is missing. valid is false when the
// first comma is missing (the link then does nothing).
struct TaskLink {
    bool valid = false;
    int k = 0;
    int n = 0;
    int m = 1;
};

struct LinkContext {
    BookLayout layout = BookLayout::SingleStore;
    bool pelvar = false;
    std::string pagesPath;       // PagesPath, ending with a backslash
    std::string userPath;        // UserPath, ending with a backslash
    std::string workingFolder;   // without a trailing backslash
    std::string currentPageName; // page-file layout
    int currentEntry = 0;
    const BookContents* contents = nullptr;
};

// Everything the main window needs to carry the link out; which fields are set depends on kind.
struct LinkAction {
    LinkKind kind = LinkKind::PageFile;
    bool doNothing = false;     // e.g. a numbered link out of range, no next page, bad task link
    TaskLink task;              // Task
    std::string anchor;         // Anchor: the name after "#"; NumberedEntry: the text after "#";
                                // RelativePage, PageFile: the part from "#" on (as
                                // ShowPageFile takes it)
    std::string target;         // Web: the address; Video, ShellDocument, OutsideFile: the path;
                                // RelativePage, PageFile: the page name
    std::string workFolder;     // shell actions: the working folder to use
    bool targetReadable = true; // Video: false -> show message (caption "Ошибка", stop icon)
    std::string message;        // Video: "Не могу открыть файл %s" with the path
    ResolvedPage page;          // Continuation, NumberedEntry: the page and the entry it belongs to
};

TaskLink parseTaskLink(const std::string& address);

// Classifies the address in the fixed order of kinds and fills the action. Touches no file but
// the readability test of a video.
LinkAction classifyLink(const std::string& address, const LinkContext& context);
