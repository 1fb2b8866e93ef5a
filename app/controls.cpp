#include "app/controls.h"

#include "app/twips.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <initializer_list>
#include <utility>

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

namespace {

// The code of a set of flags: the sum of the values of the flags that are set.
template <class Flags, class Flag>
int codeOf(Flags flags, std::initializer_list<std::pair<Flag, int>> values) {
    int code = 0;
    for (const auto& [flag, value] : values)
        if (flags & flag)
            code |= value;
    return code;
}

} // namespace

int mouseButtonCode(Qt::MouseButtons buttons) {
    return codeOf(buttons, {std::pair{Qt::LeftButton, 1}, {Qt::RightButton, 2}, {Qt::MiddleButton, 4}});
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    return codeOf(modifiers,
                  {std::pair{Qt::ShiftModifier, 1}, {Qt::ControlModifier, 2}, {Qt::AltModifier, 4}});
}

namespace {

double readBack(int pixels, const std::optional<double>& lastSet) {
    if (lastSet && twips::toPixels(*lastSet) == pixels)
        return *lastSet;
    return twips::fromPixels(pixels);
}

} // namespace

double TwipsWindow::Left() const {
    return readBack(frameGeometry().x(), left_);
}
double TwipsWindow::Top() const {
    return readBack(frameGeometry().y(), top_);
}
double TwipsWindow::Width() const {
    return readBack(frameGeometry().width(), width_);
}
double TwipsWindow::Height() const {
    return readBack(frameGeometry().height(), height_);
}

void TwipsWindow::setLeft(double value) {
    left_ = value;
    move(twips::toPixels(value), frameGeometry().y());
}

void TwipsWindow::setTop(double value) {
    top_ = value;
    move(frameGeometry().x(), twips::toPixels(value));
}

// Width and Height take in the window frame, as the position does.
void TwipsWindow::setWidth(double value) {
    width_ = value;
    const int frame = frameGeometry().width() - QWidget::width();
    resize(std::max(1, twips::toPixels(value) - frame), QWidget::height());
}

void TwipsWindow::setHeight(double value) {
    height_ = value;
    const int frame = frameGeometry().height() - QWidget::height();
    resize(QWidget::width(), std::max(1, twips::toPixels(value) - frame));
}

ImageControl::ImageControl(QWidget* parent, bool stretch) : QWidget(parent), stretch_(stretch) {}

const QPixmap& ImageControl::picture() const {
    if (!unreadFile_.isEmpty())
        picture_ = QPixmap(std::exchange(unreadFile_, QString()));
    return picture_;
}

void ImageControl::setPicture(const QPixmap& picture) {
    // The strip sets all its pictures every second, though most digits stay the same: only a changed
    // picture is drawn again, so a tick repaints one or two digits, not the whole strip.
    if (picture.cacheKey() == picture_.cacheKey() && !picture_.isNull())
        return;
    unreadFile_.clear();
    picture_ = picture;
    if (!stretch_ && !picture_.isNull())
        resize(picture_.deviceIndependentSize().toSize());
    update();
}

void ImageControl::setPictureFile(const QString& resource) {
    const QSize size = QImageReader(resource).size();
    picture_ = QPixmap();
    unreadFile_ = resource;
    if (!stretch_ && size.isValid())
        resize(size);
    update();
}

void ImageControl::paintEvent(QPaintEvent*) {
    const QPixmap& shown = picture();
    if (shown.isNull())
        return;
    QPainter painter(this);
    if (stretch_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), shown);
    } else {
        painter.drawPixmap(0, 0, shown);
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

LazyTextBox::LazyTextBox(QWidget* parent, const QString& text)
    : QWidget(parent), text_(text.left(lineEditMaxLength)) {}

QString LazyTextBox::text() const {
    return editor_ ? editor_->text() : text_;
}

void LazyTextBox::setText(const QString& text) {
    if (editor_) {
        editor_->setText(text);
        return;
    }
    const QString held = text.left(lineEditMaxLength);
    if (held == text_)
        return;
    text_ = held;
    Q_EMIT Change();
}

TextBox& LazyTextBox::editor() {
    if (!editor_) {
        editor_ = new TextBox(this, std::exchange(text_, QString()));
        editor_->setGeometry(rect());
        // While the box is hidden this only lets the line edit come with it.
        editor_->show();
        setFocusProxy(editor_);
        connect(editor_, &TextBox::Change, this, &LazyTextBox::Change);
    }
    return *editor_;
}

// Measuring a text box takes its font, so it builds the line edit as showing it would.
QSize LazyTextBox::sizeHint() const {
    return const_cast<LazyTextBox*>(this)->editor().sizeHint();
}

QSize LazyTextBox::minimumSizeHint() const {
    return const_cast<LazyTextBox*>(this)->editor().minimumSizeHint();
}

void LazyTextBox::showEvent(QShowEvent*) {
    editor();
}

void LazyTextBox::resizeEvent(QResizeEvent*) {
    if (editor_)
        editor_->setGeometry(rect());
}
