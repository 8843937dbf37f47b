#include "testfile.h"

#include "error.h"
#include "html.h"
#include "platform/text.h"
#include "sourcetext.h"

namespace {

void putInt(std::string& out, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i) out += char((u >> (8 * i)) & 0xFF);
}

void putText(std::string& out, const std::string& text) {
    putInt(out, int32_t(text.size()));
    out += text;
}

// Task texts are shown from the user folder; their pictures are served from the book's "image"
// folder, so each picture goes there under its source path and the text names it so.
std::string withPictures(const TaskText& t, BookOutput& out) {
    return rewriteAttributes(t.html, [&](const HtmlTag& tag, const HtmlAttribute& a)
                                         -> std::optional<std::string> {
        if (a.name != "src" || (tag.name != "img" && tag.name != "input")) return std::nullopt;
        std::string rel;
        if (a.value.find(':') != std::string::npos || !joinSourcePath(t.folder, a.value, rel))
            return std::nullopt;
        if (!out.copy(rel, "image/" + rel)) {
            warn(t.origin, t.line + lineOf(t.html, a.valueStart) - 1,
                 "missing picture " + a.value);
            return std::nullopt;
        }
        return rel;
    });
}

void putTask(std::string& out, const TaskDef& t, BookOutput& book) {
    putText(out, withPictures(t.question, book));
    if (t.choice) {
        putInt(out, t.right);
        putInt(out, t.options);
    } else {
        putText(out, withPictures(t.answer, book));
    }
}

} // namespace

std::string buildTestFile(const BookDescription& book, BookOutput& out, TaskTargets& targets) {
    std::string file;
    for (const Exercise& e : book.exercises) {
        targets[e.name] = {e.task.choice ? TaskTarget::Choice : TaskTarget::Answer,
                           int32_t(file.size()), 0};
        putTask(file, e.task, out);
    }
    int page = 0;
    for (const Exam& e : book.exams) {
        targets[e.name] = {TaskTarget::Exam, int32_t(file.size()), ++page};
        std::string area;
        size_t last = 0;
        for (const TaskDef& t : e.tasks) {
            last = area.size();
            area += char(t.kind == 'A' ? 1 : t.kind == 'B' ? 2 : 3);
            putTask(area, t, out);
        }
        // The reader takes a task only when it starts more than 10 bytes before the end of
        // the area; a short last task (an empty B task is 9 bytes) gets trailing padding.
        while (area.size() - last <= 10) area += '\0';
        putText(file, area);
        std::string page1251 = withPictures(e.instructions, out);
        if (lowerCp1251(page1251).find("<body") == std::string::npos)
            page1251 = "<HTML><BODY>\r\n" + page1251 + "\r\n</BODY></HTML>\r\n";
        out.write("base/" + std::to_string(page) + ".htm", page1251);
    }
    return file;
}

std::string taskLink(const TaskTargets& targets, std::string_view ref, std::string& error) {
    const size_t colon = ref.find(':');
    if (ref.empty() || ref[0] != '$' || colon == std::string_view::npos) {
        error = "a task link is $exercise:NAME, $help:NAME, $exam:NAME or $answers:NAME";
        return {};
    }
    const std::string form(ref.substr(1, colon - 1));
    const std::string name(ref.substr(colon + 1));
    const auto it = targets.find(name);
    if (it == targets.end()) {
        error = "unknown exercise or exam \"" + name + "\"";
        return {};
    }
    const TaskTarget& t = it->second;
    const std::string off = std::to_string(t.offset);
    const bool exam = t.kind == TaskTarget::Exam;
    if (form == "exercise" && !exam) return (t.kind == TaskTarget::Choice ? "$1," : "$3,") + off;
    if (form == "help" && !exam) return (t.kind == TaskTarget::Choice ? "$2," : "$4,") + off;
    if (form == "exam" && exam) return "$5," + off + "," + std::to_string(t.page);
    if (form == "answers" && exam) return "$6," + off;
    error = "\"" + name + "\" is " + (exam ? "an exam: use $exam: or $answers:"
                                           : "an exercise: use $exercise: or $help:");
    return {};
}
