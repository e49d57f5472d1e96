#include "ViewStatements.h"

#include "RuleStatements.h"
#include "ViewCaptions.h"

#include "engine/SqlText.h"

#include "dialect/ExpressionWriter.h"
#include "dialect/Parser.h"
#include "dialect/PostgresWriter.h"
#include "dialect/Refusal.h"
#include "platform/Recordset.h"
#include "platform/ViewsSchema.h"

#include <map>

namespace tabulant::engine::typed {

namespace {

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return s;
}

class Relations : public dialect::Catalog {
public:
    const dialect::Relation* Find(std::string_view name) const override {
        const auto it = byName_.find(lower(std::string(name)));
        return it == byName_.end() ? nullptr : &it->second;
    }
    void Add(dialect::Relation r) {
        const std::string key = lower(r.name);
        byName_.emplace(key, std::move(r));
    }

private:
    std::map<std::string, dialect::Relation> byName_;
};

// A parameter query as a function of its parameters that returns its rows. Output types come from
// the columns it reads where it reads them whole; the server casts the rest on return.
std::string FunctionStatement(const std::string& name, const dialect::Translation& t) {
    std::string sql = "CREATE OR REPLACE FUNCTION ";
    AppendQuotedName(sql, name);
    sql += "(";
    for (std::size_t i = 0; i < t.parameters.size(); ++i) {
        if (i) sql += ", ";
        AppendQuotedName(sql, t.parameters[i].name);
        sql += " " + t.parameters[i].pgType;
    }
    sql += ") RETURNS TABLE(";
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const dialect::RelationColumn& c = t.columns[i];
        if (i) sql += ", ";
        AppendQuotedName(sql, c.pgName);
        sql += " " + (c.pgType.empty() ? dialect::PostgresType(c.type) : c.pgType);
    }
    std::string tag = "$query$";
    for (int n = 1; t.sql.find(tag) != std::string::npos; ++n)
        tag = "$query" + std::to_string(n) + "$";
    // The body finds its tables when it is called, by the caller's search path; it keeps the
    // one it was made with, as a view keeps the tables it was made over.
    return sql + ") LANGUAGE sql STABLE SET search_path FROM CURRENT AS " + tag + " " + t.sql +
           " " + tag + ";";
}

// A function is named with its argument types: another of the same name may take others.
std::string FunctionComment(const std::string& name, const dialect::Translation& t,
                            const std::string& description) {
    std::string sql = "COMMENT ON FUNCTION ";
    AppendQuotedName(sql, name);
    sql += "(";
    for (std::size_t i = 0; i < t.parameters.size(); ++i)
        sql += (i ? ", " : "") + t.parameters[i].pgType;
    return sql + ") IS " + dialect::TextLiteral(description) + ";";
}

std::string oneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return s;
}

} // namespace

std::vector<SavedQuery> ReadSavedQueries(platform::Connection& source) {
    platform::Recordset rs(source.OpenSchema(platform::adSchemaViews));
    std::vector<SavedQuery> out;
    for (; !rs.Eof(); rs.MoveNext()) {
        const platform::FieldList f = rs.Fields();
        auto text = [&](const char* name) {
            const platform::Variant& v = f.Item(name).value;
            return v.isNull() ? std::string() : v.payload();
        };
        SavedQuery q{text("TABLE_NAME"),
                     text("QUERY_TYPE"),
                     text("VIEW_DEFINITION"),
                     text("DAMAGE"),
                     {},
                     false};
        const platform::Variant& rsFlag = f.Item("IS_RECORD_SOURCE").value;
        q.recordSource = !rsFlag.isNull() && rsFlag.asBoolean();
        for (int i = 0; i < f.Count(); ++i)
            if (f.Item(i).name == "DESCRIPTION" && !f.Item(i).value.isNull())
                q.description = f.Item(i).value.payload();
            else if (f.Item(i).name == "COLUMN_CAPTIONS" && !f.Item(i).value.isNull())
                q.captions = SplitCaptions(f.Item(i).value.payload());
        out.push_back(std::move(q));
    }
    return out;
}

