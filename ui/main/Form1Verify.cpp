#include "Form1.h"

#include "engine/verify/Verifier.h"
#include "shell/core/Trap.h"

namespace tabulant::ui {

namespace {

// The progress bar while the verifier reads: the table and how far through its rows it is.
class BarView final : public engine::verify::VerifyView {
public:
    explicit BarView(engine::RunView& view) : view_(view) {}

    void TableStarted(std::string_view table, std::int64_t) override {
        view_.SetProgressText("Please wait.. Verifying table " + std::string(table));
        view_.SetProgressValue(0);
        shown_ = 0;
    }
    void RowRead(std::int64_t done, std::int64_t rows) override {
        if (rows <= 0) return;
        const int percent = static_cast<int>(done * 100 / rows);
        if (percent == shown_) return;
        view_.SetProgressValue(percent);
        shown_ = percent;
    }

private:
    engine::RunView& view_;
    int shown_ = 0;
};

} // namespace

// After the run has said "Done.": proves what arrived and shows the report. The button does
// nothing meanwhile, since the verifier yields to the event loop as the run does.
void Form1::TableStarted(std::string_view table) { convertedTables_.emplace_back(table); }

void Form1::VerifyConversion() {
    // Every table was answered No: the server holds what it held, nothing was sent to prove.
    if (convertedTables_.empty()) return;
    shell::Trap trap(s_.prompts, "Form1.VerifyConversion");
    verifying_ = true;
    trap(100, [&] { SetBusy(true); });
    BarView bar(*this);
    engine::verify::VerifyReport report;
    trap(102, [&] {
        engine::verify::Verifier verifier({s_.connections, s_.prompts, s_.events, s_.regional});
        report = verifier.Run({*this, Policy(), convertedTables_, {}}, &bar);
    });
    trap(104, [&] { SetBusy(false); });
    trap(106, [&] { SetProgressValue(0); });
    trap(108, [&] { SetProgressText("Progress Bar"); });
    verifying_ = false;
    if (reportViewer_) trap(110, [&] { reportViewer_(std::move(report)); });
}

} // namespace tabulant::ui
