#include "dump.h"

#include "platform/text.h"
#include "sourcetext.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Bounds-checked little-endian reads.
struct Reader {
    std::string_view bytes;
    size_t pos = 0;
    bool ok = true;

    uint32_t u32() {
        if (pos + 4 > bytes.size()) return fail();
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(bytes[pos + size_t(i)]);
        pos += 4;
        return v;
    }
    uint16_t u16() {
        if (pos + 2 > bytes.size()) return uint16_t(fail());
        const uint16_t v = uint16_t(static_cast<unsigned char>(bytes[pos]) |
                                    (static_cast<unsigned char>(bytes[pos + 1]) << 8));
        pos += 2;
        return v;
    }
    std::string text(int64_t n) {
        if (n < 0 || pos + uint64_t(n) > bytes.size()) {
            fail();
            return {};
        }
        std::string s(bytes.substr(pos, size_t(n)));
        pos += size_t(n);
        return s;
    }
    uint32_t fail() {
        ok = false;
        pos = bytes.size();
        return 0;
    }
};

std::string utf8(std::string_view cp1251) { return cp1251ToUtf8(cp1251); }

bool load(const fs::path& p, std::string& bytes, std::ostream& out) {
    if (readBytes(p, bytes)) return true;
    out << "cannot read " << p.string() << "\n";
    return false;
}

// Decodes one postings block; false when it is damaged.
bool dumpPostings(std::string_view block, std::ostream& out) {
    Reader r{block};
    while (r.ok && r.pos < block.size()) {
        const uint32_t word = r.u32();
        uint32_t n = word >> 24;
        const bool isLong = n == 0xFF;
        if (isLong) n = r.u16();
        if (!r.ok) break;
        out << "  document " << (word & 0xFFFFFF) << (isLong ? " (long)" : "") << ": " << n
            << " positions:";
        for (uint32_t i = 0; i < n && r.ok; ++i) out << " " << r.u16();
        out << "\n";
    }
    if (!r.ok) out << "  damaged postings block\n";
    return r.ok;
}

bool dumpIndex(const fs::path& dir, const int32_t* lemma, std::ostream& out) {
    std::string dat, ind;
    if (!load(dir / "index.dat", dat, out) || !load(dir / "index.ind", ind, out)) return false;
    const size_t n = dat.size() / 12;
    out << "index.dat: " << n << " terms\n";
    Reader r{dat};
    bool ok = true;
    for (size_t i = 0; i < n; ++i) {
        const int32_t key = int32_t(r.u32());
        const uint32_t offset = r.u32(), length = r.u32();
        if (lemma && key != *lemma) continue;
        out << "lemma " << key << " offset " << offset << " length " << length << "\n";
        if (uint64_t(offset) + length > ind.size()) {
            out << "  block past the end of index.ind\n";
            ok = false;
        } else if (lemma) {
            ok = dumpPostings(std::string_view(ind).substr(offset, length), out) && ok;
        }
    }
    return ok;
}

bool dumpFilesTable(const fs::path& dir, std::ostream& out) {
    std::string dat, ind;
    if (!load(dir / "files.dat", dat, out) || !load(dir / "files.ind", ind, out)) return false;
    Reader r{dat};
    bool ok = true;
    for (size_t d = 0; (d + 1) * 6 <= dat.size(); ++d) {
        r.pos = d * 6;
        const uint32_t offset = r.u32();
        const unsigned nameLen = static_cast<unsigned char>(dat[d * 6 + 4]);
        const unsigned titleLen = static_cast<unsigned char>(dat[d * 6 + 5]);
        if (d == 0) continue;
        if (uint64_t(offset) + nameLen + titleLen > ind.size()) {
            out << "document " << d << ": strings past the end of files.ind\n";
            ok = false;
            continue;
        }
        out << "document " << d << ": " << utf8(ind.substr(offset, nameLen)) << " | "
            << utf8(ind.substr(offset + nameLen, titleLen)) << "\n";
    }
    return ok;
}

bool dumpGloss(const fs::path& dat, const fs::path& ind, std::ostream& out) {
    std::string d, i;
    if (!load(dat, d, out) || !load(ind, i, out)) return false;
    Reader r{d};
    const uint32_t count = r.u32();
    out << dat.filename().string() << ": " << count << " words\n";
    const size_t entries = i.size() / 4;
    bool ok = r.ok;
    while (r.ok && r.pos < d.size()) {
        const size_t dollar = d.find('$', r.pos);
        if (dollar == std::string::npos) break;
        const std::string word = d.substr(r.pos, dollar - r.pos);
        r.pos = dollar + 1;
        const uint32_t n = r.u32(), first = r.u32();
        if (!r.ok) break;
        out << utf8(word) << ": " << n << " documents:";
        if (uint64_t(first) + n > entries) {
            out << " entries past the end of the index file\n";
            ok = false;
            continue;
        }
        for (uint32_t k = 0; k < n; ++k) {
            Reader e{i, size_t(first + k) * 4};
            out << " " << (e.u32() + 1);
        }
        out << "\n";
    }
    if (!r.ok) out << "damaged record\n";
    return ok && r.ok;
}

