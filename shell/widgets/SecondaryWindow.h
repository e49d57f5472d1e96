#pragma once

#include "shell/core/Trap.h"

#include <string_view>

class QWidget;

namespace tabulant::shell {

class WindowPointer;

// The opening steps every secondary window (preview, find and replace, edit line, datatypes)
// starts its Form_Load with, each a numbered step of the caller's trapped handler:
//
//     firstLine       SetWindowColors on the window
//     firstLine + 2   the application icon
//     firstLine + 4   the title: role, " - ", the product name ("SQL Preview - Tabulant")
//     firstLine + 6   if HAND-M.CUR exists in the program folder,
//     firstLine + 8     load it as the window's custom (hand) pointer
//
// A cursor file that exists but cannot be loaded is reported from firstLine + 8 and the window
// opens without the hand. Returns the next free step number (firstLine + 10).
//
//     shell::Trap trap(prompts, "Form3.Form_Load");
//     int line = shell::SetUpSecondaryWindow(trap, *this, pointer_, "Find and Replace");
int SetUpSecondaryWindow(Trap& trap, QWidget& window, WindowPointer& pointer, std::string_view role,
                         int firstLine = 100);

// The hand pointer step on its own (the main window numbers it differently): if the cursor file
// exists (step conditionLine), load it into the pointer (step loadLine).
void LoadHandPointer(Trap& trap, WindowPointer& pointer, int conditionLine, int loadLine);

} // namespace tabulant::shell
