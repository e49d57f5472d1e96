#pragma once

#include "platform/Clipboard.h"
#include "platform/ShellOpen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tabulant::testing {

// The clipboard as the user would find it afterwards; `busyAttempts` makes that many attempts
// fail first, as a clipboard held by another program would.
class FakeClipboard final : public platform::Clipboard {
public:
    std::optional<std::string> text; // nothing: never set since the last clear
    int busyAttempts = 0;
    int attempts = 0;
    int clears = 0;

    bool Clear() override {
        ++attempts;
        if (busyAttempts > 0) {
            --busyAttempts;
            return false;
        }
        ++clears;
        text.reset();
        return true;
    }
    bool SetText(std::string_view t, int) override {
        ++attempts;
        if (busyAttempts > 0) {
            --busyAttempts;
            return false;
        }
        text = std::string(t);
        return true;
    }
};

class FakeShellOpen final : public platform::ShellOpen {
public:
    std::vector<std::string> opened;
    bool answer = true; // false: there is no program for the link
    bool Open(std::string_view url) override {
        opened.emplace_back(url);
        return answer;
    }
};

inline void Click(QWidget& window, const char* name) {
    auto* button = window.findChild<QAbstractButton*>(name);
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Runs `action` on the next modal window that opens above the one active now (from a timer, so
// that a blocking exec() can be driven). Gives up after a few seconds; the test then fails on
// what it expected the action to do.
inline void OnNextModal(std::function<void(QWidget&)> action, int giveUpAfterMs = 5000) {
    QWidget* before = QApplication::activeModalWidget();
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, before, action, giveUpAfterMs] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal && modal != before && modal->isVisible();
        if (!found && clock->elapsed() < giveUpAfterMs) return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (found) action(*modal);
    });
    timer->start(5);
}

// Closes the modal window by its close box once `action` has run, if the action left it open.
inline void OnNextModalThenClose(std::function<void(QWidget&)> action, int giveUpAfterMs = 5000) {
    OnNextModal(
        [action](QWidget& w) {
            action(w);
            if (w.isVisible()) w.close();
        },
        giveUpAfterMs);
}

} // namespace tabulant::testing
