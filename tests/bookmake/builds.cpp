#include "builds.h"

#include "platform/morph.h"
#include "support/testenv.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace fs = std::filesystem;

namespace {

struct Pending {
    std::unique_ptr<BookmakeRun> run;
    BuiltBook book;
    bool collected = false;
};

struct Builds {
    TempDir root;
    std::map<TestBook, Pending> pending;

    void start(TestBook which, const std::string& command, const std::string& source, const char* name) {
        Pending& p = pending[which];
        p.book.folder = fs::path(root.path()) / name;
        p.run = std::make_unique<BookmakeRun>(std::vector<std::string>{command, source, p.book.folder.string()});
    }

    Builds() {
        const std::string samples = std::string(EBOOK_SOURCE_DIR) + "/samples/";
        // 300 forms of one word (a long record); 70,000 (more than a position can count); a
        // sign Windows-1251 lacks.
        // An exam whose last task is an empty B task, 9 bytes.
        root.write("limits/bookmake.txt", "[book]\nregkey = limits\nlayout = single-store\n\n[contents]\n"
                                          "* Звёзды | a.htm\n* Много звёзд | b.htm\n* Знаки | c.htm\n\n"
                                          "[exam short]\ninstructions = Правила\n"
                                          "[task short]\nkind = A\nquestion = Вопрос\nright = 2\n"
                                          "[task short]\nkind = B\nquestion =\nanswer =\n");
        std::string a = "<p>", b = "<p>";
        for (int i = 0; i < 300; ++i) a += "звезда ";
        b.reserve(70000 * 13);
        for (int i = 0; i < 70000; ++i) b += "звезда ";
        root.write("limits/a.htm", a + "</p>");
        root.write("limits/b.htm", b + "</p>");
        root.write("limits/c.htm", "<p>Звезда ★ и звезда №1. <a href=\"$exam:short\">Экзамен</a></p>");
        start(TestBook::Sample, "build", samples + "book", "sample");
        start(TestBook::SampleAgain, "build", samples + "book", "sample-again");
        start(TestBook::PageFile, "install", samples + "pagefile", "guide");
        start(TestBook::Limits, "build", root.file("limits"), "limits-book");
    }
};

Builds* g_builds = nullptr;

class StartBuilds : public ::testing::Environment {
public:
    void SetUp() override {
        // Load the dictionary here first: a cold table cache is then built once, by this
        // process, and every bookmake started below reads it.
        morphError();
        g_builds = new Builds;
    }
    void TearDown() override {
        delete g_builds;
        g_builds = nullptr;
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new StartBuilds);

} // namespace

const BuiltBook& builtBook(TestBook which) {
    Pending& p = g_builds->pending.at(which);
    if (!p.collected) {
        p.book.run = p.run->wait();
        p.collected = true;
    }
    return p.book;
}
