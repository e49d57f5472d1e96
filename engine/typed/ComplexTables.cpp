#include "ComplexTables.h"

#include "TypeMapping.h"
#include "TypedLiterals.h"

#include "engine/SqlText.h"

namespace tabulant::engine::typed {

namespace {

std::string childColumns(const ComplexColumn& c, NameSet& names) {
    std::string s;
    auto add = [&](std::string_view name, std::string_view type) {
        s += ", ";
        AppendQuotedName(s, names.Unique(name));
        s += ' ';
        s += type;
    };
    switch (c.kind) {
    case ComplexColumn::Kind::Attachment:
        add("FileName", "TEXT");
        add("FileType", "TEXT");
        add("FileTimeStamp", "TIMESTAMP");
        add("FileData", "BYTEA");
        add("FileURL", "TEXT");
        add("FileFlags", "INTEGER");
        break;
    case ComplexColumn::Kind::VersionHistory:
        add("Value", "TEXT");
        add("Modified", "TIMESTAMP");
        break;
    case ComplexColumn::Kind::MultiValued: {
        Column value;
        value.type = c.valueType;
        add("Value", MapColumn(value).type);
        break;
    }
    }
    return s;
}

} // namespace

void ComplexTables::Start(const TablePlan& parent, const std::vector<ComplexColumn>& all) {
    parent_ = &parent;
    columns_.clear();
    keyColumns_.clear();
    keys_.clear();
    for (const ComplexColumn& c : all)
        if (SameName(c.table, parent.table)) columns_.push_back(c);
    if (columns_.empty()) return;
    for (const Index& index : parent.indexes) {
        if (!index.primaryKey) continue;
        for (const IndexColumn& k : index.columns)
            for (std::size_t i = 0; i < parent.columns.size(); ++i)
                if (SameName(parent.columns[i].name, k.name)) keyColumns_.push_back(int(i));
        if (keyColumns_.size() != index.columns.size()) keyColumns_.clear();
        break;
    }
}

void ComplexTables::AddRow(const platform::Recordset& records) {
    if (keyColumns_.empty()) return;
    const platform::FieldList fields = records.Fields();
    std::string key;
    for (const int k : keyColumns_) {
        if (!key.empty()) key += ", ";
        AppendTypedLiteral(key, fields.Item(k).value);
    }
    keys_.push_back(std::move(key));
}

void ComplexTables::AppendKey(std::string& out, std::int64_t parentRow) const {
    if (keyColumns_.empty()) {
        out += std::to_string(parentRow);
    } else if (parentRow >= 1 && std::size_t(parentRow) <= keys_.size()) {
        out += keys_[std::size_t(parentRow - 1)];
    } else {
        // A row the run never wrote: its values have no row to belong to.
        for (std::size_t i = 0; i < keyColumns_.size(); ++i) out += i ? ", NULL" : "NULL";
    }
}

void ComplexTables::Begin(platform::Recordset& values, NameSet& relationNames,
                          std::vector<std::string>& damage) {
    values_ = &values;
    children_.assign(columns_.size(), {});
    field_ = 0;
    step_ = Step::Drop;
    written_ = false;
    if (!parent_) {
        field_ = columns_.size();
        return;
    }
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (!columns_[i].damage.empty()) {
            damage.push_back(columns_[i].damage);
            continue;
        }
        AppendTableName(children_[i], parent_->schema,
                        relationNames.Unique(parent_->table + "_" + columns_[i].column));
    }
}

bool ComplexTables::Next(std::string& statement, std::vector<std::string>& damage) {
    while (values_ && field_ < columns_.size()) {
        const ComplexColumn& c = columns_[field_];
        if (children_[field_].empty()) {
            ++field_;
            continue;
        }
        statement.clear();
        switch (step_) {
        case Step::Drop:
            statement = "DROP TABLE IF EXISTS " + children_[field_] + ";";
            step_ = Step::Create;
            return true;
        case Step::Create:
            CreateStatement(statement, c);
            step_ = Step::Values;
            return true;
        case Step::Values:
            if (ValueStatement(statement, damage)) return true;
            step_ = Step::ForeignKey;
            break;
        case Step::ForeignKey:
            if (!keyColumns_.empty()) ForeignKeyStatement(statement);
            step_ = Step::Drop;
            ++field_;
            if (!statement.empty()) return true;
            break;
        }
    }
    values_ = nullptr;
    return false;
}

