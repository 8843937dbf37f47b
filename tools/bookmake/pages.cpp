#include "pages.h"

#include "error.h"
#include "html.h"
#include "platform/text.h"
#include "platform/words.h"
#include "sourcetext.h"

#include <deque>
#include <map>
#include <set>

namespace {

bool isHtmlName(std::string_view path) {
    const std::string lower = lowerCp1251(path);
    return lower.ends_with(".htm") || lower.ends_with(".html");
}

bool containsNoCase(std::string_view s, std::string_view what) {
    return lowerCp1251(s).find(what) != std::string::npos;
}

// %XX escapes of a link as file name bytes.
std::string percentDecoded(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        auto hex = [](char c) {
            return c >= '0' && c <= '9' ? c - '0'
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
        };
        if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) >= 0 && hex(s[i + 2]) >= 0) {
            out += char(hex(s[i + 1]) * 16 + hex(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

// A book file as seen from a book folder: ("a/b", "a/c/d.gif") -> "../c/d.gif".
std::string relativePath(std::string_view fromFolder, std::string_view to) {
    auto split = [](std::string_view s) {
        std::vector<std::string_view> parts;
        while (!s.empty()) {
            const size_t slash = s.find('/');
            parts.push_back(s.substr(0, slash));
            s = slash == std::string_view::npos ? std::string_view() : s.substr(slash + 1);
        }
        return parts;
    };
    const std::vector<std::string_view> from = split(fromFolder), path = split(to);
    size_t common = 0;
    while (common < from.size() && common + 1 < path.size() && from[common] == path[common]) ++common;
    std::string out;
    for (size_t i = common; i < from.size(); ++i) out += "../";
    for (size_t i = common; i < path.size(); ++i) {
        out += path[i];
        if (i + 1 < path.size()) out += '/';
    }
    return out;
}

// Names the book keeps for its own files in the pages folder.
template <class Line>
void checkNotReserved(const std::string& rel, const std::string& origin, const Line& line) {
    const std::string lower = lowerCp1251(rel);
    for (const char* name : {"1.htm", "book.txt", "ebook.ini"})
        if (lower == name) throw BuildError(origin, line, "the file " + rel + " would replace the book's own " + name);
    for (const char* folder : {"base/", "user/", "fonts/", "out/", "image/"})
        if (lower.starts_with(folder))
            throw BuildError(origin, line,
                             "the file " + rel + " would land in the book's own folder " + folder);
}

// The source line of an offset, worked out when it is asked for.
struct LineOf {
    std::string_view text;
    size_t offset;
    int firstLine;
    operator int() const { return firstLine + lineOf(text, offset) - 1; }
};

class PageBuilder {
public:
    PageBuilder(const BookDescription& book, BookOutput& out, const TaskTargets& tasks)
        : m_book(book), m_out(out), m_tasks(tasks) {
        for (size_t i = 0; i < book.contents.size(); ++i)
            if (!book.contents[i].page.empty()) m_contentsPages.emplace(book.contents[i].page, int(i));
    }

    BookPages run() {
        if (m_book.layout == Layout::SingleStore) {
            singleStore();
            writePages(nullptr);
        } else {
            pageFiles();
        }
        return std::move(m_result);
    }

private:
    struct Segment {
        int entry;
        std::string page;
        size_t from, to; // in the page's body
    };

    struct Loaded {
        std::string text; // converted page
        PageBody body;
        std::vector<HtmlAnchor> anchors;
    };

    const Loaded& load(const std::string& page) {
        auto it = m_loaded.find(page);
        if (it != m_loaded.end()) return it->second;
        Loaded l;
        l.text = fixCharset(readSourceText(nativeSource(m_out.source(), page), page));
        l.body = pageBody(l.text);
        l.anchors = pageAnchors(m_book.layout == Layout::SingleStore ? std::string_view(l.body.text)
                                                                      : std::string_view(l.text));
        return m_loaded.emplace(page, std::move(l)).first->second;
    }

    // ---- single-store layout ----

    void singleStore() {
        const auto& entries = m_book.contents;
        if (entries.front().page.empty())
            throw BuildError(m_book.file, entries.front().line,
                             "the first contents entry is the book's opening page and needs a page");
        std::vector<Segment> segments;
        std::map<std::string, int> firstUse;
        for (size_t i = 0; i < entries.size(); ++i) {
            const ContentsEntry& e = entries[i];
            if (e.page.empty()) continue;
            const Loaded& l = load(e.page);
            if (!segments.empty() && segments.back().page == e.page) {
                // A later part of the page before: the page is cut at the anchor.
                Segment& prev = segments.back();
                const HtmlAnchor* a = findAnchor(l, e.anchor);
                if (e.anchor.empty() || !a || a->offset <= prev.from)
                    throw BuildError(m_book.file, e.line,
                                     "an entry sharing the page of the entry before must name an "
                                     "anchor further down that page");
                const size_t cut = cutBefore(l.body.text, a->offset, prev.from + 1);
                prev.to = cut;
                segments.push_back({int(i), e.page, cut, l.body.text.size()});
                continue;
            }
            if (auto used = firstUse.find(e.page); used != firstUse.end())
                throw BuildError(m_book.file, e.line,
                                 "the page " + e.page + " is already used by the entry on line " +
                                     std::to_string(entries[size_t(used->second)].line) +
                                     "; in the single-store layout a page belongs to one entry or to "
                                     "consecutive entries cut at anchors");
            firstUse.emplace(e.page, int(i));
            if (!e.anchor.empty() && !findAnchor(l, e.anchor))
                warn(m_book.file, e.line, "no anchor \"" + e.anchor + "\" in " + e.page);
            segments.push_back({int(i), e.page, 0, l.body.text.size()});
        }
        for (const Segment& s : segments) {
            const Loaded& l = m_loaded.at(s.page);
            for (const HtmlAnchor& a : l.anchors)
                if (a.offset >= s.from && a.offset < s.to) m_anchorEntry.emplace(s.page + "#" + a.name, s.entry);
            m_anchorEntry.emplace(s.page + "#", s.entry);
        }
        std::vector<int64_t> start(entries.size(), -1);
        std::vector<std::string> texts(entries.size());
        for (const Segment& s : segments) {
            const Loaded& l = m_loaded.at(s.page);
            const std::string_view part = std::string_view(l.body.text).substr(s.from, s.to - s.from);
            const int firstLine = lineOf(l.text, l.body.offset + s.from);
            std::string text = rewriteLinks(part, s.page, s.entry, firstLine);
            if (text.empty())
                warn(m_book.file, entries[size_t(s.entry)].line,
                     "the entry's page is empty: the reader cannot open it");
            start[size_t(s.entry)] = int64_t(m_result.store.size());
            m_result.store += text;
            texts[size_t(s.entry)] = std::move(text);
            if (m_result.store.size() > 0x7FFFFFFF)
                throw BuildError(m_book.file, 0, "the page store would pass 2 GB");
        }
        // Entries without a page are redirect entries. The reader takes a redirect's number as
        // the end of the page before it when that entry has a page, and as the entry to show when
        // the entry before it is a redirect too: write what each position needs.
        const size_t n = entries.size();
        for (size_t i = 0; i < n; ++i) {
            if (start[i] >= 0) {
                m_result.offsetLines.push_back(std::to_string(start[i]));
                continue;
            }
            int64_t value;
            if (start[i - 1] >= 0) {
                value = start[i - 1] + int64_t(texts[i - 1].size());
            } else {
                value = int64_t(n);
                for (size_t k = i + 1; k < n; ++k)
                    if (start[k] >= 0) {
                        value = int64_t(k);
                        break;
                    }
            }
            m_result.offsetLines.push_back("#" + std::to_string(value));
        }
        m_result.offsetLines.push_back(std::to_string(m_result.store.size()));
        for (size_t i = 0; i < n; ++i)
            if (start[i] >= 0)
                // The reader wraps the range in a head that holds "<BODY": counting starts at 0.
                m_result.documents.push_back({int(i) + 1, std::move(texts[i]), 0, entries[i].caption, {}, int(i)});
    }

    // Where to cut a page for an anchor: before the opening tags that directly precede the
    // anchor's tag ("<h3><a name=x>"), so that the heading goes with the later part whole.
    static size_t cutBefore(std::string_view body, size_t at, size_t floor) {
        size_t cut = at;
        for (;;) {
            size_t q = cut;
            while (q > floor && (body[q - 1] == ' ' || body[q - 1] == '\t' || body[q - 1] == '\r' ||
                                 body[q - 1] == '\n'))
                --q;
            if (q <= floor || body[q - 1] != '>') return cut;
            const size_t lt = body.rfind('<', q - 1);
            if (lt == std::string_view::npos || lt < floor) return cut;
            const char c = body[lt + 1];
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return cut; // a closing tag
            if (body.substr(lt, q - lt).find('>') != q - lt - 1) return cut;    // not one tag
            cut = lt;
        }
    }

    static const HtmlAnchor* findAnchor(const Loaded& l, const std::string& name) {
        for (const HtmlAnchor& a : l.anchors)
            if (a.name == name) return &a;
        return nullptr;
    }

    // ---- page-file layout ----

    void pageFiles() {
        std::map<std::string, std::string> written;
        for (const ContentsEntry& e : m_book.contents) {
            std::string line;
            if (!e.page.empty()) {
                line = e.page + (e.anchor.empty() ? "" : "#" + e.anchor);
                if (line.size() > 254)
                    throw BuildError(m_book.file, e.line, "a page name with its anchor is at most 254 bytes");
                if (("tree/" + e.page).size() > 255)
                    throw BuildError(m_book.file, e.line, "a page name is at most 250 bytes");
                queuePage(e.page, "out/tree/" + e.page);
                if (!e.anchor.empty() && !findAnchor(load(e.page), e.anchor))
                    warn(m_book.file, e.line, "no anchor \"" + e.anchor + "\" in " + e.page);
            }
            m_result.pageLines.push_back(line);
        }
        writePages(&written);
        std::set<std::string> documented;
        for (size_t i = 0; i < m_book.contents.size(); ++i) {
            const ContentsEntry& e = m_book.contents[i];
            if (e.page.empty() || !documented.insert(e.page).second) continue;
            Document d;
            d.number = int(m_result.documents.size()) + 1;
            d.text = written.at(e.page);
            d.countFrom = countedTextStart(d.text);
            d.title = e.caption;
            d.name = "tree/" + e.page;
            d.entry = int(i);
            m_result.documents.push_back(std::move(d));
        }
    }

    // ---- pages written as files ----

    // Queues a page for writing to a book path, once per path.
    void queuePage(const std::string& page, const std::string& target) {
        if (m_pageTargets.insert(target).second) m_pageJobs.push_back({page, target});
    }

    // Writes the queued pages, and those their links add, converted like the contents pages.
    // Pages under out\tree\ are the reader's page files; any other page (single-store extra
    // pages, page-file documents) is opened by the system, from where it lies in the book.
    // `written` receives the reader's page files by source page.
    void writePages(std::map<std::string, std::string>* written) {
        while (!m_pageJobs.empty()) {
            const PageJob job = m_pageJobs.front();
            m_pageJobs.pop_front();
            const Loaded& l = load(job.page);
            const bool reader = m_book.layout == Layout::PageFile && job.target.starts_with("out/tree/");
            std::string text = reader ? rewriteLinks(l.text, job.page, -1, 1)
                                      : relativeLinks(l.text, job.page, job.target);
            m_out.write(job.target, text);
            if (reader && written) written->emplace(job.page, std::move(text));
        }
    }

    // Every source file the book takes goes through here: pages are converted, other files
    // copied as they are. False when the source has no such file.
    bool place(const std::string& rel, const std::string& target) {
        if (!isHtmlName(rel)) return m_out.copy(rel, target);
        if (!m_out.sourceHas(rel)) return false;
        queuePage(rel, target);
        return true;
    }

    // Where a file that a page names lands in the book; `linked` for link targets (documents
    // and sound files have folders of their own), not for pictures.
    std::string fileTarget(const std::string& rel, const std::string& page, const LineOf& line, bool linked) {
        const bool doc = !m_book.docs.empty() && rel.starts_with(m_book.docs + "/");
        if (m_book.layout == Layout::PageFile)
            return linked && doc && m_book.pelvar == 0 ? "out/" + rel : "out/tree/" + rel;
        // The reader opens documents from the pages folder, and sound files from its "docs"
        // folder by file name alone.
        std::string target = rel;
        if (linked && lowerCp1251(rel).ends_with(".mp3"))
            target = "docs/" + rel.substr(rel.rfind('/') + 1);
        else if (linked && doc)
            target = "docs/" + rel.substr(m_book.docs.size() + 1);
        if (!target.starts_with("docs/")) checkNotReserved(target, page, line);
        return target;
    }

    // Links and pictures of a page the system opens: the files are placed as for any page, and
    // named relative to the page's own place in the book. Task links, anchors and addresses stay.
    std::string relativeLinks(std::string_view html, const std::string& page, const std::string& target) {
        const std::string folder = folderOf(page);
        const std::string here = folderOf(target);
        return rewriteAttributes(html, [&](const HtmlTag& tag, const HtmlAttribute& a)
                                           -> std::optional<std::string> {
            const bool linked = a.name == "href" && (tag.name == "a" || tag.name == "area" || tag.name == "link");
            const bool picture = (a.name == "src" && (tag.name == "img" || tag.name == "input")) ||
                                 a.name == "background";
            const std::string& v = a.value;
            if ((!linked && !picture) || v.empty() || v[0] == '$' || v[0] == '#' ||
                v.find(':') != std::string::npos || containsNoCase(v, "http") || containsNoCase(v, "mailto"))
                return std::nullopt;
            const LineOf line{html, a.valueStart, 1};
            const size_t hash = linked ? v.find('#') : std::string::npos;
            std::string rel;
            if (!joinSourcePath(folder, percentDecoded(v.substr(0, hash)), rel)) {
                warn(page, line, "the link " + v + " leads outside the source folder");
                return std::nullopt;
            }
            std::string to;
            if (m_contentsPages.count(rel)) {
                // A page of the store has no file of its own.
                if (m_book.layout == Layout::SingleStore) return std::nullopt;
                to = "out/tree/" + rel;
            } else {
                to = fileTarget(rel, page, line, linked);
                if (!place(rel, to)) {
                    if (m_missing.insert(rel).second) warn(page, line, "missing file " + v + " (named once)");
                    return std::nullopt;
                }
            }
            return relativePath(here, to) + (hash == std::string::npos ? "" : v.substr(hash));
        });
    }

    // ---- links and pictures ----

    std::string rewriteLinks(std::string_view html, const std::string& page, int entry, int firstLine) {
        const std::string folder = folderOf(page);
        // Lines are counted only when a message needs one.
        return rewriteAttributes(html, [&](const HtmlTag& tag, const HtmlAttribute& a)
                                           -> std::optional<std::string> {
            const LineOf line{html, a.valueStart, firstLine};
            // A <link> to a page (next, previous, up) names a page, not a file to copy.
            if (a.name == "href" && (tag.name == "a" || tag.name == "area" ||
                                     (tag.name == "link" && isHtmlName(a.value.substr(0, a.value.find('#'))))))
                return link(a.value, page, folder, entry, line);
            // Pictures, backgrounds and style sheets are files beside the pages.
            if ((a.name == "src" && (tag.name == "img" || tag.name == "input")) ||
                a.name == "background" || (a.name == "href" && tag.name == "link"))
                return picture(a.value, page, folder, line);
            return std::nullopt;
        });
    }

    std::optional<std::string> picture(const std::string& src, const std::string& page,
                                       const std::string& folder, const LineOf& line) {
        if (src.empty() || src.find(':') != std::string::npos || src.starts_with("$$$"))
            return std::nullopt;
        std::string rel;
        if (!joinSourcePath(folder, percentDecoded(src), rel)) {
            warn(page, line, "the picture " + src + " lies outside the source folder");
            return std::nullopt;
        }
        if (!place(rel, fileTarget(rel, page, line, false))) {
            if (m_missing.insert(rel).second) warn(page, line, "missing file " + src + " (named once)");
            return std::nullopt;
        }
        // The reader looks pictures up from the pages folder (single store) or from out\tree\.
        return rel;
    }

    std::optional<std::string> link(const std::string& href, const std::string& page,
                                    const std::string& folder, int entry, const LineOf& line) {
        if (href.empty()) return std::nullopt;
        const bool single = m_book.layout == Layout::SingleStore;
        if (href[0] == '$') {
            std::string error;
            std::string target = taskLink(m_tasks, href, error);
            if (target.empty()) throw BuildError(page, line, error);
            return target;
        }
        if (href[0] == '#') {
            if (!single) return std::nullopt;
            auto it = m_anchorEntry.find(page + href);
            if (it == m_anchorEntry.end()) {
                warn(page, line, "no anchor " + href + " in this page");
                return std::nullopt;
            }
            if (it->second == entry) return std::nullopt;
            return std::to_string(it->second + 1) + href; // the anchor lies in another entry's range
        }
        if (href.find(':') != std::string::npos || containsNoCase(href, "http") ||
            containsNoCase(href, "mailto"))
            return std::nullopt; // web and mail addresses go to the shell as written
        const size_t hash = href.find('#');
        const std::string path = percentDecoded(href.substr(0, hash));
        const std::string anchor = hash == std::string::npos ? std::string() : href.substr(hash + 1);
        std::string rel;
        if (!joinSourcePath(folder, path, rel)) {
            warn(page, line, "the link " + href + " leads outside the source folder");
            return std::nullopt;
        }
        if (auto c = m_contentsPages.find(rel); c != m_contentsPages.end()) {
            if (single) {
                auto it = m_anchorEntry.find(rel + "#" + anchor);
                if (it == m_anchorEntry.end()) {
                    warn(page, line, "no anchor #" + anchor + " in " + rel);
                    it = m_anchorEntry.find(rel + "#");
                }
                return std::to_string(it->second + 1) + "#" + anchor;
            }
            if (m_book.pelvar != 0) return std::nullopt; // resolved against the page itself
            return rel + (anchor.empty() ? "" : "#" + anchor);
        }
        const bool doc = !m_book.docs.empty() && rel.starts_with(m_book.docs + "/");
        if (!m_out.sourceHas(rel)) {
            if (m_missing.insert(rel).second) warn(page, line, "missing link target " + href + " (named once)");
            return std::nullopt;
        }
        if (single) {
            const std::string target = fileTarget(rel, page, line, true);
            place(rel, target);
            if (!anchor.empty())
                warn(page, line, "the anchor of " + href + " is dropped: a document opens whole");
            return target;
        }
        if (doc && m_book.pelvar == 0) {
            // Documents lie under out\ beside the tree; the reader opens "..\..\" links there.
            place(rel, fileTarget(rel, page, line, true));
            std::string back = "..\\..\\" + rel;
            for (char& c : back)
                if (c == '/') c = '\\';
            return back;
        }
        place(rel, fileTarget(rel, page, line, true));
        if (m_book.pelvar != 0) return std::nullopt;
        return rel + (anchor.empty() ? "" : "#" + anchor);
    }

    const BookDescription& m_book;
    BookOutput& m_out;
    const TaskTargets& m_tasks;
    std::map<std::string, int> m_contentsPages;
    std::map<std::string, Loaded> m_loaded;
    std::map<std::string, int> m_anchorEntry; // "page#anchor" -> entry
    struct PageJob {
        std::string page;   // source path
        std::string target; // book path
    };
    std::deque<PageJob> m_pageJobs;
    std::set<std::string> m_pageTargets;
    std::set<std::string> m_missing; // reported once each
    BookPages m_result;
};

} // namespace

BookPages buildPages(const BookDescription& book, BookOutput& out, const TaskTargets& tasks) {
    return PageBuilder(book, out, tasks).run();
}
