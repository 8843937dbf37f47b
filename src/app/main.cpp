// Program entry: the command line names the scheme folder; the main window opens the book.
//
// Three environment variables serve tests and checks of the built program and are read here
// only:
//   EBOOK_MESSAGE_ANSWERS  comma-separated answers ("ok", "cancel", "yes", "no", "retry") given to
//                          the message boxes in turn instead of showing them; each box is printed
//                          to standard error as "MESSAGE <caption> | <text>" (UTF-8). When the
//                          list runs out every further box gets Cancel.
//   EBOOK_SCREENSHOT       a PNG file: once the window is on screen, it is saved there, each
//                          main-menu list beside it (<name>-menu1.png, ...), and the program ends.
//   EBOOK_AUTOQUIT         milliseconds after the window is shown at which the program ends.
#include "app/Main.h"
#include "platform/messages.h"
#include "platform/text.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>

namespace {

void installAnswerHook(const QString& list) {
    auto answers = std::make_shared<std::deque<int>>();
    for (const QString& word : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString w = word.trimmed().toLower();
        answers->push_back(w == QLatin1String("ok")      ? IDOK
                           : w == QLatin1String("yes")   ? IDYES
                           : w == QLatin1String("no")    ? IDNO
                           : w == QLatin1String("retry") ? IDRETRY
                                                         : IDCANCEL);
    }
    setMessageHook([answers](const MessageRecord& m) {
        std::fprintf(stderr, "MESSAGE %s | %s\n", cp1251ToUtf8(m.caption).c_str(),
                     cp1251ToUtf8(m.text).c_str());
        std::fflush(stderr);
        if (answers->empty()) return int(IDCANCEL);
        const int a = answers->front();
        answers->pop_front();
        return a;
    });
}

void saveScreens(TForm1& form, const QString& png) {
    form.grab().save(png);
    QString base = png;
    if (base.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) base.chop(4);
    int n = 0;
    for (QAction* top : form.menuBar()->actions()) {
        QMenu* menu = top->menu();
        if (!menu || !top->isVisible()) continue;
        menu->adjustSize();
        menu->grab().save(QStringLiteral("%1-menu%2.png").arg(base).arg(++n));
    }
}

} // namespace

int main(int argc, char** argv) {
    // The whole command line names the scheme folder; without one the program settles in its
    // "book" sub-folder and takes the "schema" folder there.
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    SchemeFolder = settleSchemeFolder(utf8ToCp1251(commandLine));

    int fakeArgc = 1; // the scheme folder is not for Qt's own option parser
    QApplication app(fakeArgc, argv);
    QApplication::setApplicationName(QStringLiteral("ebook"));
    QApplication::setApplicationDisplayName(QStringLiteral("ИД \"Тальмаран\""));
    if (const QByteArray answers = qgetenv("EBOOK_MESSAGE_ANSWERS"); !answers.isNull())
        installAnswerHook(QString::fromUtf8(answers));

    try {
        TForm1 form;
        form.show();
        const QString shot = qEnvironmentVariable("EBOOK_SCREENSHOT");
        const int quitMs = qEnvironmentVariableIntValue("EBOOK_AUTOQUIT");
        if (!shot.isEmpty())
            QTimer::singleShot(quitMs > 0 ? quitMs : 500, &form, [&form, shot] {
                saveScreens(form, shot);
                QApplication::quit();
            });
        else if (quitMs > 0)
            QTimer::singleShot(quitMs, &app, &QApplication::quit);
        return app.exec();
    } catch (const std::exception& e) {
        messageBox(utf8ToCp1251(e.what()), w1251("ИД \"Тальмаран\""), MsgIcon::Stop);
        return 1;
    }
}
