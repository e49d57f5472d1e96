#pragma once

#include "engine/RunPorts.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tabulant::fakes {

// The preview window and the datatype list as the run fills them. ShowPreview records what the
// window would show and runs `onShow`, where a test plays the user and answers how the window was
// left (Back, the close box: Ended; Skip Table; an execution that ran to its end); without
// `onShow` the window is left by Back. `executeOn` is the connection of the showing under way.
// With keepLines false only the number and size of the lines are kept, for runs of millions of
// statements.
class FakePreview final : public engine::PreviewPort {
public:
    using DatatypeRow = std::array<std::string, 4>;

    bool keepLines = true;
    std::function<engine::PreviewOutcome(FakePreview&)> onShow;
    platform::Connection* executeOn = nullptr;

    std::vector<std::string> lines;
    std::vector<DatatypeRow> datatypeRows;
    std::vector<std::vector<std::string>> shown; // the lines at each ShowPreview
    std::int64_t lineCount = 0;                  // lines added since the last clear
    std::int64_t bytes = 0;
    int clears = 0;

    void ClearPreviewList() override;
    void AddPreviewLine(std::string line) override;
    void ClearDatatypeConversionList() override { datatypeRows.clear(); }
    void AddDatatypeRow(std::string_view table, std::string_view field) override;
    void SetLastDatatypeRow(std::string_view accessType, std::string_view postgresType) override;
    engine::PreviewOutcome ShowPreview(platform::Connection* connection) override;
};

} // namespace tabulant::fakes
