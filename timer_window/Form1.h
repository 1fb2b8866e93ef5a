#pragma once

#include "app/controls.h"

#include <array>

class QTimer;
template <class> class WindowSlot;

// The timer window: a borderless black strip of six digit pictures and two colons that counts the
// talk down in green and the overtime up in magenta.
class Form1 final : public TwipsWindow {
    Q_OBJECT
public:
    Form1();

    // The controls, front to back within each container.
    PictureBox* Picture2 = nullptr;
    LabelControl* Label2 = nullptr;        // mouse surface over the whole strip
    std::array<ImageControl*, 6> Image1{}; // digit slots, left to right
    std::array<ImageControl*, 2> Image2{}; // colon slots
    LazyTextBox* Text1 = nullptr;          // hidden second detector
    QTimer* Timer1 = nullptr;
    std::array<ImageControl*, 11> Image3{}; // magenta digits 0..9 and colon: overtime
    std::array<ImageControl*, 11> Image4{}; // green digits 0..9 and colon: countdown
    LabelControl* Label1 = nullptr;         // the displayed "hh:mm:ss"

private Q_SLOTS:
    void Form_Load();
    void Timer1_Timer();
    void Text1_Change();
    void Label1_Click();
    void Label2_Click();
    void Label2_DblClick();
    void Label2_MouseUp(int button, int shift, double x, double y);

private:
    friend class WindowSlot<Form1>;

    void DrawCountdownDigits();
    void DrawOvertimeDigits();
    void drawDigits(const std::array<ImageControl*, 11>& set);
    void watchScreens();
    void bringBackIfLost();
};
