#include "SchemaReader.h"

#include "platform/AdoType.h"
#include "platform/ComplexSchema.h"
#include "platform/Recordset.h"
#include "platform/RulesSchema.h"

#include <map>
#include <utility>

namespace tabulant::engine::typed {

using platform::Variant;

namespace {

// The columns of one schema record set, looked up by name once.
class SchemaRows {
public:
    SchemaRows(platform::Connection& source, int schema) : rows_(source.OpenSchema(schema)) {}

    bool AtEnd() const { return rows_.Eof(); }
    void Next() { rows_.MoveNext(); }
    // A column every such record set has; a missing one fails as a missing field does.
    const Variant& operator[](std::string_view column) const {
        return rows_.Fields().Item(column).value;
    }
    // A column a source may leave out; null when it does.
    const Variant& Optional(std::string_view column) const {
        const platform::FieldList fields = rows_.Fields();
        for (int i = 0; i < fields.Count(); ++i)
            if (SameName(fields.Item(i).name, column)) return fields.Item(i).value;
        return none_;
    }

private:
    platform::Recordset rows_;
    const Variant none_;
};

const std::string& Text(const Variant& v) {
    static const std::string empty;
    return v.kind() == Variant::Kind::Text ? v.payload() : empty;
}

std::optional<int> OptionalInt(const Variant& v) {
    if (v.kind() != Variant::Kind::Integer) return std::nullopt;
    return static_cast<int>(v.asInteger());
}

bool Flag(const Variant& v, bool absent) { return v.isNull() ? absent : v.asBoolean(); }

TableSchema* Table(DatabaseSchema& schema, std::string_view name) {
    return const_cast<TableSchema*>(std::as_const(schema).FindTable(name));
}

} // namespace

AccessType AccessTypeNamed(std::string_view name) {
    static const std::map<std::string_view, AccessType> types = {
        {"Yes/No", AccessType::YesNo},
        {"Byte", AccessType::Byte},
        {"Integer", AccessType::Integer},
        {"Long Integer", AccessType::LongInteger},
        {"Large Number", AccessType::LargeNumber},
        {"Currency", AccessType::Currency},
        {"Single", AccessType::Single},
        {"Double", AccessType::Double},
        {"Decimal", AccessType::Decimal},
        {"Date/Time", AccessType::DateTime},
        {"Date/Time Extended", AccessType::DateTimeExtended},
        {"Text", AccessType::Text},
        {"Memo", AccessType::Memo},
        {"Hyperlink", AccessType::Hyperlink},
        {"Replication ID", AccessType::ReplicationId},
        {"Binary", AccessType::Binary},
        {"OLE Object", AccessType::OleObject},
        {"Multi-valued", AccessType::MultiValued},
    };
    const auto found = types.find(name);
    return found == types.end() ? AccessType::Unknown : found->second;
}

AccessType AccessTypeOfAdoCode(std::int16_t code) {
    using namespace platform;
    switch (code) {
    case adBoolean:
        return AccessType::YesNo;
    case adUnsignedTinyInt:
    case adTinyInt:
        return AccessType::Byte;
    case adSmallInt:
        return AccessType::Integer;
    case adInteger:
        return AccessType::LongInteger;
    case adBigInt:
        return AccessType::LargeNumber;
    case adCurrency:
        return AccessType::Currency;
    case adSingle:
        return AccessType::Single;
    case adDouble:
        return AccessType::Double;
    case adNumeric:
    case adDecimal:
    case adVarNumeric:
        return AccessType::Decimal;
    case adDate:
    case adDBDate:
    case adDBTimeStamp:
        return AccessType::DateTime;
    case adGUID:
        return AccessType::ReplicationId;
    case adBinary:
    case adVarBinary:
        return AccessType::Binary;
    case adLongVarBinary:
        return AccessType::OleObject;
    case adLongVarWChar:
    case adLongVarChar:
        return AccessType::Memo;
    default:
        // Texts, and whatever else a provider reports, arrive as texts.
        return AccessType::Text;
    }
}

void ReadColumns(platform::Connection& source, DatabaseSchema& schema) {
    SchemaRows rows(source, platform::Connection::adSchemaColumns);
    DatabaseSchema read;
    for (; !rows.AtEnd(); rows.Next()) {
        const std::string& tableName = Text(rows["TABLE_NAME"]);
        TableSchema* table = read.tables.empty() || read.tables.back().name != tableName
                                 ? Table(read, tableName)
                                 : &read.tables.back();
        if (!table) {
            read.tables.emplace_back();
            read.tables.back().name = tableName;
            table = &read.tables.back();
        }
        Column c;
        c.name = Text(rows["COLUMN_NAME"]);
        const Variant& accessType = rows.Optional("ACCESS_TYPE");
        c.type = accessType.isNull()
                     ? AccessTypeOfAdoCode(static_cast<std::int16_t>(rows["DATA_TYPE"].asInteger()))
                     : AccessTypeNamed(Text(accessType));
        c.length = OptionalInt(rows["CHARACTER_MAXIMUM_LENGTH"]);
        c.precision = OptionalInt(rows["NUMERIC_PRECISION"]);
        c.scale = OptionalInt(rows["NUMERIC_SCALE"]);
        c.nullable = Flag(rows["IS_NULLABLE"], true);
        c.autoNumber = Flag(rows.Optional("IS_AUTONUMBER"), false);
        c.calculated = Flag(rows.Optional("IS_CALCULATED"), false);
        c.defaultValue = Text(rows.Optional("COLUMN_DEFAULT"));
        c.validationRule = Text(rows.Optional("VALIDATION_RULE"));
        c.validationText = Text(rows.Optional("VALIDATION_TEXT"));
        c.description = Text(rows.Optional("DESCRIPTION"));
        const Variant& zeroLength = rows.Optional("ALLOW_ZERO_LENGTH");
        if (!zeroLength.isNull()) c.allowZeroLength = zeroLength.asBoolean();
        const Variant& counter = rows.Optional("AUTONUMBER_COUNTER");
        if (counter.kind() == Variant::Kind::Integer)
            table->autoNumberCounter = counter.asInteger();
        table->columns.push_back(std::move(c));
    }
    // Indexes and rules may have been read before; they keep their place.
    for (TableSchema& t : read.tables)
        if (const TableSchema* before = schema.FindTable(t.name)) {
            t.indexes = before->indexes;
            t.description = before->description;
            t.checks = before->checks;
            t.propertyDamage = before->propertyDamage;
        }
    schema.tables = std::move(read.tables);
}

void ReadIndexes(platform::Connection& source, DatabaseSchema& schema) {
    SchemaRows rows(source, platform::Connection::adSchemaIndexes);
    std::map<TableSchema*, std::vector<Index>> read;
    const TableSchema* last = nullptr;
    for (; !rows.AtEnd(); rows.Next()) {
        TableSchema* table = Table(schema, Text(rows["TABLE_NAME"]));
        if (!table) continue;
        std::vector<Index>& indexes = read[table];
        const std::string& name = Text(rows["INDEX_NAME"]);
        // The key columns of an index follow each other, the first one numbered 1.
        if (table != last || indexes.empty() || indexes.back().name != name ||
            rows["ORDINAL_POSITION"].asInteger() == 1) {
            Index x;
            x.name = name;
            x.primaryKey = Flag(rows["PRIMARY_KEY"], false);
            x.unique = Flag(rows["UNIQUE"], false) || x.primaryKey;
            indexes.push_back(std::move(x));
        }
        last = table;
        // OLE DB's COLLATION: 1 ascending, 2 descending.
        const Variant& collation = rows.Optional("COLLATION");
        indexes.back().columns.push_back(
            {Text(rows["COLUMN_NAME"]),
             !(collation.kind() == Variant::Kind::Integer && collation.asInteger() == 2)});
    }
    for (auto& [table, indexes] : read) table->indexes = std::move(indexes);
}

void ReadTableRules(platform::Connection& source, DatabaseSchema& schema) {
    SchemaRows rows(source, platform::adSchemaCheckConstraints);
    for (; !rows.AtEnd(); rows.Next()) {
        TableSchema* table = Table(schema, Text(rows["TABLE_NAME"]));
        if (!table) continue;
        table->description = Text(rows.Optional("TABLE_DESCRIPTION"));
        const std::string& damage = Text(rows.Optional("DAMAGE"));
        if (!damage.empty()) table->propertyDamage = damage;
        const std::string& condition = Text(rows["CHECK_CLAUSE"]);
        if (!condition.empty())
            table->checks.push_back(
                {Text(rows["CONSTRAINT_NAME"]), condition, Text(rows.Optional("DESCRIPTION"))});
    }
}

void ReadForeignKeys(platform::Connection& source, DatabaseSchema& schema) {
    SchemaRows rows(source, platform::Connection::adSchemaForeignKeys);
    std::vector<ForeignKey> read;
    for (; !rows.AtEnd(); rows.Next()) {
        const std::string& name = Text(rows["FK_NAME"]);
        const std::int64_t ordinal = rows["ORDINAL"].asInteger();
        if (read.empty() || !SameName(read.back().name, name) || ordinal == 1) {
            ForeignKey k;
            k.name = name;
            k.table = Text(rows["FK_TABLE_NAME"]);
            k.referencedTable = Text(rows["PK_TABLE_NAME"]);
            k.updateRule = Text(rows["UPDATE_RULE"]);
            k.deleteRule = Text(rows["DELETE_RULE"]);
            k.enforced = Flag(rows.Optional("IS_ENFORCED"), true);
            read.push_back(std::move(k));
        }
        read.back().columns.emplace_back(Text(rows["FK_COLUMN_NAME"]),
                                         Text(rows["PK_COLUMN_NAME"]));
    }
    schema.foreignKeys = std::move(read);
}

void ReadComplexColumns(platform::Connection& source, DatabaseSchema& schema) {
    SchemaRows rows(source, platform::adSchemaComplexColumns);
    std::vector<ComplexColumn> read;
    for (; !rows.AtEnd(); rows.Next()) {
        ComplexColumn c;
        c.table = Text(rows["TABLE_NAME"]);
        c.column = Text(rows["COLUMN_NAME"]);
        const std::string& kind = Text(rows["COMPLEX_KIND"]);
        c.kind = kind == "attachment"        ? ComplexColumn::Kind::Attachment
                 : kind == "version history" ? ComplexColumn::Kind::VersionHistory
                                             : ComplexColumn::Kind::MultiValued;
        c.valueType = AccessTypeNamed(Text(rows["VALUE_TYPE"]));
        c.damage = Text(rows["DAMAGE"]);
        read.push_back(std::move(c));
    }
    schema.complexColumns = std::move(read);
}

} // namespace tabulant::engine::typed