// The task links of the book's pages: offset -> link kind.
std::map<uint32_t, int> taskLinks(const fs::path& book) {
    std::map<uint32_t, int> links;
    auto scan = [&](const fs::path& page) {
        std::string s;
        if (!readBytes(page, s)) return;
        for (size_t i = s.find("\"$"); i != std::string::npos; i = s.find("\"$", i + 1)) {
            const std::string_view rest = std::string_view(s).substr(i + 2);
            const int kind = readDecimal(rest);
            const size_t comma = rest.find(',');
            if (comma == std::string_view::npos || kind < 1 || kind > 6) continue;
            const int offset = readDecimal(rest.substr(comma + 1));
            if (offset >= 0) links.emplace(uint32_t(offset), kind);
        }
    };
    scan(book / "1.htm");
    std::error_code ec;
    if (fs::is_directory(book / "out", ec))
        for (const auto& e : fs::recursive_directory_iterator(book / "out", ec))
            if (e.is_regular_file()) scan(e.path());
    return links;
}

void dumpTaskBody(Reader& r, bool choice, std::ostream& out) {
    const std::string question = r.text(int32_t(r.u32()));
    out << "    question: " << utf8(question) << "\n";
    if (choice) {
        const int32_t right = int32_t(r.u32()), options = int32_t(r.u32());
        out << "    right option " << right << " of " << options << "\n";
    } else {
        const std::string answer = r.text(int32_t(r.u32()));
        out << "    answer: " << utf8(answer) << "\n";
    }
}

bool dumpTests(const fs::path& file, std::ostream& out) {
    std::string bytes;
    if (!load(file, bytes, out)) return false;
    const std::map<uint32_t, int> links = taskLinks(file.parent_path().parent_path());
    out << "test.dat: " << bytes.size() << " bytes, " << links.size() << " records linked from pages\n";
    bool ok = true;
    for (const auto& [offset, kind] : links) {
        Reader r{bytes, offset};
        if (offset >= bytes.size()) r.fail();
        if (kind <= 4) {
            out << "offset " << offset << ": " << (kind <= 2 ? "choice" : "answer") << " record\n";
            dumpTaskBody(r, kind <= 2, out);
        } else {
            const uint32_t size = r.u32();
            out << "offset " << offset << ": exam record, task area " << size << " bytes\n";
            Reader area{std::string_view(bytes).substr(0, std::min<size_t>(bytes.size(), r.pos + size)), r.pos};
            if (uint64_t(r.pos) + size > bytes.size()) area.fail();
            const size_t start = area.pos;
            while (area.ok && area.pos + 10 < start + size) {
                const int k = static_cast<signed char>(bytes[area.pos++]);
                out << "  task " << (k == 1 ? "A" : k == 2 ? "B" : "C") << "\n";
                dumpTaskBody(area, k == 1, out);
            }
            r.ok = area.ok;
        }
        if (!r.ok) {
            out << "  damaged record\n";
            ok = false;
        }
    }
    return ok;
}

bool dumpOffsets(const fs::path& file, std::ostream& out) {
    std::string offsets, contents, store;
    if (!load(file, offsets, out) || !load(file.parent_path() / "contents.txt", contents, out)) return false;
    readBytes(file.parent_path().parent_path() / "1.htm", store);
    auto lines = [](const std::string& s) {
        std::vector<std::string> v;
        size_t i = 0;
        while (i < s.size()) {
            size_t e = s.find('\n', i);
            if (e == std::string::npos) e = s.size();
            std::string l = s.substr(i, e - i);
            if (!l.empty() && l.back() == '\r') l.pop_back();
            v.push_back(l);
            i = e + 1;
        }
        return v;
    };
    const std::vector<std::string> values = lines(offsets), captions = lines(contents);
    for (size_t i = 0; i < captions.size(); ++i) {
        out << "entry " << i << " " << utf8(captions[i]) << ": ";
        if (i >= values.size()) {
            out << "no line\n";
            continue;
        }
        if (!values[i].empty() && values[i][0] == '#') {
            out << "redirect " << readDecimal(values[i].substr(1)) << "\n";
            continue;
        }
        const int start = readDecimal(values[i]);
        const int end = i + 1 < values.size() ? readDecimal(values[i + 1].substr(values[i + 1][0] == '#')) : 0;
        out << "[" << start << ", " << end << ")";
        if (start >= 0 && end > start && size_t(end) <= store.size()) {
            std::string head = store.substr(size_t(start), std::min(60, end - start));
            for (char& c : head)
                if (c == '\r' || c == '\n') c = ' ';
            out << " " << utf8(head);
        }
        out << "\n";
    }
    return true;
}

} // namespace

bool dumpFile(const std::string& path, const int32_t* lemma, std::ostream& out) {
    const fs::path p(path);
    const std::string name = lowerCp1251(p.filename().string());
    const fs::path dir = p.parent_path().empty() ? fs::path(".") : p.parent_path();
    if (name == "index.dat" || name == "index.ind") return dumpIndex(dir, lemma, out);
    if (name == "files.dat" || name == "files.ind") return dumpFilesTable(dir, out);
    if (name == "gloss.dat" || name == "gloss.ind") return dumpGloss(dir / "gloss.dat", dir / "gloss.ind", out);
    if (name == "allgloss.dat" || name == "allgloss.ind")
        return dumpGloss(dir / "allgloss.dat", dir / "allgloss.ind", out);
    if (name == "test.dat") return dumpTests(p, out);
    if (name == "offset1.txt") return dumpOffsets(p, out);
    out << "unknown book file: " << path << "\n";
    return false;
}
