// Form2's "Execute SQL": runs the lines one by one through the run's statements (each on its own,
// committed on its own) and stops at the first statement the server rejects. A line that has run is
// marked and not sent again by a later execution, so that the user can fix the rejected line and go
// on from there; the window closes (the execution ran to its end) once every non-blank line has
// run.

#include "Form2.h"

#include "PreviewListModel.h"
#include "PreviewText.h"
#include "shell/widgets/WindowPointer.h"

#include "shell/core/ErrorReport.h"
#include "shell/core/Trap.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTableView>

#include <cmath>

namespace tabulant::ui {

namespace {

// The handler's own failure handling: a failure whose description names an SQLException ends the
// execution at the current line; any other is reported like a trapped step and passed over.
class ExecutionSteps {
public:
    explicit ExecutionSteps(shell::Trap& trap) : trap_(trap) {}

    bool stopped() const { return stopped_; }
    const std::string& stopDescription() const { return description_; }

    // Runs a step unless the execution has stopped; answers whether it may go on.
    template <class Step> bool operator()(int line, Step&& step) {
        if (stopped_) return false;
        try {
            step();
        } catch (const std::exception& e) {
            failed(line, shell::DescriptionOf(e));
        } catch (...) {
            failed(line, "Unknown failure");
        }
        return !stopped_;
    }

    // A condition that fails counts as true, as in every trapped handler.
    template <class Test> bool Condition(int line, Test&& test) {
        bool result = true;
        (*this)(line, [&] { result = static_cast<bool>(test()); });
        return result;
    }

private:
    void failed(int line, std::string description) {
        if (IsStoppingFailure(description)) {
            stopped_ = true;
            description_ = std::move(description);
        } else {
            trap_.report(line, description);
        }
    }

    shell::Trap& trap_;
    bool stopped_ = false;
    std::string description_;
};

} // namespace

void Form2::PushButton1_Click() {
    if (executing_) return;
    shell::Trap trap(context_.prompts, "Form2.PushButton1_Click");
    ExecutionSteps step(trap);
    PreviewLines& lines = model_->lines();
    int n = 0;

    if (step.Condition(100, [&] { return lines.empty(); })) {
        if (step(102, [&] { context_.prompts.Message("No SQL to run."); })) return;
    }
    if (!step.stopped()) {
        setExecuting(true);
        model_->publish();
        step(104, [&] { pointer_->set(shell::WindowPointer::Busy); });
        int m = 0;
        step(106, [&] { m = static_cast<int>(lines.size()); });
        bool everyLineRan = true;
        platform::ConnectionStatements closed(nullptr);
        platform::StatementRunner& statements = context_.statements ? *context_.statements : closed;
        // The bar is only seen when events run: between two rounds of them it is left alone
        // rather than given a text and a value per line.
        std::uint64_t shownAt = context_.eventLoop.rounds() - 1;
        // Lines marked as run are announced to the list the same way, a round's worth at once.
        std::size_t announced = 0;
        const auto announce = [&](std::size_t upTo) {
            if (upTo <= announced) return;
            model_->linesChanged(announced, upTo);
            announced = upTo;
        };
        for (n = 1; n <= m && !step.stopped(); ++n) {
            const auto index = static_cast<std::size_t>(n - 1);
            step(108, [&] { context_.eventLoop.yield(); });
            if (shownAt != context_.eventLoop.rounds() || n == m) {
                shownAt = context_.eventLoop.rounds();
                announce(index);
                const auto count = static_cast<double>(lines.size());
                step(110,
                     [&] { progress_->setValue(static_cast<int>(std::lround(n / count * 100))); });
                step(112, [&] {
                    progress_->setFormat(
                        QString("Please wait.. Processing row: %1 of %2").arg(n).arg(lines.size()));
                });
            }
            if (step.Condition(114, [&] { return TrimSpaces(lines.line(index)).empty(); }))
                continue;
            if (lines.ran(index)) continue;
            step(116, [&] {
                statements.Run(lines.line(index));
                lines.setRan(index, true);
            });
            if (!step.stopped() && !lines.ran(index)) everyLineRan = false;
        }
        announce(lines.size());
        if (step.stopped()) --n; // the line being processed, not the one after it
        setExecuting(false);
        // Lines passed over after a failure of another kind have not run: the window stays.
        if (!step.stopped() && !everyLineRan) {
            step(120, [&] { pointer_->set(shell::WindowPointer::Default); });
            step(122, [&] { setProgress(0, "Progress Bar"); });
            return;
        }
    }
    if (!step.stopped()) {
        step(118, [&] { context_.outcome = engine::PreviewOutcome::RanToEnd; });
        step(120, [&] { pointer_->set(shell::WindowPointer::Default); });
        step(122, [&] { setProgress(0, "Progress Bar"); });
        step(124, [&] { close(); });
    }
    if (step.stopped()) stopAt(n, step.stopDescription());
}

void Form2::stopAt(int n, const std::string& description) {
    shell::Trap trap(context_.prompts, "Form2.PushButton1_Click");
    setExecuting(false);
    trap(130, [&] { context_.ErrorLine = n; });
    trap(132, [&] {
        selectLine(n);
        revealLine(n);
    });
    trap(134, [&] { text1_->setPlainText(QString::fromStdString(description)); });
    trap(136, [&] {
        pointer_->set(shell::WindowPointer::Default);
        setProgress(0, "Progress Bar");
    });
    trap(138, [&] { context_.prompts.Message("Error found."); });
}

} // namespace tabulant::ui
