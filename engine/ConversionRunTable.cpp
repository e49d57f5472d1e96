#include "ConversionRun.h"

#include "SqlText.h"
#include "shell/core/Helpers.h"

namespace tabulant::engine {

// Steps 336/338 and 420 to 432 of the row loop, which belong to the run: the progress bar and
// where each statement goes.
class ConversionRun::Sink final : public RowSink {
public:
    Sink(ConversionRun& run, shell::Trap& trap) : run_(run), trap_(trap) {}

    void Progress(int percent) override {
        // Setting the value the bar already shows changes nothing; skipping it spares the
        // window a call per row on large tables.
        if (percent == shown_) return;
        run_.window_.SetProgressValue(percent);
        shown_ = percent;
    }
    void Statement(const std::string& statement) override {
        run_.HandStatement(trap_, 422, 432, statement);
    }

private:
    ConversionRun& run_;
    shell::Trap& trap_;
    int shown_ = -1;
};

void ConversionRun::HandStatement(shell::Trap& trap, int previewLine, int executeLine,
                                  const std::string& statement) {
    if (trap.Condition(previewLine - 2, [&] { return window_.PreviewEnabled(); }))
        trap(previewLine, [&] { preview_.AddPreviewLine(statement); });
    else
        trap(executeLine, [&] { Postgres().Execute(statement); });
}

bool ConversionRun::ConvertTable(shell::Trap& trap, int i) {
    trap(148, [&] { events_.yieldNow(); });
    trap(150, [&] { table_ = window_.List2().List(i); });
    if (trap.Condition(152, [&] {
            return shell::ListContainsText(window_.List1(), StoredTableName(table_));
        })) {
        trap(154, [&] {
            const auto pressed =
                prompts_.Question("Would you like to overwrite " + table_ + "?", "Overwrite?");
            answer_ = pressed == platform::Prompts::Answer::Yes ? Answer::Yes : Answer::No;
        });
    } else {
        trap(156, [&] { answer_ = Answer::None; });
    }

    if (!trap.Condition(158, [&] { return answer_ == Answer::No; })) {
        if (trap.Condition(160, [&] { return window_.Option2Selected(); })) {
            trap(162, [&] { preview_.ClearPreviewList(); });
            trap(164, [&] { preview_.ClearDatatypeConversionList(); });
        }
        if (trap.Condition(166, [&] { return answer_ == Answer::Yes; })) {
            if (trap.Condition(168, [&] { return window_.PreviewEnabled(); }))
                trap(170, [&] { preview_.AddPreviewLine(DropTableStatement(table_)); });
            else
                trap(172, [&] { Postgres().Execute(DropTableStatement(table_)); });
            trap(174, [&] {
                shell::ListRemoveText(window_.List1(), shell::LowerCase(StoredTableName(table_)));
            });
        }
        trap(176, [&] { window_.SetProgressText("Please wait.. Processing table " + table_); });
        trap(178, [&] { records_.Open(SelectAllStatement(table_), Access()); });

        createTable_.Build(trap, table_, records_);
        const std::string& create = createTable_.Statement();
        if (trap.Condition(320, [&] { return window_.PreviewEnabled(); }))
            trap(322, [&] { preview_.AddPreviewLine(create); });
        else
            trap(324, [&] { Postgres().Execute(create); });

        rows_.Start(trap, table_, createTable_.NumericColumns());
        Sink sink(*this, trap);
        rows_.WriteRows(trap, records_, sink);

        trap(438, [&] { records_.Close(); });
        trap(440, [&] { shell::StopAfterPreview = true; });
        if (trap.Condition(442, [&] { return window_.PreviewEnabled(); }) &&
            trap.Condition(444, [&] { return window_.Option2Selected(); })) {
            trap(446, [&] { preview_.ShowPreview(); });
            if (trap.Condition(448, [&] { return shell::StopAfterPreview; })) return false;
        }
    }
    trap(450, [&] { window_.SetProgressText(""); });
    return true;
}

} // namespace tabulant::engine
