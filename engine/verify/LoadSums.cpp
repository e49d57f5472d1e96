#include "LoadSums.h"

#include "engine/SqlText.h"

namespace tabulant::engine::verify {

LoadSums::LoadSums(const db::ConnectionFields& fields, std::string schema)
    : fields_(fields), schema_(std::move(schema)) {}

LoadSums::~LoadSums() = default;

void LoadSums::TableRows(std::string_view table) {
    table_.reset();
    tables_.erase(std::string(table));
    if (unreachable_) return;
    try {
        if (!server_) {
            server_ = std::make_unique<db::QueryConnection>(fields_);
            ServerQuery(*server_).SetTextForms();
        }
        const std::string stored(StoredTableName(table));
        ServerTables found = ServerQuery(*server_).Tables(schema_, stored);
        const auto it = found.find(stored);
        if (it == found.end()) return; // not created: the verifier finds it missing
        columns_ = std::move(it->second);
    } catch (const std::exception&) {
        // Said by the verification, which asks the same server again.
        unreachable_ = true;
        server_.reset();
        return;
    }
    std::vector<ColumnForm> forms;
    for (const ServerColumn& c : columns_) forms.push_back(FormOfType(c.type));
    sums_.Start(std::move(forms));
    table_ = std::string(table);
}

void LoadSums::Row(const std::string& statement) {
    if (!table_) return;
    try {
        sums_.Add(statement);
    } catch (const std::exception&) {
        // The verifier reads the table from the file and tells why it could not.
        table_.reset();
    }
}

void LoadSums::TableDone(bool whole, const std::vector<std::string>& warnings) {
    if (!table_ || !whole) return;
    Table& t = tables_[*table_];
    t.columns = std::move(columns_);
    t.rows = sums_.rows();
    t.rowSum = sums_.rowSum();
    t.accessColumns = t.rows > 0 ? sums_.columns() : t.columns.size();
    t.sums = sums_.sums();
    for (const std::string& w : warnings) t.problem += (t.problem.empty() ? "" : "; ") + w;
    table_.reset();
}

const LoadSums::Table* LoadSums::Find(std::string_view table) const {
    const auto it = tables_.find(table);
    return it == tables_.end() ? nullptr : &it->second;
}

} // namespace tabulant::engine::verify
