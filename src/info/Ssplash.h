// The splash window shown while the main window is created, when the book provides one.
#pragma once

#include <QDialog>
#include <QTimer>

class QLabel;

class TSplash : public QDialog {
    Q_OBJECT
  public:
    // Shows "splash.bmp" of the current (working) folder for two seconds; without a readable
    // picture it closes at once.
    explicit TSplash(QWidget* owner);

    QLabel* Image;
    QTimer Timer1;
};
