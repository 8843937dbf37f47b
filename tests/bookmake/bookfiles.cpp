#include "bookfiles.h"

#include "platform/text.h"
#include "support/testenv.h"

#include <QProcess>
#include <cstring>
#include <fstream>
#include <sstream>

struct BookmakeRun::Process {
    QProcess process;
};

BookmakeRun::BookmakeRun(const std::vector<std::string>& args) : m_process(new Process) {
    QStringList list;
    for (const std::string& a : args) list << QString::fromStdString(a);
    m_process->process.start(QString::fromStdString(programPath("bookmake")), list);
}

BookmakeRun::~BookmakeRun() {
    if (!m_done) wait();
    delete m_process;
}

const RunResult& BookmakeRun::wait() {
    if (m_done) return m_result;
    m_done = true;
    QProcess& p = m_process->process;
    if (!p.waitForFinished(600000)) return m_result;
    m_result.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    m_result.out = p.readAllStandardOutput().toStdString();
    m_result.err = p.readAllStandardError().toStdString();
    return m_result;
}

RunResult runBookmake(const std::vector<std::string>& args) { return BookmakeRun(args).wait(); }

std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::vector<std::string> splitLines(std::string_view s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < s.size()) {
        size_t e = s.find('\n', i);
        if (e == std::string_view::npos) e = s.size();
        std::string line(s.substr(i, e - i));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(line);
        i = e + 1;
    }
    return out;
}

uint32_t le32(std::string_view s, size_t pos) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s.at(pos + size_t(i)));
    return v;
}

uint16_t le16(std::string_view s, size_t pos) {
    return uint16_t(static_cast<unsigned char>(s.at(pos)) | (static_cast<unsigned char>(s.at(pos + 1)) << 8));
}

std::vector<IndexTerm> readIndex(const std::filesystem::path& base, std::string& error) {
    const std::string dat = readAll(base / "index.dat"), ind = readAll(base / "index.ind");
    std::vector<IndexTerm> terms;
    if (dat.size() % 12 != 0) error = "index.dat is not a whole number of entries";
    for (size_t i = 0; i + 12 <= dat.size(); i += 12) {
        IndexTerm t;
        t.key = int32_t(le32(dat, i));
        t.offset = le32(dat, i + 4);
        t.length = le32(dat, i + 8);
        if (uint64_t(t.offset) + t.length > ind.size()) {
            error = "a block past the end of index.ind";
            return terms;
        }
        size_t p = t.offset;
        const size_t end = size_t(t.offset) + t.length;
        while (p < end) {
            if (p + 4 > end) {
                error = "a record header past its block";
                return terms;
            }
            Posting post;
            const uint32_t word = le32(ind, p);
            post.document = word & 0xFFFFFF;
            uint32_t n = word >> 24;
            p += 4;
            if (n == 0xFF) {
                post.isLong = true;
                if (p + 2 > end) {
                    error = "a long record without its count";
                    return terms;
                }
                n = le16(ind, p);
                p += 2;
            }
            if (p + 2 * size_t(n) > end) {
                error = "positions past their block";
                return terms;
            }
            for (uint32_t k = 0; k < n; ++k) post.positions.push_back(le16(ind, p + 2 * k));
            p += 2 * size_t(n);
            t.postings.push_back(std::move(post));
        }
        terms.push_back(std::move(t));
    }
    return terms;
}

std::vector<GlossWord> readGloss(const std::filesystem::path& base, const std::string& name,
                                 int32_t& headerCount, std::string& error) {
    const std::string dat = readAll(base / (name + ".dat")), ind = readAll(base / (name + ".ind"));
    std::vector<GlossWord> words;
    if (dat.size() < 4) {
        error = "no header";
        return words;
    }
    headerCount = int32_t(le32(dat, 0));
    size_t p = 4;
    size_t expectedFirst = 0;
    while (p < dat.size()) {
        const size_t dollar = dat.find('$', p);
        if (dollar == std::string::npos || dollar + 9 > dat.size()) {
            error = "a record without its \"$\" and numbers";
            return words;
        }
        GlossWord w;
        w.word = dat.substr(p, dollar - p);
        const uint32_t count = le32(dat, dollar + 1), first = le32(dat, dollar + 5);
        if (first != expectedFirst || (uint64_t(first) + count) * 4 > ind.size()) {
            error = "entries out of order or past the end of the .ind file";
            return words;
        }
        for (uint32_t k = 0; k < count; ++k) w.documents.push_back(int32_t(le32(ind, (first + k) * 4)));
        expectedFirst += count;
        words.push_back(std::move(w));
        p = dollar + 9;
    }
    if (expectedFirst * 4 != ind.size()) error = "the .ind file holds entries no record names";
    return words;
}

std::vector<CountedWord> countWords(std::string_view page, bool fromBody) {
    const std::string upper = upperCp1251(page);
    size_t i = 0;
    if (fromBody) {
        const size_t body = upper.find("<BODY");
        i = body == std::string::npos ? 0 : body;
    }
    auto letter = [](unsigned char c) { return c >= 0xC0 || c == 0xA8 || c == 0xB8; };
    std::vector<CountedWord> words;
    uint32_t ordinal = 0;
    while (i < upper.size()) {
        // Markup: "<" + Latin letter, "/", "!" or "?" up to ">" ("<!--" up to "-->"), when closed.
        if (upper[i] == '<' && i + 1 < upper.size() &&
            ((upper[i + 1] >= 'A' && upper[i + 1] <= 'Z') || std::strchr("/!?", upper[i + 1]))) {
            const bool comment = upper.compare(i, 4, "<!--") == 0;
            const size_t end = comment ? upper.find("-->", i + 4) : upper.find('>', i + 1);
            if (end != std::string::npos) {
                i = end + (comment ? 3 : 1);
                continue;
            }
        }
        if (!letter(static_cast<unsigned char>(upper[i]))) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j < upper.size() && letter(static_cast<unsigned char>(upper[j]))) ++j;
        if (j - i >= 3) words.push_back({++ordinal, upper.substr(i, j - i)});
        i = j;
    }
    return words;
}

std::vector<TaskLinkRef> findTaskLinks(std::string_view text) {
    std::vector<TaskLinkRef> links;
    for (size_t i = text.find("href=\"$"); i != std::string_view::npos; i = text.find("href=\"$", i + 1)) {
        const size_t end = text.find('"', i + 7);
        const std::string_view v = text.substr(i + 7, end - i - 7);
        TaskLinkRef r{readDecimal(v), -1, 1};
        const size_t c1 = v.find(',');
        if (c1 == std::string_view::npos) continue;
        r.offset = readDecimal(v.substr(c1 + 1));
        const size_t c2 = v.find(',', c1 + 1);
        if (c2 != std::string_view::npos) r.page = readDecimal(v.substr(c2 + 1));
        links.push_back(r);
    }
    return links;
}
