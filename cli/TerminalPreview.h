#pragma once

#include "CommandLine.h"
#include "Terminal.h"
#include "engine/RunPorts.h"

#include <optional>
#include <string>

namespace tabulant::cli {

// The preview side of the run on a terminal. The terminal converts directly, so no preview is
// ever shown; the datatype rows the run fills are printed with --verbose, one line per field
// ("Table.Field: Access type -> PostgreSQL type", or "left out").
// Thread: the one thread of the program.
class TerminalPreview final : public engine::PreviewPort {
public:
    TerminalPreview(Terminal& terminal, Verbosity verbosity)
        : terminal_(terminal), verbose_(verbosity == Verbosity::Verbose) {}
    ~TerminalPreview() override { flush(); }

    void ClearPreviewList() override {}
    void AddPreviewLine(std::string) override {}
    void ClearDatatypeConversionList() override { flush(); }
    void AddDatatypeRow(std::string_view table, std::string_view field) override;
    void SetLastDatatypeRow(std::string_view accessType, std::string_view postgresType) override;
    engine::PreviewOutcome ShowPreview(platform::Connection*) override {
        return engine::PreviewOutcome::Ended;
    }

private:
    void flush();

    Terminal& terminal_;
    bool verbose_;
    // A field's row waits for its types; a field the table leaves out never gets them.
    std::optional<std::string> pending_;
};

} // namespace tabulant::cli
