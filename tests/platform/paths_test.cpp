#include "platform/paths.h"
#include "platform/text.h"
#include "support/testenv.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// A small book folder on disk with mixed-case Latin and Cyrillic names.
struct BookFolder {
    TempDir dir;
    std::string root1251; // the folder in the reader's form, ending with a backslash
    BookFolder() {
        dir.write("Book/ebook.ini", "[Description]\r\n");
        dir.write("Book/image/pic.gif", "GIF89a");
        dir.write("Book/out/tree/p1.htm", "<p>1</p>");
        dir.write("Book/Глава/Файл.htm", "<p>2</p>");
        dir.write("Book/ёлка.txt", "x");
        root1251 = readerPath(dir.path(), true);
    }
    std::string native(std::string_view rel) const { return dir.path() + "/" + std::string(rel); }
};

} // namespace

TEST(Paths, ResolvesReaderPathsToNativeFiles) {
    BookFolder book;
    struct Row {
        const char* what;
        const char* in;
        const char* out;
    };
    const Row rows[] = {
        {"exact names", "Book\\image\\pic.gif", "Book/image/pic.gif"},
        {"Latin in other case", "BOOK\\IMAGE\\PIC.GIF", "Book/image/pic.gif"},
        {"Cyrillic in other case", "book\\ГЛАВА\\файл.HTM", "Book/Глава/Файл.htm"},
        {"Ё matches ё", "Book\\ЁЛКА.TXT", "Book/ёлка.txt"},
        {"doubled backslashes", "Book\\\\out\\\\tree\\\\p1.htm", "Book/out/tree/p1.htm"},
        {"slashes and dots", "Book/./out//tree/./p1.htm", "Book/out/tree/p1.htm"},
        {"missing components kept as written", "BOOK\\out\\New\\Файл.TXT", "Book/out/New/Файл.TXT"},
        {"missing component right under the folder", "Nothing\\Here.txt", "Nothing/Here.txt"},
        {"folder with trailing separator", "book\\OUT\\tree\\", "Book/out/tree/"},
    };
    EXPECT_EQ(nativePath(book.root1251 + "book\\ebook.ini\0\\..\\image"s),
              book.native("Book/ebook.ini"))
        << "a NUL ends the path";
    for (const Row& r : rows)
        EXPECT_EQ(nativePath(book.root1251 + w1251(r.in)), book.native(r.out)) << r.what;
}

TEST(Paths, WholeLowerCasedFolderStillResolves) {
    // The reader lower-cases a book folder in place before using it.
    BookFolder book;
    const std::string lowered = lowerCp1251(book.root1251 + w1251("Book\\Глава\\"));
    EXPECT_EQ(nativePath(lowered + w1251("файл.htm")), book.native("Book/Глава/Файл.htm"));
    EXPECT_TRUE(isReadable(lowered + w1251("ФАЙЛ.HTM")));
}

TEST(Paths, RelativePathsResolveFromTheCurrentFolder) {
    BookFolder book;
    const fs::path previous = fs::current_path();
    fs::current_path(book.dir.path());
    EXPECT_EQ(nativePath("BOOK\\IMAGE\\PIC.GIF"), "Book/image/pic.gif");
    EXPECT_TRUE(isReadable("book\\ebook.ini"));
    fs::current_path(previous);
}

TEST(Paths, DriveLettersMapUnderTheDriveRoot) {
    const std::string root = driveRoot();
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(nativePath("c:\\talmaran\\download\\"), root + "/c/talmaran/download/");
    EXPECT_EQ(nativePath("D:\\x.txt"), root + "/d/x.txt");
    fs::create_directories(root + "/c/Talmaran/Download");
    EXPECT_EQ(nativePath("C:\\TALMARAN\\download\\book.lzh"),
              root + "/c/Talmaran/Download/book.lzh");
    EXPECT_TRUE(folderExists("c:\\talmaran\\"));
    fs::remove_all(root + "/c/Talmaran");
}

TEST(Paths, ReadableExistsAndFolder) {
    BookFolder book;
    const std::string ini = book.root1251 + "BOOK\\EBOOK.INI";
    const std::string folder = book.root1251 + "book\\image";
    const std::string missing = book.root1251 + "book\\none.ini";
    EXPECT_TRUE(isReadable(ini));
    EXPECT_TRUE(fileExists(ini));
    EXPECT_FALSE(folderExists(ini));
    EXPECT_FALSE(isReadable(folder));
    EXPECT_FALSE(fileExists(folder));
    EXPECT_TRUE(folderExists(folder + "\\"));
    EXPECT_FALSE(isReadable(missing));
    EXPECT_FALSE(fileExists(missing));
    EXPECT_FALSE(folderExists(missing));
    EXPECT_FALSE(isReadable(""));
    // Deleted under the reader's feet: nothing may be cached.
    fs::remove(book.native("Book/ebook.ini"));
    EXPECT_FALSE(isReadable(ini));
    if (geteuid() != 0) {
        book.dir.write("Book/locked.ini", "x");
        chmod(book.native("Book/locked.ini").c_str(), 0);
        EXPECT_FALSE(isReadable(book.root1251 + "book\\locked.ini"));
    }
}

TEST(Paths, ReaderPathConvertsBack) {
    EXPECT_EQ(readerPath("/data/Книги"), w1251("/data/Книги"));
    EXPECT_EQ(readerPath("/data/Книги", true), w1251("/data/Книги\\"));
    EXPECT_EQ(readerPath("/data/", true), "/data/");
}

TEST(Paths, ReadAndAtomicWriteRoundTrip) {
    TempDir dir;
    const std::string base = readerPath(dir.path(), true);
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    bytes += std::string(200000, 'x');
    ASSERT_TRUE(writeFileAtomic(base + w1251("Файл.bin"), bytes));
    std::string back;
    ASSERT_TRUE(readFile(base + w1251("ФАЙЛ.BIN"), back));
    EXPECT_EQ(back, bytes);
    // Replacing keeps a single file (no temporary left behind) and the file's permissions.
    chmod(dir.file("Файл.bin").c_str(), 0600);
    ASSERT_TRUE(writeFileAtomic(base + w1251("файл.bin"), "short"));
    EXPECT_EQ(dir.read("Файл.bin"), "short");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    struct stat st;
    ASSERT_EQ(stat(dir.file("Файл.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_FALSE(readFile(base + "missing.bin", back));
    EXPECT_TRUE(back.empty());
    EXPECT_FALSE(readFile(base, back)); // a folder
    EXPECT_FALSE(writeFileAtomic(base + "no\\such\\folder\\f.txt", "x"));
    EXPECT_FALSE(writeFileAtomic(base, "x"));
}

TEST(Paths, FailedWriteLeavesTheOldFileIntact) {
    TempDir dir;
    dir.write("keep.txt", "old contents");
    const std::string path = readerPath(dir.path(), true) + "keep.txt";
    // A child process whose file size limit makes the write fail half-way (a full disk).
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(writeFileAtomic(path, std::string(100000, 'n')) ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as success";
    EXPECT_EQ(dir.read("keep.txt"), "old contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}
