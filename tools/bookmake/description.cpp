#include "description.h"

#include "error.h"
#include "platform/text.h"
#include "sourcetext.h"

#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

bool readNumber(std::string_view s, int& out) {
    if (s.empty() || s.size() > 6) return false;
    out = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

class Parser {
public:
    Parser(const fs::path& root, std::string text)
        : m_root(root), m_text(std::move(text)) {
        m_book.file = kDescriptionFile;
    }

    BookDescription run() {
        size_t pos = 0;
        while (pos <= m_text.size()) {
            size_t end = m_text.find('\n', pos);
            if (end == std::string::npos) end = m_text.size();
            ++m_line;
            line(trimLine(std::string_view(m_text).substr(pos, end - pos)));
            pos = end + 1;
        }
        finishSection();
        check();
        return std::move(m_book);
    }

private:
    enum class Section { None, Book, Contents, Glossary, Exercise, Exam, Task };

    [[noreturn]] void fail(const std::string& message, int line = -1) const {
        throw BuildError(m_book.file, line < 0 ? m_line : line, message);
    }

    void line(std::string_view s) {
        if (s.empty() || s[0] == ';') return;
        if (s[0] == '[') return header(s);
        switch (m_section) {
        case Section::None: fail("text before the first [section]");
        case Section::Contents: return contentsLine(s);
        case Section::Glossary: return glossaryLine(s);
        default: break;
        }
        const size_t eq = s.find('=');
        if (eq == std::string_view::npos) fail("expected key = value");
        const std::string key = lowerCp1251(trimLine(s.substr(0, eq)));
        const std::string_view value = trimLine(s.substr(eq + 1));
        if (!m_seen.insert(key).second && key != "font") fail("\"" + key + "\" given twice");
        if (m_section == Section::Book) return bookKey(key, value);
        if (m_section == Section::Exam) {
            if (key != "instructions") fail("unknown key \"" + key + "\" in [exam]");
            m_exam.instructions = taskText(value);
            return;
        }
        taskKey(key, value);
    }

    void header(std::string_view s) {
        if (s.back() != ']') fail("a section header ends with ]");
        finishSection();
        const std::string_view inner = trimLine(s.substr(1, s.size() - 2));
        const size_t space = inner.find(' ');
        const std::string kind = lowerCp1251(inner.substr(0, space));
        const std::string name =
            space == std::string_view::npos ? std::string() : std::string(trimLine(inner.substr(space)));
        m_seen.clear();
        m_sectionLine = m_line;
        if (kind == "book" || kind == "contents" || kind == "glossary") {
            if (!name.empty()) fail("[" + kind + "] takes no name");
            if (!m_sections.insert(kind).second) fail("[" + kind + "] given twice");
            m_section = kind == "book" ? Section::Book
                        : kind == "contents" ? Section::Contents
                                             : Section::Glossary;
            return;
        }
        if (kind != "exercise" && kind != "exam" && kind != "task")
            fail("unknown section [" + std::string(inner) + "]");
        if (name.empty() || name.find_first_of(" \t,$:") != std::string::npos)
            fail("[" + kind + "] needs a name without blanks, commas, colons or \"$\"");
        m_name = name;
        m_task = TaskDef{};
        m_task.line = m_line;
        if (kind == "exercise") {
            if (!m_names.insert(name).second) fail("the name \"" + name + "\" is used twice");
            m_section = Section::Exercise;
        } else if (kind == "exam") {
            if (!m_names.insert(name).second) fail("the name \"" + name + "\" is used twice");
            m_section = Section::Exam;
            m_exam = Exam{};
            m_exam.name = name;
            m_exam.line = m_line;
        } else {
            if (!m_examIndex.count(name) && m_exam.name != name)
                fail("[task " + name + "] comes before [exam " + name + "]");
            m_section = Section::Task;
        }
    }

    void bookKey(const std::string& key, std::string_view value) {
        if (key == "title") {
            m_book.title = value;
        } else if (key == "regkey") {
            if (value.empty() || value.size() > 200 || value.find_first_of("\\/") != std::string::npos)
                fail("regkey must be a name of 1 to 200 characters without slashes");
            m_book.regKey = value;
        } else if (key == "pelvar") {
            if (!readNumber(value, m_book.pelvar)) fail("pelvar must be a number");
        } else if (key == "layout") {
            if (value == "single-store")
                m_book.layout = Layout::SingleStore;
            else if (value == "page-file")
                m_book.layout = Layout::PageFile;
            else
                fail("layout is single-store or page-file");
        } else if (key == "font") {
            m_book.fonts.push_back(sourcePath(value, "font"));
            if (!fs::is_regular_file(nativeSource(m_root, m_book.fonts.back())))
                fail("missing font file " + std::string(value));
        } else if (key == "docs") {
            m_book.docs = sourcePath(value, "docs");
            if (!fs::is_directory(nativeSource(m_root, m_book.docs)))
                fail("missing docs folder " + std::string(value));
        } else {
            fail("unknown key \"" + key + "\" in [book]");
        }
    }

    std::string sourcePath(std::string_view value, const char* what) {
        std::string out;
        if (!joinSourcePath("", value, out))
            fail(std::string(what) + " must be a path inside the source folder");
        return out;
    }

    void contentsLine(std::string_view s) {
        size_t stars = 0;
        while (stars < s.size() && s[stars] == '*') ++stars;
        if (stars == 0) fail("a contents line starts with one \"*\" per level");
        ContentsEntry e;
        e.line = m_line;
        e.depth = int(stars) - 1;
        std::string_view rest = trimLine(s.substr(stars));
        const size_t bar = rest.rfind('|');
        if (bar != std::string_view::npos) {
            std::string_view target = trimLine(rest.substr(bar + 1));
            rest = trimLine(rest.substr(0, bar));
            const size_t hash = target.find('#');
            if (hash != std::string_view::npos) {
                e.anchor = target.substr(hash + 1);
                target = target.substr(0, hash);
                if (e.anchor.empty()) fail("an empty anchor after \"#\"");
            }
            e.page = sourcePath(target, "a page");
            if (!fs::is_regular_file(nativeSource(m_root, e.page)))
                fail("missing page " + std::string(target));
        }
        if (rest.empty()) fail("a contents entry without a caption");
        e.caption = rest;
        const int previous = m_book.contents.empty() ? -1 : m_book.contents.back().depth;
        if (e.depth > previous + 1)
            fail("the contents level jumps from " + std::to_string(previous + 1) + " to " +
                 std::to_string(e.depth + 1) + " (one level deeper at most)");
        m_book.contents.push_back(std::move(e));
    }

    void glossaryLine(std::string_view s) {
        std::string term;
        for (char c : s) {
            const bool blank = c == ' ' || c == '\t';
            if (blank && (term.empty() || term.back() == ' ')) continue;
            term += blank ? ' ' : char(upperCp1251(static_cast<unsigned char>(c)));
        }
        while (!term.empty() && term.back() == ' ') term.pop_back();
        if (term.find('$') != std::string::npos) fail("a glossary term cannot contain \"$\"");
        for (const GlossTerm& t : m_book.glossary)
            if (t.text == term) {
                warn(m_book.file, m_line, "the term is listed twice; the second is dropped");
                return;
            }
        m_book.glossary.push_back({term, m_line});
    }

    TaskText taskText(std::string_view value) {
        TaskText t;
        t.line = m_line;
        if (!value.empty() && value[0] == '@') {
            const std::string path = sourcePath(trimLine(value.substr(1)), "a text file");
            if (!fs::is_regular_file(nativeSource(m_root, path))) fail("missing text file " + path);
            t.folder = folderOf(path);
            t.origin = path;
            t.html = readSourceText(nativeSource(m_root, path), path);
            while (!t.html.empty() && (t.html.back() == '\n' || t.html.back() == '\r'))
                t.html.pop_back();
        } else {
            t.origin = m_book.file;
            t.html = value;
        }
        return t;
    }

    void taskKey(const std::string& key, std::string_view value) {
        int n = 0;
        if (key == "question") {
            m_task.question = taskText(value);
        } else if (key == "answer") {
            m_task.answer = taskText(value);
            m_answer = true;
        } else if (key == "right" || key == "options") {
            if (!readNumber(value, n)) fail(key + " must be a number");
            (key == "right" ? m_task.right : m_task.options) = n;
            m_task.choice = true;
        } else if (key == "kind" && m_section == Section::Task) {
            if (value != "A" && value != "B" && value != "C") fail("kind is A, B or C");
            m_task.kind = value[0];
        } else {
            fail("unknown key \"" + key + "\"");
        }
    }

    void finishSection() {
        if (m_section == Section::Exercise || m_section == Section::Task) finishTask();
        if (m_section == Section::Exam) {
            if (m_exam.instructions.origin.empty())
                fail("[exam " + m_exam.name + "] needs instructions", m_sectionLine);
            m_examIndex[m_exam.name] = m_book.exams.size();
            m_book.exams.push_back(m_exam);
        }
        m_section = Section::None;
        m_answer = false;
    }

    void finishTask() {
        TaskDef& t = m_task;
        const int at = m_sectionLine;
        if (t.question.origin.empty()) fail("the task has no question", at);
        if (m_section == Section::Task && t.kind == 0) fail("the task has no kind (A, B or C)", at);
        const bool wantChoice = m_section == Section::Task ? t.kind == 'A' : t.choice;
        if (t.choice && m_answer) fail("a task has either right/options or an answer", at);
        if (wantChoice) {
            if (!t.choice) fail("a choice task needs right (and options)", at);
            if (t.options == 0) t.options = 4;
            if (t.options > 9) fail("options is 1 to 9", at);
            if (t.right < 1 || t.right > t.options) fail("right must be 1 to options", at);
            if (t.kind == 'A' && t.right > 4) fail("an exam offers four options: right is 1 to 4", at);
        } else {
            if (!m_answer) fail("the task needs an answer", at);
            if (t.answer.html.find('<') == std::string::npos && t.answer.html.size() > 255)
                fail("a short answer (without \"<\") is at most 255 bytes", at);
        }
        if (m_section == Section::Exercise) {
            m_book.exercises.push_back({m_name, t, at});
            return;
        }
        Exam& exam = m_book.exams[m_examIndex.at(m_name)];
        exam.tasks.push_back(t);
        int count = 0;
        for (const TaskDef& other : exam.tasks) count += other.kind == t.kind;
        const int limit = t.kind == 'A' ? 20 : t.kind == 'B' ? 12 : 8;
        if (count > limit)
            fail("an exam has at most " + std::to_string(limit) + " tasks of kind " + t.kind, at);
    }

    void check() {
        if (!m_sections.count("book")) fail("no [book] section", 0);
        if (m_book.regKey.empty()) fail("[book] needs a regkey", 0);
        if (m_book.contents.empty()) fail("[contents] is missing or empty", 0);
        if (m_book.title.empty()) m_book.title = m_book.contents.front().caption;
        for (const Exam& e : m_book.exams)
            if (e.tasks.empty()) fail("[exam " + e.name + "] has no tasks", e.line);
    }

    fs::path m_root;
    std::string m_text;
    BookDescription m_book;
    int m_line = 0;
    int m_sectionLine = 0;
    Section m_section = Section::None;
    std::set<std::string> m_sections;
    std::set<std::string> m_seen;
    std::set<std::string> m_names;
    std::map<std::string, size_t> m_examIndex;
    std::string m_name;
    TaskDef m_task;
    bool m_answer = false;
    Exam m_exam;
};

} // namespace

BookDescription readDescription(const fs::path& root) {
    return Parser(root, readSourceText(root / kDescriptionFile, kDescriptionFile)).run();
}
