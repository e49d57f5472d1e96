#include "RowSums.h"

#include "ServerHash.h"

#include "platform/Error.h"

namespace tabulant::engine::verify {

void RowSums::Start(std::vector<ColumnForm> forms) {
    forms_ = std::move(forms);
    sums_.clear();
    rows_ = 0;
    rowSum_ = 0;
}

void RowSums::Add(std::string_view statement) {
    if (!ReadInsertValues(statement, literals_))
        throw platform::Error(-1, "A row statement could not be read back: " +
                                      std::string(statement.substr(0, 200)));
    if (rows_ == 0)
        sums_.assign(literals_.size(), ColumnSum{});
    else if (literals_.size() != sums_.size())
        throw platform::Error(-1, "Rows of the table write different numbers of values");
    std::uint64_t mixed = 0;
    for (std::size_t k = 0; k < literals_.size(); ++k) {
        const ColumnForm form = k < forms_.size() ? forms_[k] : ColumnForm{};
        const std::uint64_t salt = k + 1;
        text_.clear();
        if (AppendServerText(text_, literals_[k], form)) {
            const std::uint64_t h = TextHash(text_, salt);
            sums_[k].sum += h;
            mixed ^= h;
        } else {
            ++sums_[k].nulls;
            mixed ^= salt;
        }
    }
    rowSum_ += WholeHash(static_cast<std::int64_t>(mixed), 0);
    ++rows_;
}

} // namespace tabulant::engine::verify
