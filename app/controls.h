#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QWidget>

#include <optional>

// The small set of controls both windows are built from. Positions and sizes are given in twips.

// Moves a control's left edge, in twips, keeping its top.
void setLeftInTwips(QWidget& control, double left);

// A control's design font, by the family name the captions were designed for; missing families are
// substituted at start-up.
QFont designFont(const QString& family, double points, bool bold = false);

// Places a control by its twips box. Edges are converted one by one, so neighbours stay flush.
void placeInTwips(QWidget& control, double left, double top, double width, double height);

// A mouse button or modifier set as the handlers receive it: left 1, right 2, middle 4; shift 1, ctrl 2,
// alt 4.
int mouseButtonCode(Qt::MouseButtons buttons);
int shiftCode(Qt::KeyboardModifiers modifiers);

// A top-level window whose outer position and size are read and set in twips. A value the program set
// reads back exactly as set, as long as the window is still where that value put it; otherwise (after a
// drag) it is read in whole pixels.
class TwipsWindow : public QWidget {
public:
    double Left() const;
    double Top() const;
    double Width() const;
    double Height() const;
    void setLeft(double value);
    void setTop(double value);
    void setWidth(double value);
    void setHeight(double value);

private:
    std::optional<double> left_, top_, width_, height_;
};

// An image control: shows its picture stretched to its box, or at the picture's natural size.
class ImageControl final : public QWidget {
    Q_OBJECT
public:
    ImageControl(QWidget* parent, bool stretch);

    const QPixmap& picture() const;
    void setPicture(const QPixmap& picture);
    // Takes the picture of a compiled-in file: its size at once, from the file's header, and its pixels
    // only when the picture is first drawn or asked for, so a picture nobody has needed yet costs no
    // memory.
    void setPictureFile(const QString& resource);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Read on the first call of picture(), hence mutable.
    mutable QPixmap picture_;
    mutable QString unreadFile_;
    bool stretch_;
};

// A label with a transparent background. A caption-less one paints nothing and serves as a mouse
// surface over pictures. Its mouse events carry the button code, the modifier code and the point in twips.
class LabelControl final : public QLabel {
    Q_OBJECT
public:
    explicit LabelControl(QWidget* parent, const QString& caption = {});

    QColor foreColor() const;
    void setForeColor(const QColor& color);

Q_SIGNALS:
    void mouseDown(int button, int shift, double x, double y);
    void mouseUp(int button, int shift, double x, double y);
    void clicked();
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    bool leftPressed_ = false;
};

// A picture box: a child window with a plain background colour.
class PictureBox final : public QWidget {
    Q_OBJECT
public:
    PictureBox(QWidget* parent, const QColor& backColor);

    QColor backColor() const;
    void setBackColor(const QColor& color);
};

// A one-pixel rectangle outline with a transparent inside; the mouse passes through it.
class ShapeControl final : public QWidget {
    Q_OBJECT
public:
    ShapeControl(QWidget* parent, const QColor& borderColor);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor borderColor_;
};

// A text box whose Change is raised only when its text really changes, by the program or by typing.
class TextBox final : public QLineEdit {
    Q_OBJECT
public:
    TextBox(QWidget* parent, const QString& text);

Q_SIGNALS:
    void Change();
};

// A text box that holds its text until it is first shown or measured, and only then builds the line
// edit that shows it: a line edit lays its text out as soon as it is made, which loads the fonts, so a
// box nobody sees costs no font. Change is raised as a TextBox raises it, only when the text really
// changes. The line edit fills the box and takes its font, palette and focus.
class LazyTextBox final : public QWidget {
    Q_OBJECT
public:
    LazyTextBox(QWidget* parent, const QString& text);

    QString text() const;
    void setText(const QString& text);
    // The line edit, built on first use.
    TextBox& editor();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void Change();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What a line edit holds at most unless told otherwise; a longer text is cut.
    static constexpr int lineEditMaxLength = 32767;

    QString text_;
    TextBox* editor_ = nullptr;
};
