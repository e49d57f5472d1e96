#include "ComplexTables.h"

#include "TypeMapping.h"
#include "TypedLiterals.h"

#include "engine/SqlText.h"

#include <map>

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

std::vector<std::string> ComplexTables::Statements(platform::Recordset& values,
                                                   NameSet& relationNames,
                                                   std::vector<std::string>& damage) const {
    struct Child {
        ComplexColumn::Kind kind;
        std::string name; // quoted, with its schema
        std::vector<std::string> rows;
        std::vector<std::string> damagedFiles;
    };
    std::map<std::string, Child> children; // by field name
    std::vector<std::string> out;
    if (!parent_) return out;
    for (const ComplexColumn& c : columns_) {
        if (!c.damage.empty()) {
            damage.push_back(c.damage);
            continue;
        }
        Child& child = children[c.column];
        child.kind = c.kind;
        AppendTableName(child.name, parent_->schema,
                        relationNames.Unique(parent_->table + "_" + c.column));
    }
    for (; !values.Eof(); values.MoveNext()) {
        const platform::FieldList f = values.Fields();
        const auto found = children.find(f.Item("COLUMN_NAME").value.payload());
        if (found == children.end()) continue;
        Child& child = found->second;
        std::string row = "INSERT INTO " + child.name + " VALUES (";
        AppendKey(row, f.Item("PARENT_ROW").value.asInteger());
        static constexpr std::initializer_list<const char*> file = {"FILE_NAME", "FILE_TYPE",
                                                                    "FILE_TIMESTAMP", "FILE_DATA"};
        static constexpr std::initializer_list<const char*> value = {"VALUE"};
        static constexpr std::initializer_list<const char*> version = {"VALUE", "VALUE_DATE"};
        for (const char* part : child.kind == ComplexColumn::Kind::Attachment       ? file
                                : child.kind == ComplexColumn::Kind::VersionHistory ? version
                                                                                    : value) {
            row += ", ";
            AppendTypedLiteral(row, f.Item(part).value);
        }
        row += ");";
        child.rows.push_back(std::move(row));
        if (const platform::Variant& d = f.Item("DAMAGE").value; !d.isNull())
            child.damagedFiles.push_back(d.payload());
    }
    for (const ComplexColumn& c : columns_) {
        const auto found = children.find(c.column);
        if (found == children.end()) continue;
        Child& child = found->second;
        NameSet names;
        std::string create = "CREATE TABLE " + child.name + "(";
        std::string key;
        if (keyColumns_.empty()) {
            create += '"' + names.Unique("ParentRow") + "\" BIGINT";
        } else {
            for (std::size_t i = 0; i < keyColumns_.size(); ++i) {
                const auto k = std::size_t(keyColumns_[i]);
                if (i > 0) {
                    create += ", ";
                    key += ", ";
                }
                const std::string name = names.Unique(parent_->names[k]);
                AppendQuotedName(create, name);
                AppendQuotedName(key, name);
                create += ' ' + parent_->mappings[k].type;
            }
        }
        create += childColumns(c, names) + ");";
        out.push_back("DROP TABLE IF EXISTS " + child.name + ";");
        out.push_back(std::move(create));
        for (std::string& row : child.rows) out.push_back(std::move(row));
        if (!keyColumns_.empty()) {
            std::string fk =
                "ALTER TABLE " + child.name + " ADD FOREIGN KEY (" + key + ") REFERENCES ";
            AppendTableName(fk, parent_->schema, parent_->table);
            fk += " (";
            for (std::size_t i = 0; i < keyColumns_.size(); ++i) {
                if (i > 0) fk += ", ";
                AppendQuotedName(fk, parent_->names[std::size_t(keyColumns_[i])]);
            }
            fk += ") ON UPDATE CASCADE ON DELETE CASCADE;";
            out.push_back(std::move(fk));
        }
        for (std::string& d : child.damagedFiles) damage.push_back(std::move(d));
    }
    return out;
}

} // namespace tabulant::engine::typed
