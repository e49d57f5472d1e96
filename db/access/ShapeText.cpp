#include "ShapeText.h"

#include <initializer_list>

namespace tabulant::db {

namespace {

void field(std::string_view text, std::string& line) {
    line += '\t';
    AppendEscaped(text, line);
}

// Attribute words joined by commas, "-" when there are none.
std::string words(std::initializer_list<std::pair<bool, const char*>> flags) {
    std::string out;
    for (const auto& [on, word] : flags)
        if (on) out += (out.empty() ? "" : ",") + std::string(word);
    return out.empty() ? "-" : out;
}

void appendTable(const TableShape& t, std::string& out) {
    out += "table";
    field(t.name, out);
    if (t.autoNumberCounter)
        field(std::to_string(*t.autoNumberCounter), out);
    else
        out += "\t\\N";
    out += '\n';
}

void appendColumn(const TableShape& t, const ColumnShape& c, std::string& out) {
    out += "column";
    field(t.name, out);
    field(c.name, out);
    field(AccessTypeName(c), out);
    if (c.length)
        field(std::to_string(*c.length), out);
    else if (c.precision && c.scale)
        field(std::to_string(*c.precision) + "," + std::to_string(*c.scale), out);
    else
        field("-", out);
    field(c.notNull ? "not null" : "null", out);
    field(
        words(
            {{c.required, "required"}, {c.autoNumber, "autonumber"}, {c.calculated, "calculated"}}),
        out);
    out += '\n';
}

void appendIndex(const TableShape& t, const IndexShape& x, std::string& out) {
    using Kind = IndexShape::Kind;
    out += "index";
    field(t.name, out);
    field(x.name, out);
    if (x.kind == Kind::ForeignKey) {
        field("foreign", out);
        field(x.referencedSide ? "referenced" : "referencing", out);
    } else {
        field(x.kind == Kind::PrimaryKey ? "primary" : x.unique ? "unique" : "index", out);
        field(words({{x.ignoreNulls, "ignore-nulls"}, {x.required, "required"}}), out);
    }
    for (const auto& [column, ascending] : x.columns) field((ascending ? "+" : "-") + column, out);
    out += '\n';
}

void appendRelationship(const RelationshipShape& r, std::string& out) {
    out += "relationship";
    field(r.name, out);
    field(r.table, out);
    field(r.referencedTable, out);
    field(words({{r.Enforced(), "enforced"},
                 {!r.Enforced(), "not-enforced"},
                 {(r.attributes & RelationshipShape::OneToOne) != 0, "one-to-one"},
                 {r.CascadeUpdates(), "cascade-updates"},
                 {r.CascadeDeletes(), "cascade-deletes"},
                 {r.CascadeSetsNull(), "cascade-set-null"}}),
          out);
    for (const auto& [column, referenced] : r.columns) {
        field(column, out);
        field(referenced, out);
    }
    out += '\n';
}

} // namespace

void AppendEscaped(std::string_view text, std::string& out) {
    for (const char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
}

std::string ShapeText(const DatabaseShape& shape) {
    std::string out;
    for (const TableShape& t : shape.tables) {
        appendTable(t, out);
        for (const ColumnShape& c : t.columns) appendColumn(t, c, out);
        for (const IndexShape& x : t.indexes) appendIndex(t, x, out);
    }
    for (const RelationshipShape& r : shape.relationships) appendRelationship(r, out);
    return out;
}

} // namespace tabulant::db
