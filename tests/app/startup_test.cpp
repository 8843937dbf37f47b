// Start-up and book opening: the sample book, the disc watch, a missing registry key, damaged
// books.
#include "app/Main.h"
#include "books.h"
#include "info/Ssplash.h"
#include "platform/fonts.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/viewer.h"
#include "support/messagehook.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

std::string utf8(const std::string& cp1251) {
    return cp1251ToUtf8(cp1251);
}

// Runs the real program in dir with the given answers to its message boxes.
struct ProgramRun {
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    std::string stderrText;
};
ProgramRun runProgram(const TempDir& dir, const char* answers) {
    QProcess p;
    p.setWorkingDirectory(QString::fromStdString(dir.path()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("EBOOK_MESSAGE_ANSWERS"), QString::fromLatin1(answers));
    env.insert(QStringLiteral("EBOOK_AUTOQUIT"), QStringLiteral("20000")); // never hangs a run
    p.setProcessEnvironment(env);
    p.start(QString::fromStdString(programPath("ebook")), {});
    ProgramRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitCode();
    r.status = p.exitStatus();
    r.stderrText = p.readAllStandardError().toStdString();
    return r;
}

size_t occurrences(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

} // namespace

TEST(StartUp, SampleBookOpensOnItsFirstEntry) {
    TempDir dir;
    installCopy(sampleBook(), dir, "t_start");
    fs::create_directories(dir.file("book/schema"));
    MessageRecorder rec;
    auto form = startIn(dir);

    EXPECT_TRUE(rec.messages.empty());
    EXPECT_EQ(WorkFolder, readerPath(dir.file("book")));
    EXPECT_EQ(form->HelpFile, readerPath(dir.file("book")) + "\\book.hlp");
    EXPECT_EQ(form->windowTitle().toStdString(),
              "ИД \"ТАЛЬМАРАН\" Небо над нами. Краткое введение в астрономию");
    EXPECT_EQ(form->RegKey, "t_start");
    EXPECT_EQ(form->Book.currentEntry, 0);
    EXPECT_EQ(form->CaptView->text().toStdString(), "Небо над нами");
    EXPECT_EQ(form->Katalog->topLevelItemCount(), 1);
    EXPECT_TRUE(form->Katalog->topLevelItem(0)->isExpanded()); // entry 0 opened one level
    EXPECT_NE(viewerText(*form).find("Краткое введение в астрономию"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir.file("book/user/tmp.htm")));
    EXPECT_EQ(form->Book.history.count(), 1);
    EXPECT_FALSE(form->ToolbarButton973->isEnabled());
    EXPECT_FALSE(form->ToolbarButton974->isEnabled());
    EXPECT_TRUE(form->isVisible());
}

TEST(StartUp, MissingDiscAbandonedEndsWithStatus3) {
    TempDir dir;
    fs::create_directories(dir.file("book")); // a book folder without "ebook.ini"
    const std::string line = "MESSAGE Отсутствует диск | Вставьте диск с электронной книгой";

    ProgramRun cancel = runProgram(dir, "cancel");
    EXPECT_EQ(cancel.status, QProcess::NormalExit);
    EXPECT_EQ(cancel.exitCode, 3);
    EXPECT_EQ(occurrences(cancel.stderrText, line), 1u) << cancel.stderrText;

    // OK looks again and asks again while the file is still missing.
    ProgramRun again = runProgram(dir, "ok,ok,cancel");
    EXPECT_EQ(again.exitCode, 3);
    EXPECT_EQ(occurrences(again.stderrText, line), 3u) << again.stderrText;
}

TEST(StartUp, DiscMessageUntilTheBookIsBack) {
    TempDir dir;
    const std::string book = installCopy(sampleBook(), dir, "t_disc");
    auto form = startIn(dir);
    const std::string ini = book + "/ebook.ini";
    const std::string saved = dir.read("book/ebook.ini");

    int asked = 0;
    MessageHook previous = setMessageHook([&](const MessageRecord& m) {
        EXPECT_EQ(m.text, w1251("Вставьте диск с электронной книгой"));
        EXPECT_EQ(m.caption, w1251("Отсутствует диск"));
        EXPECT_EQ(m.icon, MsgIcon::Stop);
        EXPECT_EQ(m.buttons, MsgButtons::OkCancel);
        if (++asked == 2) dir.write("book/ebook.ini", saved); // the disc is back
        return int(IDOK);
    });
    fs::remove(ini);
    QElapsedTimer t;
    t.start();
    while (asked < 2 && t.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    setMessageHook(previous);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(form->isVisible());
}

TEST(StartUp, RegistryFaultsCloseTheWindow) {
    struct Case {
        const char* what;
        std::function<void()> damage;
    };
    TempDir dir;
    const std::string book = installCopy(sampleBook(), dir, "t_reg");
    const Case cases[] = {
        {"no machine key",
         [&] {
             TIniFile(readerPath(book + "/ebook.ini"))
                 .WriteString("Description", "RegKey", "t_absent");
         }},
        {"an empty book path",
         [&] {
             TIniFile(readerPath(book + "/ebook.ini"))
                 .WriteString("Description", "RegKey", "t_reg");
             TRegistry r(HKEY_LOCAL_MACHINE);
             r.OpenKey("SOFTWARE\\talmaran\\t_reg", false);
             r.WriteString("UserPath", "");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.damage();
        MessageRecorder rec;
        auto form = startIn(dir);
        settle();
        ASSERT_EQ(rec.messages.size(), 1u);
        EXPECT_EQ(
            rec.messages[0].text,
            w1251("Отсутствуют данные в регистрационной базе данных. Переустановите программу."));
        EXPECT_EQ(rec.messages[0].caption, w1251("ТЕВАН"));
        EXPECT_EQ(rec.messages[0].icon, MsgIcon::Stop);
        EXPECT_TRUE(form->BookUnavailable);
        EXPECT_FALSE(form->isVisible());
    }
}

TEST(StartUp, DamagedBooksNeverCrash) {
    struct Case {
        const char* what;
        const char* file; // inside the book copy
        std::string bytes;
        bool closes;         // the book cannot be shown: message and the window closes
        const char* message; // part of the one message expected (UTF-8), or nullptr for none
    };
    const Case cases[] = {
        {"depth jump in contents", "base/contents.txt", "a\r\n\t\tb\r\n", true, "2"},
        {"0-byte contents", "base/contents.txt", "", false, nullptr},
        {"garbage offsets", "base/offset1.txt", "\x01\xff#zz\r\n-\r\n#\r\n99999999999999\r\n",
         false, nullptr},
        {"offsets past the store", "base/offset1.txt", "500000\r\n900000\r\n2000000\r\n", false,
         nullptr},
        {"empty page store", "1.htm", "", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        installCopy(sampleBook(), dir, "t_damaged");
        dir.write(std::string("book/") + c.file, c.bytes);
        MessageRecorder rec;
        auto form = startIn(dir);
        settle();
        if (c.message) {
            ASSERT_EQ(rec.messages.size(), 1u);
            EXPECT_NE(utf8(rec.messages[0].text).find(c.message), std::string::npos)
                << utf8(rec.messages[0].text);
        } else {
            EXPECT_TRUE(rec.messages.empty());
        }
        EXPECT_EQ(form->isVisible(), !c.closes);
        // Whatever the tree holds, opening its entries and walking on does not crash.
        for (int i = 0; i < form->Book.contents().count(); ++i) {
            form->KatalogFill->select(i);
            form->KatalogDblClick();
            form->ViewerHotSpotTargetClick("kovrex_next");
        }
    }
}

TEST(StartUp, SplashOnlyWithSlashBmpAndShopMenuByMarker) {
    struct Case {
        const char* what;
        std::vector<const char*> files; // files put in the working folder
        bool splash, shopMenu;
    };
    const Case cases[] = {
        {"nothing", {}, false, true},
        {"splash.bmp alone", {"splash.bmp"}, false, true},
        {"slash.bmp without its picture", {"slash.bmp"}, true, true},
        {"e-library hidden", {"stopbibl.bin"}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        installCopy(sampleBook(), dir, "t_splash");
        for (const std::string f : c.files) {
            if (f == "stopbibl.bin")
                dir.write("book/" + f, "");
            else
                fs::copy_file(fs::path(EBOOK_SOURCE_DIR "/samples/program") / f,
                              dir.file("book/" + f));
        }
        // A modal splash runs its own event loop: a queued look finds it there.
        bool sawSplash = false;
        QTimer::singleShot(
            0, [&] { sawSplash = qobject_cast<TSplash*>(QApplication::activeModalWidget()); });
        auto form = startIn(dir);
        EXPECT_EQ(sawSplash, c.splash);
        EXPECT_EQ(form->MenuShopEntry->isVisible(), c.shopMenu);
        EXPECT_FALSE(form->ToolbarButton9718->isHidden());
    }
}

TEST(StartUp, SplashShowsItsPictureForTwoSeconds) {
    TempDir dir;
    fs::copy_file(EBOOK_SOURCE_DIR "/samples/program/splash.bmp", dir.file("splash.bmp"));
    QDir::setCurrent(QString::fromStdString(dir.path()));
    TSplash splash(nullptr);
    EXPECT_EQ(splash.Timer1.interval(), 2000);
    const QImage picture(QString::fromStdString(dir.file("splash.bmp")));
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(splash.Image->pixmap().size(), picture.size());
}

TEST(StartUp, ClosingKeepsThePlacementUnderTheUserBookKey) {
    TempDir dir;
    installCopy(sampleBook(), dir, "t_place");
    auto form = startIn(dir);
    form->resize(777, 555);
    form->close();
    TRegistry user(HKEY_CURRENT_USER);
    ASSERT_TRUE(user.OpenKeyReadOnly("SOFTWARE\\talmaran\\t_place"));
    EXPECT_EQ(user.ReadInteger("Width").value_or(0), 777);
    EXPECT_EQ(user.ReadInteger("Height").value_or(0), 555);
}

TEST(StartUp, BookFontsGoToTheUsersFontFolder) {
    TempDir dir;
    installCopy(sampleBook(), dir, "t_fonts");
    const fs::path font = "/usr/share/fonts/truetype/liberation2/LiberationSerif-Italic.ttf";
    if (!fs::exists(font)) GTEST_SKIP() << "no font file to install";
    fs::create_directories(dir.file("book/fonts/sub"));
    fs::copy_file(font, dir.file("book/fonts/BookSerif.ttf"));
    fs::copy_file(font, dir.file("book/fonts/.hidden.ttf"));
    fs::copy_file(font, dir.file("book/fonts/sub/inner.ttf"));
    MessageRecorder rec;
    auto form = startIn(dir);
    const fs::path folder = fontFolder();
    EXPECT_TRUE(fs::exists(folder / "BookSerif.ttf"));
    EXPECT_FALSE(fs::exists(folder / ".hidden.ttf"));
    EXPECT_FALSE(fs::exists(folder / "inner.ttf"));
    // A second opening finds the font there and leaves it alone.
    const auto written = fs::last_write_time(folder / "BookSerif.ttf");
    form->OpenBook(readerPath(dir.file("book")));
    EXPECT_EQ(fs::last_write_time(folder / "BookSerif.ttf"), written);
    EXPECT_TRUE(rec.messages.empty());
}
