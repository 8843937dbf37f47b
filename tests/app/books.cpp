#include "books.h"

#include "app/Main.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/viewer.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

struct Built {
    TempDir dir;
    std::string sample, pageFile;
};

// Both books are built at once: the builder spends most of its time loading the dictionary.
const Built& built() {
    static const Built* b = [] {
        auto* out = new Built;
        out->sample = out->dir.file("sample");
        out->pageFile = out->dir.file("pagefile");
        const QString bookmake = QString::fromStdString(programPath("bookmake"));
        QProcess one, two;
        one.start(bookmake,
                  {QStringLiteral("install"), QStringLiteral(EBOOK_SOURCE_DIR "/samples/book"),
                   QString::fromStdString(out->sample)});
        two.start(bookmake,
                  {QStringLiteral("install"), QStringLiteral(EBOOK_SOURCE_DIR "/samples/pagefile"),
                   QString::fromStdString(out->pageFile)});
        for (QProcess* p : {&one, &two}) {
            if (!p->waitForFinished(300000) || p->exitCode() != 0)
                throw std::runtime_error("bookmake failed: " +
                                         p->readAllStandardError().toStdString());
        }
        return out;
    }();
    return *b;
}

} // namespace

const std::string& sampleBook() {
    return built().sample;
}
const std::string& pageFileBook() {
    return built().pageFile;
}

std::string installCopy(const std::string& book, const TempDir& dir, const std::string& regKey) {
    const std::string copy = dir.file("book");
    fs::create_directories(copy);
    fs::copy(book, copy, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    TIniFile(readerPath(copy + "/ebook.ini")).WriteString("Description", "RegKey", regKey);
    // The copy's paths: the original's with the folder replaced.
    TRegistry from(HKEY_LOCAL_MACHINE);
    const std::string original =
        TIniFile(readerPath(book + "/ebook.ini")).ReadString("Description", "RegKey", "");
    if (!from.OpenKeyReadOnly("SOFTWARE\\talmaran\\" + original))
        throw std::runtime_error("no key for the built book");
    TRegistry to(HKEY_LOCAL_MACHINE);
    to.OpenKey("SOFTWARE\\talmaran\\" + regKey, true);
    const std::string oldRoot = readerPath(book), newRoot = readerPath(copy);
    for (const char* name : {"BasePath", "IndexFile", "PagesPath", "UserPath", "RootPath"}) {
        std::string v = from.ReadString(name);
        if (v.rfind(oldRoot, 0) == 0) v = newRoot + v.substr(oldRoot.size());
        to.WriteString(name, v);
    }
    return copy;
}

std::unique_ptr<TForm1> startIn(const TempDir& dir) {
    QDir::setCurrent(QString::fromStdString(dir.path()));
    auto form = std::make_unique<TForm1>();
    form->show();
    settle();
    return form;
}

void settle() {
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

std::string viewerText(const TForm1& form) {
    return form.Viewer->toPlainText().toStdString();
}
