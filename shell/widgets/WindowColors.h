#pragma once

class QColor;
class QWidget;

namespace tabulant::shell {

// Gives the window, and each of its option buttons, check boxes, frames and labels, the system's
// button-face colour as background. Text boxes, lists, push buttons and progress bars keep theirs.
void SetWindowColors(QWidget& window);

// The same walk with any colour (the main window's white design colours use it).
void SetBackgroundColors(QWidget& window, const QColor& colour);

} // namespace tabulant::shell
