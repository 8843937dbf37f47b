#include "reading/contents.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "reading/linereader.h"

#include <cstring>

namespace {

const EntryRecord kZeroRecord{};
const std::string kNoName;

// Lines as the tree's text loader splits them: CR LF, LF or CR end a line; a final line end
// adds no empty line.
std::vector<std::string_view> treeLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t begin = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.push_back(bytes.substr(begin, i - begin));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        begin = i + 1;
    }
    if (begin < bytes.size()) lines.push_back(bytes.substr(begin));
    return lines;
}

enum class Resolution { Page, Negative, Empty };

} // namespace

const EntryRecord& BookContents::record(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= records.size()) return kZeroRecord;
    return records[static_cast<std::size_t>(i)];
}

const std::string& BookContents::pageName(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= pageNames.size()) return kNoName;
    return pageNames[static_cast<std::size_t>(i)];
}

ResolvedPage BookContents::pageRange(int i) const {
    ResolvedPage page;
    page.entry = i;
    page.start = record(i).value;
    if (layout == BookLayout::PageFile) {
        page.end = pageName(i).empty() ? page.start : page.start + 1;
        return page;
    }
    // A redirect record holds an entry number, not an offset: the page runs to the next record
    // that holds an offset.
    int j = i + 1;
    while (j >= 0 && static_cast<std::size_t>(j) < records.size() && records[j].redirect)
        ++j;
    page.end = record(j).value;
    return page;
}

namespace {

Resolution resolveEntry(const BookContents& c, int i, ResolvedPage& page) {
    if (!c.validEntry(i)) return Resolution::Empty;
    int at = c.record(i).redirect ? i + 1 : i;
    // A chain of redirects is followed; more steps than entries means a cycle.
    for (int steps = 0;; ++steps) {
        if (!c.validEntry(at)) return Resolution::Empty;
        const EntryRecord& r = c.record(at);
        if (r.value < 0) return Resolution::Negative;
        if (!r.redirect) break;
        if (steps > c.count()) return Resolution::Empty;
        at = r.value;
    }
    page = c.pageRange(at);
    if (int64_t(page.end) - int64_t(page.start) < 1) return Resolution::Empty;
    return Resolution::Page;
}

} // namespace

std::optional<ResolvedPage> BookContents::resolve(int i) const {
    ResolvedPage page;
    if (resolveEntry(*this, i, page) != Resolution::Page) return std::nullopt;
    return page;
}

std::optional<ResolvedPage> BookContents::nextPage(int current) const {
    for (int i = current < -1 ? 0 : current + 1; i < count(); ++i) {
        ResolvedPage page;
        switch (resolveEntry(*this, i, page)) {
        case Resolution::Page:
            return page;
        case Resolution::Negative:
            return std::nullopt;
        case Resolution::Empty:
            break;
        }
    }
    return std::nullopt;
}

std::string BookContents::EntryPath(int index) const {
    std::string path;
    if (!validEntry(index)) return path;
    // Collected from the entry up, joined from the top down: linear however deep the tree.
    std::vector<const std::string*> chain;
    for (int at = index; entries[at].parent >= 0; at = entries[at].parent)
        chain.push_back(&entries[at].caption);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty()) path += '/';
        path += **it;
    }
    return path;
}

int BookContents::iconIndex(int index, bool expanded) const {
    if (!validEntry(index) || entries[index].childCount == 0) return 1;
    if (entries[index].depth == 0) return expanded ? 3 : 4;
    return expanded ? 2 : 0;
}

ReadStatus parseContentsTree(std::string_view bytes, std::vector<TreeEntry>& entries) {
    entries.clear();
    const std::vector<std::string_view> lines = treeLines(bytes);
    entries.reserve(lines.size());
    std::vector<int> open; // open[d] = the last entry seen at depth d
    for (std::size_t n = 0; n < lines.size(); ++n) {
        std::string_view line = lines[n];
        std::size_t indent = 0;
        while (indent < line.size() && (line[indent] == '\t' || line[indent] == ' '))
            ++indent;
        TreeEntry e;
        e.caption = std::string(line.substr(indent));
        // The first line is a top-level entry whatever its indentation.
        e.depth = entries.empty() ? 0 : static_cast<int>(indent);
        const int previous = entries.empty() ? 0 : entries.back().depth;
        if (!entries.empty() && e.depth > previous + 1) {
            entries.clear();
            return ReadStatus::failure(w1251("Ошибка в файле contents.txt, строка ") +
                                       std::to_string(n + 1) + w1251(": уровень вложенности ") +
                                       std::to_string(e.depth) + w1251(" больше допустимого ") +
                                       std::to_string(previous + 1) + " (\"" +
                                       e.caption.substr(0, 80) + "\")");
        }
        e.parent = e.depth == 0 ? -1 : open[static_cast<std::size_t>(e.depth - 1)];
        if (e.parent >= 0) ++entries[static_cast<std::size_t>(e.parent)].childCount;
        open.resize(static_cast<std::size_t>(e.depth) + 1);
        open[static_cast<std::size_t>(e.depth)] = static_cast<int>(entries.size());
        entries.push_back(std::move(e));
    }
    return ReadStatus::success();
}

void parseOffsets(std::string_view bytes, int entryCount, BookContents& contents) {
    const std::size_t room = static_cast<std::size_t>(entryCount) + 2;
    contents.layout = BookLayout::SingleStore;
    contents.records.assign(room, EntryRecord{});
    contents.pageNames.clear();
    contents.recordCount = 0;
    for (const std::string& line : readLimitedLines(bytes, room)) {
        EntryRecord& r = contents.records[static_cast<std::size_t>(contents.recordCount++)];
        const bool redirect = !line.empty() && line[0] == '#';
        r.redirect = redirect ? 1 : 0;
        r.value = readDecimal(std::string_view(line).substr(redirect ? 1 : 0));
    }
}

void parsePageNames(std::string_view bytes, int entryCount, BookContents& contents) {
    const std::size_t room = static_cast<std::size_t>(entryCount) + 2;
    contents.layout = BookLayout::PageFile;
    contents.records.assign(room, EntryRecord{});
    contents.pageNames.assign(room, std::string());
    contents.recordCount = 0;
    for (std::string& line : readLimitedLines(bytes, room)) {
        const std::size_t k = static_cast<std::size_t>(contents.recordCount++);
        contents.records[k].value = static_cast<int32_t>(k);
        // The name is a C string: it ends at a zero byte, and its line feed goes.
        line.resize(std::strlen(line.c_str()));
        if (!line.empty() && line.back() == '\n') line.pop_back();
        contents.pageNames[k] = std::move(line);
    }
}

ReadStatus LoadContents(const std::string& basePath1251, BookContents& contents) {
    contents = BookContents();
    const std::string treePath = basePath1251 + "contents.txt";
    std::string bytes;
    if (!readFile(treePath, bytes))
        return ReadStatus::failure(w1251("Не удается открыть файл ") + "\"" + treePath + "\"");
    if (ReadStatus s = parseContentsTree(bytes, contents.entries); !s) return s;

    const int n = contents.count();
    const std::string offsets = basePath1251 + "offset1.txt";
    std::string table;
    if (fileExists(offsets)) {
        readFile(offsets, table); // unreadable: no entry has a page
        parseOffsets(table, n, contents);
    } else {
        readFile(basePath1251 + "Page.txt", table); // missing: no entry has a page
        parsePageNames(table, n, contents);
    }
    return ReadStatus::success();
}
