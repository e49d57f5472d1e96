#include "RowStatements.h"

#include "TypedLiterals.h"

#include "engine/SqlText.h"

namespace tabulant::engine::typed {

void RowStatements::Start(std::string_view table, int identityColumn, std::string_view schema) {
    prefix_ = "INSERT INTO ";
    AppendTableName(prefix_, schema, table);
    identityColumn_ = identityColumn;
    highest_.reset();
}

const std::string& RowStatements::Build(const platform::Recordset& records) {
    const platform::FieldList fields = records.Fields();
    const int count = fields.Count();
    statement_.assign(prefix_);
    if (count == 0) {
        statement_ += " DEFAULT VALUES;";
        return statement_;
    }
    statement_ += " VALUES (";
    for (int k = 0; k < count; ++k) {
        const platform::Variant& value = fields.Item(k).value;
        if (k > 0) statement_ += ", ";
        AppendTypedLiteral(statement_, value);
        NoteIdentity(k, value);
    }
    statement_ += ");";
    return statement_;
}

const CopyRow* RowStatements::BuildCopy(const platform::Recordset& records) {
    const platform::FieldList fields = records.Fields();
    const int count = fields.Count();
    if (count == 0) return nullptr;
    copy_.statement = &AppendTypedStatement;
    copy_.line.clear();
    copy_.forms.clear();
    for (int k = 0; k < count; ++k) {
        const platform::Variant& value = fields.Item(k).value;
        if (k > 0) copy_.line += '\t';
        copy_.forms += AppendTypedCopyField(copy_.line, value);
        NoteIdentity(k, value);
    }
    copy_.line += '\n';
    return &copy_;
}

void RowStatements::NoteIdentity(int k, const platform::Variant& value) {
    if (k == identityColumn_ && value.kind() == platform::Variant::Kind::Integer &&
        (!highest_ || value.asInteger() > *highest_))
        highest_ = value.asInteger();
}

} // namespace tabulant::engine::typed
