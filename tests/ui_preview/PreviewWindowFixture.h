#pragma once

#include "Form2.h"
#include "PreviewListModel.h"
#include "PreviewWindows.h"

#include "PreviewTestSupport.h"
#include "fakes/RecordingConnection.h"
#include "fakes/ScriptedPrompts.h"

#include "platform/qt/QtEventLoop.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableView>

#include <functional>
#include <string>
#include <vector>

namespace tabulant::testing {

// The preview windows with fake message boxes, clipboard and shell, over a connection the test
// chooses (a recording fake unless told otherwise), and how the last showing was left.
struct PreviewWindowFixture {
    fakes::ScriptedPrompts prompts;
    FakeClipboard clipboard;
    FakeShellOpen shell;
    platform::QtEventLoop events;
    fakes::RecordingServer server;
    fakes::RecordingConnection recording{server};
    platform::Connection* connection = &recording;
    engine::PreviewOutcome outcome = engine::PreviewOutcome::Ended;
    ui::PreviewWindows windows{prompts, clipboard, shell, events};

    PreviewWindowFixture() {
        recording.Open("");
        events.setInterval(std::chrono::milliseconds(0));
    }

    void fill(const std::vector<std::string>& lines) {
        windows.ClearPreviewList();
        for (const std::string& line : lines) windows.AddPreviewLine(line);
    }

    // Shows the preview as the run does and plays the user in it; returns when the window has
    // closed (the helper closes it by its close box when the action left it open).
    void show(std::function<void(ui::Form2&)> action) {
        bool ran = false;
        OnNextModalThenClose([action, &ran](QWidget& w) {
            ran = true;
            action(static_cast<ui::Form2&>(w));
        });
        outcome = windows.ShowPreview(connection);
        QVERIFY2(ran, "the preview window was not shown modally");
    }

    // The last showing's execution ran to its end.
    bool ranToEnd() const { return outcome == engine::PreviewOutcome::RanToEnd; }

    static std::vector<std::string> lines(ui::Form2& w) {
        std::vector<std::string> out;
        const ui::PreviewLines& l = w.PreviewList().lines();
        for (std::size_t i = 0; i < l.size(); ++i) out.emplace_back(l.line(i));
        return out;
    }
    static int selectedLine(ui::Form2& w) {
        const QModelIndexList rows = w.ListView1().selectionModel()->selectedRows();
        return rows.isEmpty() ? 0 : rows.first().row() + 1;
    }
    static QString errorText(ui::Form2& w) {
        return w.findChild<QPlainTextEdit*>("Text1")->toPlainText();
    }
    static QProgressBar& progress(ui::Form2& w) {
        return *w.findChild<QProgressBar*>("ProgressBar1");
    }
    static void clickLine(ui::Form2& w, int n) {
        QTableView& list = w.ListView1();
        const QRect r = list.visualRect(w.PreviewList().index(n - 1, 0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          QPoint(r.right() - 10, r.center().y()));
    }
};

inline std::vector<std::string> Numbered(int count, const std::string& prefix = "SELECT ") {
    std::vector<std::string> out;
    for (int i = 1; i <= count; ++i) out.push_back(prefix + std::to_string(i));
    return out;
}

} // namespace tabulant::testing
