#pragma once

#include <string_view>

namespace tabulant::ui {

// The conversions the main window applies to stored settings when it opens. Both throw
// platform::Error (13 "Type mismatch", 6 "Overflow") for text they cannot read, so the opening
// reports the step and the control keeps its design state.

// A whole number: optional blanks, sign, digits, optional fraction rounded half to even (a
// stored "1.0" still reads as 1), within the 16-bit range of a check box's value.
int WholeNumberSetting(std::string_view text);

// "True" or "False" in any letter case, or a number, where any value but zero is true.
bool BooleanSetting(std::string_view text);

} // namespace tabulant::ui
