#pragma once

#include "app/controls.h"

#include <array>

class QAction;
class QCloseEvent;
class QCursor;
class QShowEvent;
class QMenu;
class QTimer;
template <class> class WindowSlot;

// The control panel: the presenter types the minutes and starts the countdown or leaves the program.
// It also owns the menu that the timer window offers on a right click.
class Form2 final : public TwipsWindow {
    Q_OBJECT
public:
    Form2();

    // The controls, front to back.
    QTimer* Timer1 = nullptr;              // blinks Label7 once a second
    std::array<PictureBox*, 2> Picture1{}; // button faces: 0 start, 1 exit
    std::array<LabelControl*, 2> Label4{}; // their mouse surfaces
    std::array<LabelControl*, 2> Label2{}; // their captions
    std::array<ShapeControl*, 2> Shape1{}; // their outlines
    TextBox* Text1 = nullptr;              // the minutes
    LabelControl* Label3 = nullptr;        // link: the site address
    LabelControl* Label7 = nullptr;        // link: more software
    ImageControl* Image1 = nullptr;        // the group of people
    ShapeControl* Shape2 = nullptr;        // frame around Text1
    std::array<LabelControl*, 1> Label1{}; // the prompt

    // The menu the timer window pops up; never shown as a menu bar.
    QMenu* mu = nullptr;
    QAction* 刷新 = nullptr;
    QAction* 重新计时 = nullptr;
    QAction* 关闭 = nullptr;

    // Colours of the buttons and of the blinking link.
    static QColor buttonAtRest() { return {247, 251, 255}; }
    static QColor linkColour1() { return {0, 128, 128}; }
    static QColor linkColour2() { return {35, 165, 212}; }

    static QCursor handCursor(qreal scale);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private Q_SLOTS:
    void Form_Load();
    void Timer1_Timer();
    void Label3_Click();
    void Label7_Click();

private:
    friend class WindowSlot<Form2>;

    void Label4_MouseDown(int index);
    void Label4_MouseUp(int index);
    void Form_Unload();
    void 刷新_Click();
    void 重新计时_Click();
    void 关闭_Click();
    void startTiming();

    qreal cursorScale_ = 0; // the scale the link labels' hand cursor was drawn for
};
