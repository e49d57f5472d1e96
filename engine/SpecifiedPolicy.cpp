#include "SpecifiedPolicy.h"

namespace tabulant::engine {

SpecifiedPolicy::SpecifiedPolicy(const PolicyServices& services)
    : schema_(services.schema), createTable_(services.preview, services.events, services.schema),
      rows_(services.regional, services.events, services.schema), create_(1) {}

const std::vector<std::string>& SpecifiedPolicy::CreateTable(shell::Trap& trap,
                                                             const SourceTable& table) {
    createTable_.Build(trap, table.name, table.records);
    // A failed step leaves the statement as it was, so the copy is made whatever happened.
    create_.front() = createTable_.Statement();
    return create_;
}

void SpecifiedPolicy::StartRows(shell::Trap& trap, std::string_view table) {
    rows_.Start(trap, table, createTable_.NumericColumns());
}

const std::string& SpecifiedPolicy::RowStatement(shell::Trap& trap,
                                                 const platform::Recordset& records) {
    rows_.BuildRow(trap, records);
    return rows_.Statement();
}

} // namespace tabulant::engine
