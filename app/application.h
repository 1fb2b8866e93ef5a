#pragma once

class QApplication;

// What the program and the widget tests set up once per process: the compiled-in pictures, the
// program's name, version and icon, its own locale, the substitutes for the window fonts, and a life
// that ends only on purpose.
void setUpApplication(QApplication& application);
