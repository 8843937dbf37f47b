#include "builder.h"

#include "booktext.h"
#include "contents.h"
#include "description.h"
#include "error.h"
#include "glosswriter.h"
#include "output.h"
#include "pages.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "sourcetext.h"
#include "testfile.h"

namespace fs = std::filesystem;

namespace {

// The reader's document selections hold 10,000 documents.
constexpr int kSelectableDocuments = 10000;

std::string ebookIni(const BookDescription& book) {
    return "[Description]\r\nTitle=" + book.title + "\r\nRegKey=" + book.regKey +
           "\r\nPelvar=" + std::to_string(book.pelvar) + "\r\n";
}

} // namespace

BuildSummary buildBook(const fs::path& source, const fs::path& book, const Lemmatizer& lemmaOf) {
    const BookDescription desc = readDescription(source);
    BookOutput out(book, source);
    out.prepare();

    TaskTargets tasks;
    const std::string testFile = buildTestFile(desc, out, tasks);
    if (!desc.exercises.empty() || !desc.exams.empty()) out.write("base/test.dat", testFile);

    const BookPages pages = buildPages(desc, out, tasks);
    writeContents(desc, pages, out);
    if (int(pages.documents.size()) > kSelectableDocuments)
        warn(desc.file, 0, "more than 10000 documents: the term and pattern searches see the first 10000");

    const IndexFiles index = buildIndex(pages.documents, lemmaOf);
    out.write("base/index.dat", index.dat);
    out.write("base/index.ind", index.ind);
    if (desc.layout == Layout::PageFile) {
        const DocumentTable table = buildDocumentTable(pages.documents);
        out.write("base/files.dat", table.dat);
        out.write("base/files.ind", table.ind);
    }
    if (!desc.glossary.empty()) {
        const GlossFiles gloss = buildGloss(desc.glossary, pages.documents);
        out.write("base/gloss.dat", gloss.dat);
        out.write("base/gloss.ind", gloss.ind);
    }
    const GlossFiles all = buildAllGloss(pages.documents);
    out.write("base/allgloss.dat", all.dat);
    out.write("base/allgloss.ind", all.ind);

    const BookText text = buildBookText(desc, pages.documents);
    out.write("book.txt", text.text);
    out.write("base/tok.txt", text.tokens);

    for (const std::string& font : desc.fonts) out.copy(font, "fonts/" + fs::path(font).filename().string());
    out.write("ebook.ini", ebookIni(desc));

    BuildSummary s;
    s.entries = int(desc.contents.size());
    s.documents = int(pages.documents.size());
    s.terms = int(index.dat.size() / 12);
    for (const Document& d : pages.documents) s.pageBytes += d.text.size();
    return s;
}

void installBook(const fs::path& book) {
    std::error_code ec;
    const fs::path abs = fs::weakly_canonical(fs::absolute(book, ec), ec);
    const std::string folder = readerPath(abs.string(), true);
    const TIniFile ini(folder + "ebook.ini");
    const std::string regKey = ini.ReadString("Description", "RegKey", "");
    if (!fs::is_regular_file(abs / "ebook.ini") || regKey.empty())
        throw BuildError((abs / "ebook.ini").string(), 0, "no book with a RegKey here");
    fs::create_directories(abs / "user", ec);
    TRegistry reg(HKEY_LOCAL_MACHINE);
    const std::string key = "SOFTWARE\\talmaran\\" + regKey;
    if (!reg.OpenKey(key, true) || !reg.WriteString("BasePath", readerPath((abs / "base").string(), true)) ||
        !reg.WriteString("IndexFile", "1.htm") || !reg.WriteString("PagesPath", folder) ||
        !reg.WriteString("UserPath", readerPath((abs / "user").string(), true)) ||
        !reg.WriteString("RootPath", folder))
        throw BuildError(registryFile(HKEY_LOCAL_MACHINE), 0, "cannot write the key " + key);
    reg.CloseKey();
}
