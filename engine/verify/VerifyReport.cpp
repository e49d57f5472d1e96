#include "VerifyReport.h"

#include <algorithm>

namespace tabulant::engine::verify {

std::vector<std::string> TableCheck::DifferingColumns() const {
    std::vector<std::string> names;
    for (const ColumnCheck& c : columns)
        if (c.Differs()) names.push_back(c.name);
    return names;
}

int VerifyReport::Count(TableCheck::State state) const {
    return static_cast<int>(std::count_if(tables.begin(), tables.end(),
                                          [&](const TableCheck& t) { return t.state == state; }));
}

int VerifyReport::ExitStatus() const {
    if (Count(TableCheck::State::Different) > 0 || Count(TableCheck::State::Missing) > 0) return 1;
    if (!problem.empty() || Count(TableCheck::State::NotVerified) > 0) return 2;
    return 0;
}

} // namespace tabulant::engine::verify
