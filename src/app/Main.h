// The main window: owns the open book and the reading state.
#pragma once

#include <QMainWindow>

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;
};

// The process-wide reference other windows use to reach the open book.
extern TForm1* Form1;
