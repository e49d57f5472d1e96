#include "QueryParameters.h"

#include "ExpressionWriter.h"
#include "Refusal.h"

#include <array>

namespace tabulant::dialect {

namespace {

using T = ValueType;

struct DeclaredType {
    const char* access;
    T type;
    const char* pg;
};

// PARAMETERS types as Access stores them, and the words its SQL also takes for them. A Value
// parameter is typed by its use, as an undeclared one.
constexpr std::array<DeclaredType, 24> DeclaredTypes = {{
    {"Bit", T::Boolean, "boolean"},
    {"YesNo", T::Boolean, "boolean"},
    {"Logical", T::Boolean, "boolean"},
    {"Byte", T::Integer, "smallint"},
    {"Short", T::Integer, "smallint"},
    {"SmallInt", T::Integer, "smallint"},
    {"Integer", T::Integer, "integer"},
    {"Long", T::Integer, "integer"},
    {"Currency", T::Exact, "numeric"},
    {"Money", T::Exact, "numeric"},
    {"Decimal", T::Exact, "numeric"},
    {"IEEESingle", T::Float, "real"},
    {"Single", T::Float, "real"},
    {"IEEEDouble", T::Float, "double precision"},
    {"Double", T::Float, "double precision"},
    {"Float", T::Float, "double precision"},
    {"DateTime", T::Date, "timestamp"},
    {"Date", T::Date, "timestamp"},
    {"Text", T::Text, "text"},
    {"Char", T::Text, "text"},
    {"Memo", T::Text, "text"},
    {"Binary", T::Binary, "bytea"},
    {"LongBinary", T::Binary, "bytea"},
    {"Value", T::Unknown, ""},
}};

bool sameParts(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!SameName(a[i], b[i])) return false;
    return true;
}

bool isFormReference(const std::vector<std::string>& parts) {
    return parts.size() >= 2 && (SameName(parts[0], "forms") || SameName(parts[0], "reports"));
}

std::string joined(const std::vector<std::string>& parts) {
    std::string s;
    for (const std::string& p : parts) s += (s.empty() ? "" : "!") + p;
    return s;
}

// PostgreSQL keeps 63 bytes of a name; cut at a character boundary.
std::string fitted(std::string name) {
    if (name.size() <= 63) return name;
    std::size_t n = 63;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
    return name.substr(0, n);
}

} // namespace

std::string PostgresType(ValueType type) {
    switch (type) {
    case T::Boolean:
        return "boolean";
    case T::Integer:
        return "bigint";
    case T::Float:
        return "double precision";
    case T::Exact:
        return "numeric";
    case T::Date:
        return "timestamp";
    case T::Binary:
        return "bytea";
    default:
        return "text";
    }
}

QueryParameters::QueryParameters(const std::vector<Parameter>& declared) {
    for (const Parameter& p : declared) {
        QueryParameter q;
        q.parts = p.parts.empty() ? std::vector<std::string>{p.name} : p.parts;
        const DeclaredType* found = nullptr;
        for (const DeclaredType& d : DeclaredTypes)
            if (SameName(d.access, p.type)) found = &d;
        if (!found) throw Refusal("PARAMETERS " + p.name + " " + p.type, "an unknown type");
        q.type = found->type;
        q.pgType = found->pg;
        q.declared = found->type != T::Unknown;
        list_.push_back(std::move(q));
    }
}

void QueryParameters::Learn(const std::vector<QueryParameter>& earlier) {
    for (const QueryParameter& e : earlier) {
        if (e.declared) continue;
        bool known = false;
        for (QueryParameter& q : list_)
            if (sameParts(q.parts, e.parts)) {
                q.type = e.type;
                known = true;
            }
        if (!known) list_.push_back(e);
    }
}

Written QueryParameters::written(std::size_t index) const {
    const QueryParameter& q = list_[index];
    // Not typed yet: the answer as typed in, text.
    return {"$" + std::to_string(index + 1), q.type == T::Unknown ? T::Text : q.type, "",
            int(index) + 1};
}

std::optional<Written> QueryParameters::Declared(const std::vector<std::string>& parts) const {
    for (std::size_t i = 0; i < list_.size(); ++i)
        if (sameParts(list_[i].parts, parts)) return written(i);
    return std::nullopt;
}

Written QueryParameters::Use(const std::vector<std::string>& parts) {
    if (auto w = Declared(parts)) return *w;
    QueryParameter q;
    q.parts = parts;
    list_.push_back(std::move(q));
    return written(list_.size() - 1);
}

void QueryParameters::Infer(Written& w, ValueType type) {
    if (w.parameter == 0 || type == T::Unknown || type == T::Null) return;
    QueryParameter& q = list_[std::size_t(w.parameter - 1)];
    if (q.declared || q.type != T::Unknown) return;
    q.type = type;
    w.type = type;
}

std::vector<QueryParameter>
QueryParameters::Finish(const std::vector<RelationColumn>& outputs) const {
    std::vector<QueryParameter> out = list_;
    auto taken = [&](const std::string& name, std::size_t upTo) {
        for (const RelationColumn& c : outputs)
            if (SameName(c.pgName, name)) return true;
        for (std::size_t i = 0; i < upTo; ++i)
            if (SameName(out[i].name, name)) return true;
        return false;
    };
    for (std::size_t i = 0; i < out.size(); ++i) {
        QueryParameter& q = out[i];
        if (q.pgType.empty() || !q.declared) q.pgType = PostgresType(q.type);
        // A form's control is named after the control; the whole reference when that is taken.
        std::string name = fitted(isFormReference(q.parts) ? q.parts.back() : joined(q.parts));
        if (taken(name, i)) name = fitted(joined(q.parts));
        for (int n = 2; taken(name, i); ++n)
            name = fitted(joined(q.parts)).substr(0, 58) + "_" + std::to_string(n);
        q.name = name;
    }
    return out;
}

} // namespace tabulant::dialect
