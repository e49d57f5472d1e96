#pragma once

#include "platform/Clipboard.h"
#include "platform/Connection.h"
#include "platform/EventLoop.h"
#include "platform/Prompts.h"
#include "platform/ShellOpen.h"

#include <functional>

class QStandardItemModel;

namespace tabulant::ui {

// What the preview window and its dialogs share with each other and with the rest of the program.
// It outlives every window it serves: the values below keep their contents while the windows
// come and go. Thread: the user-interface thread.
struct PreviewContext {
    platform::Prompts& prompts;
    platform::Clipboard& clipboard;
    platform::ShellOpen& shellOpen;
    platform::EventLoop& eventLoop;
    // The main window's PostgreSQL connection of the current run; may answer null.
    std::function<platform::Connection*()> connection;
    // Sets the main window's SQLFormOK to true.
    std::function<void()> setSQLFormOK;
    // The 1-based line whose execution failed last; 0 until a statement has failed.
    int ErrorLine = 0;
    // The 1-based line the edit dialog writes back to.
    int ListLine = 0;
    // The rows of the datatype view; they outlast the view, so it can be opened again.
    QStandardItemModel* datatypeRows = nullptr;
};

} // namespace tabulant::ui
