#pragma once

class QApplication;
class QPixmap;
class QString;

// What the program and the widget tests set up once per process: the compiled-in pictures, the
// program's name, version and icon, its own locale, the substitutes for the window fonts, and a life
// that ends only on purpose.
void setUpApplication(QApplication& application);

// A compiled-in PNG picture, read by Qt's own PNG reader. A QIcon or QPixmap made from a file
// name first loads every image plugin in turn to ask it, costing start-up time and memory for plugins the
// program never uses.
QPixmap pngPicture(const QString& resource);
