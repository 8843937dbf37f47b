#include "platform/fonts.h"
#include "platform/paths.h"
#include "support/testenv.h"

#include <QDirIterator>
#include <QFontDatabase>
#include <QStandardPaths>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

// A TrueType font of the system (the project's set-up installs some).
std::string systemFontFile() {
    const QString own = QString::fromStdString(fontFolder());
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::FontsLocation)) {
        if (dir.startsWith(own)) continue;
        QDirIterator it(dir, {"*.ttf"}, QDir::Files, QDirIterator::Subdirectories);
        if (it.hasNext()) return it.next().toStdString();
    }
    return {};
}

// Fonts registered by this process: their ids count up from 0.
int registeredFonts() {
    int n = 0;
    for (int id = 0; id < 64; ++id)
        n += !QFontDatabase::applicationFontFamilies(id).isEmpty();
    return n;
}

} // namespace

TEST(Fonts, InstallsABookFontOnceOnly) {
    const std::string system = systemFontFile();
    ASSERT_FALSE(system.empty()) << "no TrueType font installed";
    TempDir book;
    std::string bytes;
    ASSERT_TRUE(readNativeFile(system, bytes));
    book.write("fonts/BookFont.ttf", bytes);
    const std::string target = fontFolder() + "/BookFont.ttf";
    ASSERT_FALSE(fs::exists(target));

    const std::string path1251 = readerPath(book.path(), true) + "FONTS\\bookfont.ttf";
    const int before = registeredFonts();
    EXPECT_TRUE(installFontFile(path1251));
    EXPECT_TRUE(fs::exists(target));
    EXPECT_EQ(fs::file_size(target), bytes.size());
    EXPECT_EQ(registeredFonts(), before + 1);

    // Already there: neither copied over nor registered again.
    book.write("fonts/BookFont.ttf", "changed");
    EXPECT_FALSE(installFontFile(path1251));
    EXPECT_EQ(fs::file_size(target), bytes.size());
    EXPECT_EQ(registeredFonts(), before + 1);
    fs::remove(target);
}

TEST(Fonts, NotAFontIsNotLeftInTheFontFolder) {
    TempDir book;
    book.write("fonts/broken.ttf", std::string(5000, 'x'));
    EXPECT_FALSE(installFontFile(readerPath(book.path(), true) + "fonts\\broken.ttf"));
    EXPECT_FALSE(fs::exists(fontFolder() + "/broken.ttf"));
    // So that a correct file of the name can still come later.
    EXPECT_FALSE(installFontFile(readerPath(book.path(), true) + "fonts\\missing.ttf"));
    EXPECT_FALSE(installFontFile(readerPath(book.path(), true) + "fonts"));
    EXPECT_TRUE(fs::is_empty(fontFolder()));
}