ViewPlan PlanViews(const std::vector<SavedQuery>& queries,
                   const std::vector<std::unique_ptr<TablePlan>>& tables, NameSet& relationNames) {
    Relations relations;
    for (const auto& t : tables) {
        dialect::Relation r;
        r.name = t->table;
        r.pgName = std::string(StoredTableName(t->table));
        r.table = true;
        for (std::size_t i = 0; i < t->columns.size(); ++i)
            r.columns.push_back({t->columns[i].name, t->names[i], DialectType(t->columns[i].type),
                                 t->mappings[i].type});
        for (const Index& x : t->indexes)
            if (x.primaryKey)
                for (const IndexColumn& c : x.columns) r.key.push_back(c.name);
        relations.Add(std::move(r));
    }

    ViewPlan plan;
    std::map<std::string, std::string> refusedBy; // lower-case name: the reason, once refused
    std::vector<const SavedQuery*> pending;
    auto refuse = [&](const SavedQuery& q, const std::string& why) {
        plan.refused.push_back("'" + q.name + "': " + why);
        refusedBy[lower(q.name)] = why;
    };
    for (const SavedQuery& q : queries) {
        if (q.recordSource) continue;
        if (!q.damage.empty()) {
            refuse(q, q.damage);
        } else if (q.type == "select" || q.type == "union" || q.type == "crosstab") {
            pending.push_back(&q);
        } else {
            plan.notRun.push_back(q.name);
            plan.statements.push_back("-- " + q.type + " query \"" + q.name +
                                      "\", not run: " + oneLine(q.sql));
        }
    }
    auto isPending = [&](const std::string& name) {
        for (const SavedQuery* p : pending)
            if (lower(p->name) == lower(name)) return true;
        return false;
    };
    // Queries over queries: each pass carries those whose sources are all there; a pass that
    // carries none ends it.
    for (bool progress = true; progress && !pending.empty();) {
        progress = false;
        std::vector<const SavedQuery*> waiting;
        for (const SavedQuery* q : pending) {
            try {
                const dialect::Query parsed = dialect::ParseQuery(q->sql);
                const dialect::Translation t = dialect::TranslateQuery(parsed, relations);
                const std::string name = relationNames.Unique(q->name);
                progress = true;
                if (!t.parameters.empty()) {
                    plan.statements.push_back(FunctionStatement(name, t));
                    if (!q->description.empty())
                        plan.statements.push_back(FunctionComment(name, t, q->description));
                    dialect::Relation function{q->name, name, t.columns, t.rowKey};
                    for (const dialect::QueryParameter& p : t.parameters)
                        function.parameters.push_back({p.parts, p.type});
                    relations.Add(std::move(function));
                    continue;
                }
                std::string create = "CREATE VIEW ";
                AppendQuotedName(create, name);
                plan.statements.push_back(create + " AS " + t.sql + ";");
                if (!q->description.empty()) {
                    std::string comment = "COMMENT ON VIEW ";
                    AppendQuotedName(comment, name);
                    plan.statements.push_back(comment + " IS " +
                                              dialect::TextLiteral(q->description) + ";");
                }
                for (std::string& c : CaptionStatements(name, t.columns, q->captions))
                    plan.statements.push_back(std::move(c));
                relations.Add({q->name, name, t.columns, t.rowKey, false, {}, parsed.select});
            } catch (const dialect::MissingRelation& m) {
                if (isPending(m.name()) && lower(m.name()) != lower(q->name)) {
                    waiting.push_back(q);
                    continue;
                }
                progress = true;
                const auto earlier = refusedBy.find(lower(m.name()));
                refuse(*q, earlier != refusedBy.end()
                               ? "reads the query '" + m.name() + "', which is not carried"
                               : "reads '" + m.name() + "', which is no table of the conversion");
            } catch (const dialect::Refusal& r) {
                progress = true;
                refuse(*q, r.construct() + ": " + r.reason());
            }
        }
        pending = std::move(waiting);
    }
    for (const SavedQuery* q : pending) refuse(*q, "reads queries that read it in turn");
    return plan;
}

} // namespace tabulant::engine::typed
