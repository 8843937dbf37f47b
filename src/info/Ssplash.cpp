#include "info/Ssplash.h"

#include "platform/paths.h"

#include <QFrame>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

TSplash::TSplash(QWidget* owner)
    : QDialog(owner, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog) {
    setObjectName(QStringLiteral("Splash"));
    setModal(true);
    resize(432, 355);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QFrame(this); // a double lowered bevel around the picture
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    auto* inner = new QVBoxLayout(panel);
    inner->setContentsMargins(2, 2, 2, 2);
    Image = new QLabel(panel);
    Image->setAlignment(Qt::AlignCenter);
    inner->addWidget(Image);
    layout->addWidget(panel);

    Timer1.setSingleShot(true);
    Timer1.setInterval(2000);
    QImage picture;
    if (!isReadable("splash.bmp") ||
        !picture.load(QString::fromStdString(nativePath("splash.bmp")))) {
        Timer1.setInterval(1); // nothing to show: close at once
    } else {
        Image->setPixmap(QPixmap::fromImage(picture));
        resize(picture.size() + QSize(8, 8)); // the picture plus the bevel
    }
    connect(&Timer1, &QTimer::timeout, this, &QDialog::accept);
    Timer1.start();

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}
