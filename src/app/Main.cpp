#include "app/Main.h"

TForm1* Form1 = nullptr;

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    Form1 = this;
    resize(1000, 700);
}

TForm1::~TForm1() {
    if (Form1 == this) Form1 = nullptr;
}