// The INSERT of the values' next row when it belongs to the current field. Rows of fields
// without a child table are passed over; the rows come by field in the fields' order, so a row
// of a later field ends the current one.
bool ComplexTables::ValueStatement(std::string& out, std::vector<std::string>& damage) {
    platform::Recordset& values = *values_;
    // The row written last is left only now, so that the next file is read once the statement
    // before it has been handed on.
    if (written_) values.MoveNext();
    written_ = false;
    for (; !values.Eof(); values.MoveNext()) {
        const platform::FieldList f = values.Fields();
        const std::string& column = f.Item("COLUMN_NAME").value.payload();
        std::size_t owner = field_;
        while (owner < columns_.size() &&
               (children_[owner].empty() || columns_[owner].column != column))
            ++owner;
        if (owner == columns_.size()) continue;
        if (owner != field_) return false;
        out = "INSERT INTO " + children_[field_] + " VALUES (";
        AppendKey(out, f.Item("PARENT_ROW").value.asInteger());
        static constexpr std::initializer_list<const char*> file = {
            "FILE_NAME", "FILE_TYPE", "FILE_TIMESTAMP", "FILE_DATA", "FILE_URL", "FILE_FLAGS"};
        static constexpr std::initializer_list<const char*> value = {"VALUE"};
        static constexpr std::initializer_list<const char*> version = {"VALUE", "VALUE_DATE"};
        const ComplexColumn::Kind kind = columns_[field_].kind;
        for (const char* part : kind == ComplexColumn::Kind::Attachment       ? file
                                : kind == ComplexColumn::Kind::VersionHistory ? version
                                                                              : value) {
            out += ", ";
            AppendTypedLiteral(out, f.Item(part).value);
        }
        out += ");";
        if (const platform::Variant& d = f.Item("DAMAGE").value; !d.isNull())
            damage.push_back(d.payload());
        written_ = true;
        return true;
    }
    return false;
}

void ComplexTables::CreateStatement(std::string& out, const ComplexColumn& c) const {
    NameSet names;
    out = "CREATE TABLE " + children_[field_] + "(";
    if (keyColumns_.empty()) {
        out += '"' + names.Unique("ParentRow") + "\" BIGINT";
    } else {
        for (std::size_t i = 0; i < keyColumns_.size(); ++i) {
            const auto k = std::size_t(keyColumns_[i]);
            if (i > 0) out += ", ";
            AppendQuotedName(out, names.Unique(parent_->names[k]));
            out += ' ' + parent_->mappings[k].type;
        }
    }
    out += childColumns(c, names) + ");";
}

void ComplexTables::ForeignKeyStatement(std::string& out) const {
    // The child's key columns as CreateStatement named them, then the parent's.
    NameSet names;
    std::string key;
    for (std::size_t i = 0; i < keyColumns_.size(); ++i) {
        if (i > 0) key += ", ";
        AppendQuotedName(key, names.Unique(parent_->names[std::size_t(keyColumns_[i])]));
    }
    out = "ALTER TABLE " + children_[field_] + " ADD FOREIGN KEY (" + key + ") REFERENCES ";
    AppendTableName(out, parent_->schema, parent_->table);
    out += " (";
    for (std::size_t i = 0; i < keyColumns_.size(); ++i) {
        if (i > 0) out += ", ";
        AppendQuotedName(out, parent_->names[std::size_t(keyColumns_[i])]);
    }
    out += ") ON UPDATE CASCADE ON DELETE CASCADE;";
}

} // namespace tabulant::engine::typed
