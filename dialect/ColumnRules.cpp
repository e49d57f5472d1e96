#include "ColumnRules.h"

#include "ExpressionWriter.h"
#include "Parser.h"
#include "Refusal.h"
#include "Tokenizer.h"

namespace tabulant::dialect {

namespace {

using T = ValueType;

// The writer of one table's conditions: names are the table's columns, unqualified as a
// constraint writes them; a subquery has no PostgreSQL form there.
struct RuleWriter {
    explicit RuleWriter(const std::vector<RelationColumn>& columns)
        : writer([](const Select&, const Scope&) -> Translation {
              throw Refusal("a subquery", "PostgreSQL checks no subquery in a constraint");
          }) {
        scope.outputs = &columns;
    }
    ExpressionWriter writer;
    Scope scope;
};

bool readsFields(const Expr& e) {
    if (e.kind == Expr::Kind::Name || e.kind == Expr::Kind::Subquery ||
        e.kind == Expr::Kind::Exists)
        return true;
    for (const auto& child : e.children)
        if (readsFields(*child)) return true;
    return false;
}

// Whether a field rule leaves out its left side: it starts with a comparison or with Like,
// Between, In or Is (Not Like, Not Between, Not In included).
bool startsWithOperator(std::string_view rule) {
    const std::vector<Token> t = Tokenize(rule);
    const Token& first = t.front();
    if (first.kind == Token::Kind::Symbol)
        for (const char* op : {"=", "<>", "<", ">", "<=", ">="})
            if (first.text == op) return true;
    for (const char* word : {"like", "between", "in", "is"})
        if (first.isWord(word)) return true;
    return first.isWord("not") && t.size() > 1 &&
           (t[1].isWord("like") || t[1].isWord("between") || t[1].isWord("in"));
}

std::unique_ptr<Expr> fieldName(const RelationColumn& field) {
    auto name = std::make_unique<Expr>();
    name->kind = Expr::Kind::Name;
    name->parts = {field.name};
    return name;
}

} // namespace

std::string TranslateDefault(std::string_view value, ValueType type) {
    std::size_t start = value.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) throw Refusal("an empty default", "no value");
    value.remove_prefix(start);
    const bool evaluate = value.front() == '=';
    if (evaluate) value.remove_prefix(1);
    if (!evaluate && type == T::Text && value.front() != '"') return TextLiteral(value);

    const std::unique_ptr<Expr> e = ParseExpression(value);
    if (readsFields(*e))
        throw Refusal(e->describe(), "a default value that reads fields or tables");
    if (e->kind == Expr::Kind::Call && SameName(e->text, "GenGUID") && e->children.empty())
        return "gen_random_uuid()";
    static const std::vector<RelationColumn> none;
    RuleWriter w(none);
    Written v = w.writer.value(*e, w.scope);
    if (v.type == T::Null) return "NULL";
    if (type == T::Boolean) return w.writer.condition(v, *e);
    if (type == T::Integer || type == T::Float || type == T::Exact)
        return w.writer.number(v, *e).sql;
    if (type == T::Date && v.type == T::Text)
        throw Refusal(e->describe(), "a text read as a date in the regional order of the "
                                     "computer that stores the row");
    return v.sql;
}

std::string TranslateFieldRule(std::string_view rule, const RelationColumn& field,
                               const std::vector<RelationColumn>& columns) {
    RuleWriter w(columns);
    if (startsWithOperator(rule)) {
        // Access names no field that holds "]", so the brackets keep any other name whole.
        const std::string whole = "[" + field.name + "] " + std::string(rule);
        return w.writer.condition(*ParseExpression(whole), w.scope);
    }
    std::unique_ptr<Expr> e = ParseExpression(rule);
    const Written v = w.writer.value(*e, w.scope);
    if (v.type == T::Boolean) return v.sql;
    auto equal = std::make_unique<Expr>();
    equal->kind = Expr::Kind::Binary;
    equal->op = "=";
    equal->offset = e->offset;
    equal->children.push_back(fieldName(field));
    equal->children.push_back(std::move(e));
    return w.writer.condition(*equal, w.scope);
}

std::string TranslateTableRule(std::string_view rule, const std::vector<RelationColumn>& columns) {
    RuleWriter w(columns);
    return w.writer.condition(*ParseExpression(rule), w.scope);
}

} // namespace tabulant::dialect
