// What opening a book reads: the book description, the registry key, the start-up folders.
#include "app/BookOpen.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "support/testenv.h"

#include <QDir>
#include <filesystem>
#include <gtest/gtest.h>

TEST(BookDescription, KeysAndDefaults) {
    struct Case {
        const char* what;
        const char* ini; // UTF-8, converted to Windows-1251
        const char* title;
        const char* regKey;
        bool pelvar;
    };
    const Case cases[] = {
        {"no Description section", "[Other]\r\nTitle=x\r\n", "Электронная книга", "", false},
        {"all keys", "[Description]\r\nTitle=Книга\r\nRegKey=abc\r\nPelvar=2\r\n", "Книга", "abc",
         true},
        {"Pelvar 00", "[Description]\r\nPelvar=00\r\n", "Электронная книга", "", false},
        {"Pelvar abc", "[Description]\r\nPelvar=abc\r\n", "Электронная книга", "", false},
        {"Pelvar -1", "[description]\r\npelvar= -1\r\n", "Электронная книга", "", true},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.write("ebook.ini", w1251(c.ini));
        const BookDescription d = readBookDescription(readerPath(dir.file("ebook.ini")));
        EXPECT_EQ(d.Title, w1251(c.title));
        EXPECT_EQ(d.RegKey, c.regKey);
        EXPECT_EQ(d.Pelvar, c.pelvar);
    }
}

TEST(BookDescription, LongRegKeyIsCut) {
    TempDir dir;
    dir.write("ebook.ini", "[Description]\r\nRegKey=" + std::string(400, 'k') + "\r\n");
    EXPECT_EQ(readBookDescription(readerPath(dir.file("ebook.ini"))).RegKey, std::string(255, 'k'));
}

TEST(BookPaths, StatusByKey) {
    TempRegistry reg;
    TRegistry w(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(w.OpenKey("SOFTWARE\\talmaran\\full", true));
    w.WriteString("BasePath", "b\\");
    w.WriteString("IndexFile", "1.htm");
    w.WriteString("PagesPath", "p\\");
    w.WriteString("UserPath", "u\\");
    ASSERT_TRUE(w.OpenKey("SOFTWARE\\talmaran\\nouser", true));
    w.WriteString("BasePath", "b\\");
    w.WriteString("IndexFile", "1.htm");
    w.WriteString("PagesPath", "p\\");
    w.WriteInteger("UserPath", 5); // not a string: reads as empty

    BookPaths p;
    EXPECT_EQ(readBookPaths("FULL", p), BookPathsStatus::Ok); // keys ignore case
    EXPECT_EQ(p.BasePath, "b\\");
    EXPECT_EQ(p.IndexFile, "1.htm");
    EXPECT_EQ(p.UserPath, "u\\");
    EXPECT_EQ(readBookPaths("nouser", p), BookPathsStatus::PathEmpty);
    EXPECT_EQ(p.BasePath, "b\\");
    EXPECT_EQ(readBookPaths("absent", p), BookPathsStatus::KeyMissing);
    // An empty RegKey names "SOFTWARE\\talmaran" itself, which holds no book paths.
    EXPECT_EQ(readBookPaths("", p), BookPathsStatus::PathEmpty);
    EXPECT_EQ(bookKeyPath("x"), "SOFTWARE\\talmaran\\x");
}

TEST(StartFolders, EmptyCommandLineSettlesInBookAndItsSchema) {
    TempDir dir;
    std::filesystem::create_directories(dir.file("book/schema"));
    const QString before = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path()));
    EXPECT_EQ(settleSchemeFolder(""), readerPath(dir.file("book")) + "\\schema");
    // The main window changes into "book" again; without book/book it stays there.
    EXPECT_EQ(enterBookSubfolder(), readerPath(dir.file("book")));
    EXPECT_EQ(nativePath(readerPath(dir.file("book")) + "\\schema"), dir.file("book/schema"));

    // A command line names the scheme folder and leaves the current folder alone.
    QDir::setCurrent(QString::fromStdString(dir.path()));
    EXPECT_EQ(settleSchemeFolder("/some/schemes"), "/some/schemes");
    EXPECT_EQ(enterBookSubfolder(), readerPath(dir.file("book")));
    QDir::setCurrent(before);
}

TEST(StartFolders, BookFolderText) {
    EXPECT_EQ(bookFolderText("/a/Книги"), "/a/Книги\\");
    EXPECT_EQ(bookFolderText("/a/b\\"), "/a/b\\");
    EXPECT_EQ(bookFolderText("/a/b/"), "/a/b/");
    EXPECT_EQ(bookFolderText(""), "\\");
}
