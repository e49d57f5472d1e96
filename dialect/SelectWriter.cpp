#include "ExpressionWriter.h"
#include "PostgresWriter.h"
#include "QueryParameters.h"
#include "Refusal.h"

#include <algorithm>
#include <map>
#include <memory>

namespace tabulant::dialect {

namespace {

using T = ValueType;

// PostgreSQL keeps at most 63 bytes of a name, cut at a character boundary.
std::string stored(std::string name) {
    if (name.size() <= 63) return name;
    std::size_t n = 63;
    while (n > 0 && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
    return name.substr(0, n);
}

bool usesAggregate(const Expr& e) {
    if (e.kind == Expr::Kind::Call && ExpressionWriter::IsAggregate(e.text)) return true;
    return std::any_of(e.children.begin(), e.children.end(),
                       [](const auto& c) { return usesAggregate(*c); });
}

class SelectWriter {
public:
    SelectWriter(const Catalog& catalog, QueryParameters* parameters)
        : catalog_(catalog), parameters_(parameters),
          expressions_([this](const Select& s, const Scope& outer) { return select(s, &outer); }) {
        expressions_.takeParameters(parameters);
    }

    Written expression(const Expr& e) { return expressions_.value(e, Scope{}); }

    Translation select(const Select& s, const Scope* outer) {
        if (!s.unions.empty()) return unionOf(s, outer);
        return single(s, outer);
    }

private:
    Translation unionOf(const Select& s, const Scope* outer) {
        Select first;
        // The first part alone: its own columns and sources, without the union's order.
        Translation head = single(s, outer, true);
        // A part that keeps its first rows only is a query of its own in PostgreSQL.
        const auto part = [](const Select& p, const std::string& sql) {
            return p.top ? "(" + sql + ")" : sql;
        };
        std::string sql = part(s, head.sql);
        std::vector<std::string> reads = head.reads;
        for (std::size_t i = 0; i < s.unions.size(); ++i) {
            const Translation t = single(*s.unions[i], outer, true);
            if (t.columns.size() != head.columns.size())
                throw Refusal("UNION", "parts with different numbers of columns");
            for (std::size_t c = 0; c < head.columns.size(); ++c)
                head.columns[c].type = Unify(head.columns[c].type, t.columns[c].type, "UNION");
            // Access's UNION drops duplicate rows, UNION ALL keeps them.
            sql += (s.unionAll[i] ? " UNION ALL " : " UNION ") + part(*s.unions[i], t.sql);
            reads.insert(reads.end(), t.reads.begin(), t.reads.end());
        }
        std::string order;
        for (const Ordering& o : s.orderBy) {
            const Expr& e = *o.expr;
            if (e.kind != Expr::Kind::Name)
                throw Refusal("ORDER BY", "a union ordered by an expression");
            const auto c = std::find_if(
                head.columns.begin(), head.columns.end(),
                [&](const RelationColumn& x) { return SameName(x.name, e.parts.back()); });
            if (c == head.columns.end())
                throw Refusal(e.describe(), "orders the union by no column of it");
            order += (order.empty() ? " ORDER BY " : ", ") + Quote(c->pgName) +
                     (o.descending ? " DESC NULLS LAST" : " NULLS FIRST");
        }
        Translation out{sql + order, head.columns, reads};
        // Without ALL the last UNION leaves no two rows alike.
        if (!s.unionAll.back())
            for (const RelationColumn& c : out.columns) out.rowKey.push_back(c.name);
        return out;
    }

    // FROM items: their scope entries first (every ON condition may name any of them).
    void enter(const Source& src, const Scope* outer, Scope& scope,
               std::vector<std::string>& reads) {
        if (src.kind == Source::Kind::Join) {
            enter(*src.left, outer, scope, reads);
            enter(*src.right, outer, scope, reads);
            return;
        }
        Scope::Entry e;
        if (src.kind == Source::Kind::Derived) {
            if (src.alias.empty()) throw Refusal("(SELECT …)", "a derived table without a name");
            const Translation t = select(*src.derived, outer);
            auto r = std::make_unique<Relation>();
            r->name = src.alias;
            r->pgName = stored(src.alias);
            r->columns = t.columns;
            derivedSql_.push_back(t.sql);
            reads.insert(reads.end(), t.reads.begin(), t.reads.end());
            e.relation = r.get();
            derived_.push_back(std::move(r));
        } else {
            e.relation = catalog_.Find(src.name);
            if (!e.relation) throw MissingRelation(src.name);
            reads.push_back(src.name);
        }
        e.qualifier = src.alias.empty() ? src.name : src.alias;
        e.pgQualifier = Quote(src.alias.empty() ? e.relation->pgName : stored(src.alias));
        scope.entries.push_back(std::move(e));
    }

    std::string render(const Source& src, const Scope& scope, std::size_t& next) {
        if (src.kind == Source::Kind::Join) {
            const std::string l = render(*src.left, scope, next);
            std::string r = render(*src.right, scope, next);
            if (src.right->kind == Source::Kind::Join) r = "(" + r + ")";
            const char* kind = src.joinKind == "left"    ? " LEFT JOIN "
                               : src.joinKind == "right" ? " RIGHT JOIN "
                                                         : " INNER JOIN ";
            return l + kind + r + " ON " + expressions_.condition(*src.on, scope);
        }
        const Scope::Entry& e = scope.entries[next++];
        if (const auto i = inlined_.find(&e); i != inlined_.end())
            return "(" + i->second + ") AS " + e.pgQualifier;
        if (src.kind == Source::Kind::Derived)
            return "(" + derivedSql_[derivedAt_++] + ") AS " + e.pgQualifier;
        std::string s = Quote(e.relation->pgName);
        if (!e.relation->parameters.empty()) s += arguments(*e.relation);
        if (!src.alias.empty()) s += " AS " + e.pgQualifier;
        return s;
    }

    // A query over a query that takes values asks for the same values, by name, and passes them.
    std::string arguments(const Relation& r) {
        std::string out;
        for (const RelationParameter& p : r.parameters) {
            Expr name;
            name.kind = Expr::Kind::Name;
            name.parts = p.parts;
            Written w = expressions_.value(name, Scope{});
            if (parameters_) parameters_->Infer(w, p.type);
            out += (out.empty() ? "(" : ", ") + w.sql;
        }
        return out + ")";
    }

    Translation single(const Select& s, const Scope* outer, bool unionPart = false) {
        const bool recordKeys = recordKeys_;
        recordKeys_ = false;
        if (!s.externalDatabase.empty())
            throw Refusal("IN '" + s.externalDatabase + "'", "a table of another database");
        Translation out;
        Scope scope;
        scope.parent = outer;
        const std::size_t derivedStart = derivedSql_.size();
        for (const Source& src : s.from) enter(src, outer, scope, out.reads);
        derivedAt_ = derivedStart;

        // Output columns, with * spelled out so that the query's columns are known.
        struct Item {
            std::string sql, name;
            T type;
            std::string qualifier; // a plain column reference's, for names taken twice
            bool named = false;
            std::string pgType = {};
        };
        std::vector<Item> items;
        int unnamed = 1000;
        bool aggregates = false;
        for (const OutputColumn& c : s.columns) {
            const Expr& e = *c.expr;
            if (e.kind == Expr::Kind::Star) {
                bool found = false;
                for (const Scope::Entry& entry : scope.entries) {
                    if (!e.parts.empty() && !SameName(entry.qualifier, e.parts[0])) continue;
                    found = true;
                    entry.used = true;
                    for (const RelationColumn& rc : entry.relation->columns)
                        items.push_back({entry.pgQualifier + "." + Quote(rc.pgName), rc.name,
                                         rc.type, entry.qualifier, false, rc.pgType});
                }
                if (!found) throw Refusal(e.describe() + ".*", "names no source of the query");
                continue;
            }
            aggregates = aggregates || usesAggregate(e);
            const Written w = expressions_.value(e, scope);
            Item item{w.sql, c.alias, w.type, "", !c.alias.empty(), w.pgType};
            if (c.alias.empty() && e.kind == Expr::Kind::Name) {
                item.name = e.parts.back();
                if (e.parts.size() == 2) item.qualifier = e.parts[0];
            } else if (c.alias.empty()) {
                // Access names an unnamed expression Expr1000, Expr1001, ...
                item.name = "Expr" + std::to_string(unnamed++);
            }
            items.push_back(std::move(item));
        }
        if (s.transform) {
            aggregates = true;
            headings(s, scope, items);
        }
        // Below a DISTINCTROW query: the keys of the records each row comes from, as columns.
        if (recordKeys) {
            if (aggregates || !s.groupBy.empty() || s.quantifier != Select::Quantifier::All ||
                s.top || !s.unions.empty())
                throw Refusal("DISTINCTROW", "reads a query whose records cannot be told apart");
            for (const Scope::Entry& e : scope.entries) {
                if (!e.relation->table)
                    throw Refusal("DISTINCTROW", "reads a query whose records cannot be told "
                                                 "apart: it reads the query " +
                                                     e.qualifier);
                std::vector<std::string> keys;
                for (const std::string& k : e.relation->key)
                    for (const RelationColumn& c : e.relation->columns)
                        if (SameName(c.name, k)) keys.push_back(Quote(c.pgName));
                if (e.relation->key.empty()) keys.push_back("ctid");
                for (const std::string& k : keys)
                    items.push_back({e.pgQualifier + "." + k,
                                     "~record" + std::to_string(items.size()), T::Unknown, "",
                                     true});
            }
        }
        // Two columns of one name: Access tells them apart by their source's name.
        std::vector<bool> twice(items.size());
        for (std::size_t a = 0; a < items.size(); ++a)
            for (std::size_t b = 0; b < items.size(); ++b)
                if (a != b && SameName(items[a].name, items[b].name)) twice[a] = true;
        for (std::size_t a = 0; a < items.size(); ++a)
            if (twice[a] && !items[a].named && !items[a].qualifier.empty())
                items[a].name = items[a].qualifier + "." + items[a].name;
        std::string columns;
        for (const Item& i : items) {
            for (const RelationColumn& seen : out.columns)
                if (SameName(seen.name, i.name))
                    throw Refusal(i.name, "two output columns of the same name");
            out.columns.push_back({i.name, stored(i.name), i.type, i.pgType});
            columns += (columns.empty() ? "" : ", ") + i.sql + " AS " + Quote(stored(i.name));
        }

        // Columns the result leaves out: keys that tell records apart, sort keys of TOP PERCENT.
        std::vector<std::string> hidden;
        bool distinct = s.quantifier == Select::Quantifier::Distinct;
        if (s.quantifier == Select::Quantifier::DistinctRow && !aggregates && s.groupBy.empty())
            distinct = distinctRow(s, scope, items, hidden);
        // The sources that give output, before WHERE and ON name others.
        std::vector<bool> gives;
        for (const Scope::Entry& e : scope.entries) gives.push_back(e.used);
        std::string sql;
        if (!s.from.empty()) {
            sql += " FROM ";
            std::size_t next = 0;
            for (std::size_t i = 0; i < s.from.size(); ++i)
                sql += (i ? ", " : "") + render(s.from[i], scope, next);
        }
        if (s.where) sql += " WHERE " + expressions_.condition(*s.where, scope);
        std::vector<std::string> groups;
        if (!s.groupBy.empty()) {
            sql += " GROUP BY ";
            for (std::size_t i = 0; i < s.groupBy.size(); ++i) {
                groups.push_back(expressions_.value(*s.groupBy[i], scope).sql);
                sql += (i ? ", " : "") + groups.back();
            }
        }
        const bool byRecords = s.quantifier == Select::Quantifier::DistinctRow && distinct;
        out.rowKey = rowKey(s, scope, items, gives, groups, aggregates, byRecords);
        if (s.having) sql += " HAVING " + expressions_.condition(*s.having, scope);
        // A union's parts are ordered as a whole. Access puts Null first going up and last going
        // down.
        const bool percent = s.top && s.topPercent;
        const bool wrap = !hidden.empty() || percent;
        std::vector<std::pair<std::string, const char*>> order;
        if (!unionPart) {
            Scope ordering = scope;
            ordering.outputs = &out.columns;
            for (const Ordering& o : s.orderBy) {
                std::string key = expressions_.value(*o.expr, ordering).sql;
                // An output column named in ORDER BY is its expression below the result.
                for (const Item& i : items)
                    if (wrap && key == Quote(stored(i.name))) key = i.sql;
                order.emplace_back(key, o.descending ? " DESC NULLS LAST" : " NULLS FIRST");
            }
        }
        if (wrap) {
            out.sql = wrapped(s, columns, distinct, sql, hidden, order, out.columns);
            return out;
        }
        std::string orderBy;
        for (const auto& [key, direction] : order)
            orderBy += (orderBy.empty() ? " ORDER BY " : ", ") + key + direction;
        sql = "SELECT " + std::string(distinct ? "DISTINCT " : "") + columns + sql + orderBy;
        if (s.top) {
            // Access keeps every row that ties with the last one. A union's parts have no order
            // of their own.
            if (order.empty())
                sql += " LIMIT " + *s.top;
            else
                sql += " FETCH FIRST " + *s.top + " ROWS WITH TIES";
        }
        out.sql = sql;
        return out;
    }

    // The query below an outer one that drops its hidden columns: the records' keys of
    // DISTINCTROW, and the sort keys by which TOP n PERCENT ranks the rows. The outer query keeps
    // the rows ranked within ceil(n% of the rows), those tying with the last one included.
    static std::string wrapped(const Select& s, const std::string& columns, bool distinct,
                               const std::string& body, std::vector<std::string> hidden,
                               const std::vector<std::pair<std::string, const char*>>& order,
                               const std::vector<RelationColumn>& outputs) {
        std::string orderBy;
        for (const auto& [key, direction] : order) {
            hidden.push_back(key);
            orderBy += std::string(orderBy.empty() ? "" : ", ") + "\"~" +
                       std::to_string(hidden.size()) + "\"" + direction;
        }
        std::string inner = "SELECT " + std::string(distinct ? "DISTINCT " : "") + columns;
        for (std::size_t i = 0; i < hidden.size(); ++i)
            inner += ", " + hidden[i] + " AS \"~" + std::to_string(i + 1) + "\"";
        inner += body;
        std::string visible;
        for (const RelationColumn& c : outputs)
            visible += (visible.empty() ? "" : ", ") + Quote(c.pgName);
        std::string sql = "SELECT " + visible + " FROM (" + inner + ") AS \"~rows\"";
        if (s.top && s.topPercent) {
            const std::string rank =
                orderBy.empty() ? "row_number() OVER ()" : "rank() OVER (ORDER BY " + orderBy + ")";
            sql = "SELECT " + visible + " FROM (SELECT *, " + rank +
                  " AS \"~rank\", count(*) OVER () AS \"~count\" FROM (" + inner +
                  ") AS \"~rows\") AS \"~top\" WHERE \"~rank\" <= ceil(\"~count\" * " + *s.top +
                  " / 100.0)";
            return sql + (orderBy.empty() ? "" : " ORDER BY \"~rank\"");
        }
        if (!orderBy.empty()) sql += " ORDER BY " + orderBy;
        if (s.top)
            sql +=
                orderBy.empty() ? " LIMIT " + *s.top : " FETCH FIRST " + *s.top + " ROWS WITH TIES";
        return sql;
    }

    // The output columns that tell the rows apart: all of them for DISTINCT or a single group;
    // the group expressions when all are shown; else the keys of the records each row comes from
    // (of the sources that give output, after DISTINCTROW), where all are shown. Empty otherwise.
    template <typename Items>
    static std::vector<std::string>
    rowKey(const Select& s, const Scope& scope, const Items& items, const std::vector<bool>& gives,
           const std::vector<std::string>& groups, bool aggregates, bool byRecords) {
        std::vector<std::string> key;
        auto shown = [&](const std::string& sql) {
            const auto i = std::find_if(items.begin(), items.end(),
                                        [&](const auto& item) { return item.sql == sql; });
            if (i == items.end()) return false;
            if (std::find(key.begin(), key.end(), i->name) == key.end()) key.push_back(i->name);
            return true;
        };
        if (s.quantifier == Select::Quantifier::Distinct || (aggregates && groups.empty())) {
            for (const auto& i : items) key.push_back(i.name);
            return key;
        }
        if (aggregates || !groups.empty()) {
            for (const std::string& g : groups)
                if (!shown(g)) return {};
            return key;
        }
        for (std::size_t n = 0; n < scope.entries.size(); ++n) {
            const Scope::Entry& e = scope.entries[n];
            if (byRecords && !gives[n]) continue;
            if (e.relation->key.empty()) return {};
            for (const std::string& k : e.relation->key) {
                const RelationColumn* c = nullptr;
                for (const RelationColumn& rc : e.relation->columns)
                    if (SameName(rc.name, k)) c = &rc;
                if (!c || !shown(e.pgQualifier + "." + Quote(c->pgName))) return {};
            }
        }
        return key;
    }

    // A crosstab's columns after its row headings: one per fixed heading, the TRANSFORM value with
    // its aggregates taken over the rows whose PIVOT value is that heading.
    template <typename Items> void headings(const Select& s, const Scope& scope, Items& items) {
        if (s.pivotIn.empty())
            throw Refusal("PIVOT " + s.pivot->describe(),
                          "column headings taken from the data: the columns would change with "
                          "the rows, which a view cannot");
        const Written pivot = expressions_.value(*s.pivot, scope);
        for (const auto& h : s.pivotIn) {
            const bool date = h->kind == Expr::Kind::Date;
            if (h->kind != Expr::Kind::Text && h->kind != Expr::Kind::Number && !date)
                throw Refusal(h->describe(), "a column heading that is not a constant text, "
                                             "number or date");
            // Access names the columns by the headings' text and matches a date to a text
            // heading by its text, both as United States settings show dates.
            const std::string name = date ? UsDateText(h->text) : h->text;
            Written heading = expressions_.value(*h, scope), value = pivot;
            if (pivot.type == T::Date && heading.type == T::Text)
                value = {UsDateTextSql(pivot.sql), T::Text};
            const Written is = expressions_.compare("=", value, heading, *h);
            expressions_.filterAggregates(" FILTER (WHERE " + is.sql + ")");
            const Written v = expressions_.value(*s.transform->expr, scope);
            const bool filtered = v.sql.find(" FILTER (WHERE ") != std::string::npos;
            expressions_.filterAggregates({});
            if (!filtered)
                throw Refusal("TRANSFORM " + s.transform->expr->describe(), "a value that is no "
                                                                            "aggregate");
            // A heading no record has is an empty cell, also for Count.
            items.push_back(
                {"(CASE WHEN count(*) FILTER (WHERE " + is.sql + ") > 0 THEN " + v.sql + " END)",
                 name, v.type, "", true});
        }
    }

    // DISTINCTROW drops rows that come from the same records of the sources that give output
    // columns. Where every source gives one, or there is one source, each row already comes from
    // other records: nothing to do. Otherwise DISTINCT over the output and the primary key of
    // every source that gives output (a keyless table's row address) does the same; keys not in
    // the output go to `hidden`.
    // True when DISTINCT is needed.
    template <typename Items>
    bool distinctRow(const Select& s, const Scope& scope, const Items& items,
                     std::vector<std::string>& hidden) {
        if (scope.entries.size() <= 1) return false;
        for (const OutputColumn& c : s.columns)
            if (c.expr->kind == Expr::Kind::Star && c.expr->parts.empty()) return false;
        if (std::all_of(scope.entries.begin(), scope.entries.end(),
                        [](const Scope::Entry& e) { return e.used; }))
            return false;
        for (const Scope::Entry& e : scope.entries) {
            if (!e.used) continue;
            if (e.relation->key.empty() && !e.relation->table && e.relation->definition) {
                // A query whose output cannot tell its records apart is written again below this
                // one with its records' keys.
                recordKeys_ = true;
                const std::size_t derivedAt = derivedAt_;
                const Translation t = select(*e.relation->definition, nullptr);
                derivedAt_ = derivedAt;
                for (std::size_t c = e.relation->columns.size(); c < t.columns.size(); ++c)
                    hidden.push_back(e.pgQualifier + "." + Quote(t.columns[c].pgName));
                inlined_[&e] = t.sql;
                continue;
            }
            if (e.relation->key.empty()) {
                if (!e.relation->table)
                    throw Refusal("DISTINCTROW", e.qualifier +
                                                     " is a query that shows neither distinct rows "
                                                     "nor the keys of the records they come from, "
                                                     "so Access's dropping of rows from the same "
                                                     "records cannot be followed");
                // A table without a primary key: its rows' addresses tell records apart.
                hidden.push_back(e.pgQualifier + ".ctid");
                continue;
            }
            for (const std::string& k : e.relation->key) {
                const auto column =
                    std::find_if(e.relation->columns.begin(), e.relation->columns.end(),
                                 [&](const RelationColumn& c) { return SameName(c.name, k); });
                if (column == e.relation->columns.end())
                    throw Refusal("DISTINCTROW", "the key of " + e.qualifier + " is not readable");
                const std::string sql = e.pgQualifier + "." + Quote(column->pgName);
                if (std::none_of(items.begin(), items.end(),
                                 [&](const auto& i) { return i.sql == sql; }))
                    hidden.push_back(sql);
            }
        }
        return true;
    }

    const Catalog& catalog_;
    QueryParameters* parameters_;
    ExpressionWriter expressions_;
    std::vector<std::unique_ptr<Relation>> derived_;
    std::vector<std::string> derivedSql_;
    std::size_t derivedAt_ = 0;
    bool recordKeys_ = false; // the next select adds its records' keys to its columns
    std::map<const Scope::Entry*, std::string> inlined_; // sources written as their query's SQL
};

class NoCatalog : public Catalog {
public:
    const Relation* Find(std::string_view) const override { return nullptr; }
};

} // namespace

Translation TranslateQuery(const Query& query, const Catalog& catalog) {
    // A value asked for without a declared type takes the type of what it meets; where that
    // comes after its first use, a second writing declares it so from the start.
    std::vector<QueryParameter> learnt;
    for (int pass = 0;; ++pass) {
        QueryParameters parameters(query.parameters);
        parameters.Learn(learnt);
        SelectWriter w(catalog, &parameters);
        Translation t = w.select(*query.select, nullptr);
        t.parameters = parameters.Finish(t.columns);
        if (pass == 1 || std::all_of(t.parameters.begin(), t.parameters.end(),
                                     [](const QueryParameter& p) { return p.declared; }))
            return t;
        learnt = t.parameters;
    }
}

Written TranslateExpression(const Expr& expression) {
    static const NoCatalog none;
    SelectWriter w(none, nullptr);
    return w.expression(expression);
}

} // namespace tabulant::dialect
