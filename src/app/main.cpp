// Program entry: the command line names the scheme folder; the main window opens the book.
#include "app/Main.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("ИД \"Тальмаран\""));
    TForm1 form;
    form.setWindowTitle(QStringLiteral("ИД \"Тальмаран\""));
    form.show();
    return app.exec();
}
