#include "reading/links.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "reading/pageassembly.h"

#include <algorithm>

namespace {

bool contains(const std::string& s, std::string_view part) {
    return s.find(part) != std::string::npos;
}

std::string slashesToBackslashes(std::string s) {
    std::replace(s.begin(), s.end(), '/', '\\');
    return s;
}

std::string folderOf(const std::string& path) {
    const std::size_t cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string replaceAll(std::string s, std::string_view what, std::string_view with) {
    for (std::size_t at = s.find(what); at != std::string::npos;
         at = s.find(what, at + with.size()))
        s.replace(at, what.size(), with);
    return s;
}

} // namespace

TaskLink parseTaskLink(const std::string& address) {
    TaskLink t;
    if (address.empty() || address[0] != '$') return t;
    const std::string_view a(address);
    const std::size_t comma = a.find(',');
    if (comma == std::string_view::npos) return t;
    t.valid = true;
    t.k = readDecimal(a.substr(1));
    t.n = readDecimal(a.substr(comma + 1));
    const std::size_t second = a.find(',', comma + 1);
    t.m = second == std::string_view::npos ? 1 : readDecimal(a.substr(second + 1));
    return t;
}

LinkAction classifyLink(const std::string& a, const LinkContext& context) {
    LinkAction act;
    const bool singleStore = context.layout == BookLayout::SingleStore;

    if (a == "kovrex_next") {
        act.kind = LinkKind::Continuation;
        const auto next =
            context.contents ? context.contents->nextPage(context.currentEntry) : std::nullopt;
        if (next) act.page = *next;
        act.doNothing = !next;
        return act;
    }
    if (!a.empty() && a[0] == '$') {
        act.kind = LinkKind::Task;
        act.task = parseTaskLink(a);
        act.doNothing = !act.task.valid || act.task.k < 1 || act.task.k > 6;
        return act;
    }
    if (!a.empty() && a[0] == '#') {
        act.kind = LinkKind::Anchor;
        act.anchor = a.substr(1);
        return act;
    }
    if (contains(a, "http") || contains(a, "HTTP") || contains(a, "mailto") ||
        contains(a, "MAILTO")) {
        act.kind = LinkKind::Web;
        act.target = a;
        act.workFolder = context.userPath;
        return act;
    }
    if (contains(a, ".avi")) {
        act.kind = LinkKind::Video;
        act.target = context.workingFolder + "\\" + a;
        act.workFolder = context.userPath;
        act.targetReadable = isReadable(act.target);
        if (!act.targetReadable) act.message = w1251("Не могу открыть файл ") + act.target;
        return act;
    }
    if (singleStore) {
        const std::size_t hash = a.find('#');
        if (hash != std::string::npos) {
            act.kind = LinkKind::NumberedEntry;
            act.anchor = a.substr(hash + 1);
            const int n = readDecimal(a);
            // N counts entries from 1; the page is the one of entry N - 1.
            const int count = context.contents ? context.contents->count() : 0;
            const auto page =
                n >= 1 && n <= count ? context.contents->resolve(n - 1) : std::nullopt;
            if (page) act.page = *page;
            act.doNothing = !page;
            return act;
        }
        act.kind = LinkKind::ShellDocument;
        const std::string upper = upperCp1251(a);
        if (contains(upper, ".MP3")) {
            const std::string name = slashesToBackslashes(upper);
            act.target = context.pagesPath + "\\docs\\" + name.substr(name.rfind('\\') + 1);
        } else {
            act.target = context.pagesPath + slashesToBackslashes(a);
        }
        act.workFolder = folderOf(act.target);
        return act;
    }
    if (context.pelvar) {
        act.kind = LinkKind::RelativePage;
        std::string name = relativeToFolder(pageFolder(context.currentPageName), a);
        const std::size_t hash = name.find('#');
        if (hash != std::string::npos) {
            act.anchor = name.substr(hash);
            name.resize(hash);
        }
        act.target = replaceAll(std::move(name), "%20", " ");
        return act;
    }
    if (a.rfind("..\\..\\", 0) == 0) {
        act.kind = LinkKind::OutsideFile;
        act.target = context.pagesPath + "out\\tree\\" + slashesToBackslashes(a.substr(3));
        act.workFolder = context.userPath;
        return act;
    }
    // A page file, with its anchor split off: the file name itself never holds a "#".
    act.kind = LinkKind::PageFile;
    const std::size_t hash = a.find('#');
    act.target = a.substr(0, hash);
    if (hash != std::string::npos) act.anchor = a.substr(hash);
    return act;
}
