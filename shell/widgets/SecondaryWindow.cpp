#include "SecondaryWindow.h"

#include "ApplicationIcon.h"
#include "CursorFile.h"
#include "WindowColors.h"
#include "WindowPointer.h"
#include "shell/core/Helpers.h"
#include "shell/core/Product.h"

#include <QWidget>

namespace tabulant::shell {

int SetUpSecondaryWindow(Trap& trap, QWidget& window, WindowPointer& pointer, std::string_view role,
                         int firstLine) {
    trap(firstLine, [&] { SetWindowColors(window); });
    trap(firstLine + 2, [&] { window.setWindowIcon(ApplicationIcon()); });
    trap(firstLine + 4, [&] {
        std::string title(role);
        title.append(" - ").append(ProductName);
        window.setWindowTitle(QString::fromStdString(title));
    });
    LoadHandPointer(trap, pointer, firstLine + 6, firstLine + 8);
    return firstLine + 10;
}

void LoadHandPointer(Trap& trap, WindowPointer& pointer, int conditionLine, int loadLine) {
    const std::string path = HandCursorPath();
    if (trap.Condition(conditionLine, [&] { return FileExists(path); }))
        trap(loadLine,
             [&] { pointer.setCustomCursor(LoadCursorFile(QString::fromStdString(path))); });
}

} // namespace tabulant::shell
