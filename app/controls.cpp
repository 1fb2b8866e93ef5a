#include "app/controls.h"

#include "app/twips.h"

#include <QMouseEvent>
#include <QPainter>

void placeInTwips(QWidget& control, double left, double top, double width, double height) {
    const int x = twips::toPixels(left);
    const int y = twips::toPixels(top);
    control.setGeometry(x, y, twips::toPixels(left + width) - x, twips::toPixels(top + height) - y);
}

QFont designFont(const QString& family, double points, bool bold) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setLeftInTwips(QWidget& control, double left) {
    control.move(twips::toPixels(left), control.y());
}

int mouseButtonCode(Qt::MouseButtons buttons) {
    int code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

namespace {

double readBack(int pixels, const std::optional<double>& lastSet) {
    if (lastSet && twips::toPixels(*lastSet) == pixels)
        return *lastSet;
    return twips::fromPixels(pixels);
}

} // namespace

double TwipsGeometry::left() const {
    return readBack(window_.frameGeometry().x(), left_);
}
double TwipsGeometry::top() const {
    return readBack(window_.frameGeometry().y(), top_);
}
double TwipsGeometry::width() const {
    return readBack(window_.frameGeometry().width(), width_);
}
double TwipsGeometry::height() const {
    return readBack(window_.frameGeometry().height(), height_);
}

void TwipsGeometry::setLeft(double value) {
    left_ = value;
    window_.move(twips::toPixels(value), window_.frameGeometry().y());
}

void TwipsGeometry::setTop(double value) {
    top_ = value;
    window_.move(window_.frameGeometry().x(), twips::toPixels(value));
}

void TwipsGeometry::setWidth(double value) {
    width_ = value;
    const int frame = window_.frameGeometry().width() - window_.width();
    window_.resize(std::max(1, twips::toPixels(value) - frame), window_.height());
}

void TwipsGeometry::setHeight(double value) {
    height_ = value;
    const int frame = window_.frameGeometry().height() - window_.height();
    window_.resize(window_.width(), std::max(1, twips::toPixels(value) - frame));
}

ImageControl::ImageControl(QWidget* parent, bool stretch) : QWidget(parent), stretch_(stretch) {}

void ImageControl::setPicture(const QPixmap& picture) {
    picture_ = picture;
    if (!stretch_ && !picture_.isNull())
        resize(picture_.deviceIndependentSize().toSize());
    update();
}

void ImageControl::paintEvent(QPaintEvent*) {
    if (picture_.isNull())
        return;
    QPainter painter(this);
    if (stretch_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), picture_);
    } else {
        painter.drawPixmap(0, 0, picture_);
    }
}

LabelControl::LabelControl(QWidget* parent, const QString& caption) : QLabel(caption, parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setContentsMargins(0, 0, 0, 0);
}

QColor LabelControl::foreColor() const {
    return palette().color(QPalette::WindowText);
}

void LabelControl::setForeColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void LabelControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        leftPressed_ = true;
    const QPointF p = event->position();
    Q_EMIT mouseDown(mouseButtonCode(event->button()), shiftCode(event->modifiers()), twips::perPixel * p.x(),
                     twips::perPixel * p.y());
}

void LabelControl::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    Q_EMIT mouseUp(mouseButtonCode(event->button()), shiftCode(event->modifiers()), twips::perPixel * p.x(),
                   twips::perPixel * p.y());
    // A click is a left press and release over the same control.
    if (event->button() == Qt::LeftButton && std::exchange(leftPressed_, false) &&
        rect().contains(p.toPoint()))
        Q_EMIT clicked();
}

void LabelControl::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        leftPressed_ = false;
        Q_EMIT doubleClicked();
    } else {
        mousePressEvent(event);
    }
}

PictureBox::PictureBox(QWidget* parent, const QColor& backColor) : QWidget(parent) {
    setAutoFillBackground(true);
    setBackColor(backColor);
}

QColor PictureBox::backColor() const {
    return palette().color(QPalette::Window);
}

void PictureBox::setBackColor(const QColor& color) {
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p);
}

ShapeControl::ShapeControl(QWidget* parent, const QColor& borderColor)
    : QWidget(parent), borderColor_(borderColor) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(borderColor_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TextBox::TextBox(QWidget* parent, const QString& text) : QLineEdit(text, parent) {
    // QLineEdit reports textChanged only when the text differs from what it holds.
    connect(this, &QLineEdit::textChanged, this, [this] { Q_EMIT Change(); });
}
