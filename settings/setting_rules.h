#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The four stored values: their names, the text each is written as, and how each is read back.
// Every value is text; an absent key reads as empty text, and empty text as the number 0.
namespace setting_rules {

// Application and section name of every value.
inline constexpr std::string_view application = "quorvy";
inline constexpr std::string_view section = "quorvy";

inline constexpr std::string_view time = "time"; // minutes of the last start
inline constexpr std::string_view left = "left"; // timer window's left edge, twips
inline constexpr std::string_view top = "top";   // timer window's top edge, twips
inline constexpr std::string_view exitCount = "cs";

// "time" shown in the minutes box at load: the number of the stored text, "30" when that is 0.
std::string minutesShown(std::string_view stored);

// The minutes stored at a start: the number of the minutes box's text, written as a double.
std::string minutesStored(std::string_view minutesBoxText);

// "left" read back: the number of the text; 0 (absent, empty, not a number) means 4000 twips.
double leftOf(std::string_view stored);

// "top" read back: the whole number of the text, halves to even. Read into 32 bits, so that a place on
// a screen far below the first (a projector under a tall laptop screen) comes back; beyond 32 bits it
// throws the overflow error. The text written is the same as ever.
std::int32_t topOf(std::string_view stored);

// "left" and "top" are written from the window's position as single-precision twips.
std::string positionText(double twips);

// The exit counter after one more exit, at most 30. A counter that cannot be read or raised within
// 16 bits never stops the exit: unreadable or out of range counts as 0, and 32767 stays and is cut to 30.
std::string raisedExitCount(std::string_view stored);

} // namespace setting_rules
