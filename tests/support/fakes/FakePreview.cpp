#include "FakePreview.h"

#include <stdexcept>

namespace tabulant::fakes {

void FakePreview::ClearPreviewList() {
    lines.clear();
    lineCount = 0;
    ++clears;
}

void FakePreview::AddPreviewLine(std::string line) {
    ++lineCount;
    bytes += static_cast<std::int64_t>(line.size());
    if (keepLines) lines.push_back(std::move(line));
}

void FakePreview::AddDatatypeRow(std::string_view table, std::string_view field) {
    datatypeRows.push_back({std::string(table), std::string(field), {}, {}});
}

void FakePreview::SetLastDatatypeRow(std::string_view accessType, std::string_view postgresType) {
    if (datatypeRows.empty()) throw std::out_of_range("the datatype list has no row");
    datatypeRows.back()[2] = accessType;
    datatypeRows.back()[3] = postgresType;
}

engine::PreviewOutcome FakePreview::ShowPreview(platform::Connection* connection) {
    shown.push_back(lines);
    executeOn = connection;
    const engine::PreviewOutcome outcome = onShow ? onShow(*this) : engine::PreviewOutcome::Ended;
    executeOn = nullptr;
    return outcome;
}

} // namespace tabulant::fakes
