#pragma once

#include "engine/RunPorts.h"
#include "platform/Clipboard.h"
#include "platform/Connection.h"
#include "platform/EventLoop.h"
#include "platform/Prompts.h"
#include "platform/ShellOpen.h"
#include "platform/StatementRunner.h"

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
    // What the showing under way runs its lines through (owned by the run or by the showing);
    // null between showings.
    platform::StatementRunner* statements = nullptr;
    // How the showing under way is being left; Ended until a command says otherwise.
    engine::PreviewOutcome outcome = engine::PreviewOutcome::Ended;
    // The 1-based line whose execution failed last; 0 until a statement has failed.
    int ErrorLine = 0;
    // The 1-based line the edit dialog writes back to.
    int ListLine = 0;
    // The rows of the datatype view; they outlast the view, so it can be opened again.
    QStandardItemModel* datatypeRows = nullptr;
};

} // namespace tabulant::ui
