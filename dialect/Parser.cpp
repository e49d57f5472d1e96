#include "Parser.h"

#include "Refusal.h"
#include "Tokenizer.h"

#include <array>

namespace tabulant::dialect {

namespace {

using K = Token::Kind;

// Words that end an expression or a source rather than name something.
constexpr std::array<const char*, 28> Reserved = {
    "select", "from", "where", "group",   "having", "order",     "by",    "union", "as",  "on",
    "inner",  "left", "right", "join",    "and",    "or",        "not",   "xor",   "eqv", "imp",
    "mod",    "like", "is",    "between", "in",     "transform", "pivot", "with"};

bool reserved(const Token& t) {
    if (t.kind != K::Word) return false;
    for (const char* w : Reserved)
        if (t.isWord(w)) return true;
    return false;
}

class Parser {
public:
    explicit Parser(std::string_view source) : source_(source), tokens_(Tokenize(source)) {}

    std::unique_ptr<Expr> expression() { return imp(); }

    Query query() {
        Query q;
        if (peek().isWord("parameters")) {
            next();
            do {
                Parameter p;
                p.name = nameParts(p.parts);
                p.type = next().text;
                // Text(255): the size only limits what a prompt takes.
                if (accept("(")) {
                    while (!peek().isSymbol(")") && peek().kind != K::End) next();
                    expect(")");
                }
                q.parameters.push_back(std::move(p));
            } while (accept(","));
            expect(";");
        }
        if (peek().isWord("transform")) {
            next();
            auto value = std::make_unique<OutputColumn>();
            value->expr = expression();
            if (acceptWord("as")) value->alias = name();
            q.select = select();
            q.select->transform = std::move(value);
            if (!acceptWord("pivot")) fail("PIVOT");
            q.select->pivot = comparison(true);
            if (acceptWord("in")) {
                expect("(");
                do q.select->pivotIn.push_back(expression());
                while (accept(","));
                expect(")");
            }
        } else if (peek().isWord("select")) {
            q.select = select();
        } else {
            throw Refusal(peek().text, "not a select query");
        }
        accept(";");
        if (peek().kind != K::End) fail("the end of the query");
        return q;
    }

    void end() {
        if (peek().kind != K::End) fail("the end of the expression");
    }

private:
    const Token& peek(std::size_t ahead = 0) const {
        return tokens_[std::min(at_ + ahead, tokens_.size() - 1)];
    }
    const Token& next() {
        const Token& t = peek();
        if (at_ < tokens_.size() - 1) ++at_;
        return t;
    }
    bool accept(const char* symbol) {
        if (!peek().isSymbol(symbol)) return false;
        next();
        return true;
    }
    bool acceptWord(const char* word) {
        if (!peek().isWord(word)) return false;
        next();
        return true;
    }
    void expect(const char* symbol) {
        if (!accept(symbol)) fail(std::string("\"") + symbol + "\"");
    }
    [[noreturn]] void fail(const std::string& wanted) const {
        const Token& t = peek();
        const std::string near =
            t.kind == K::End ? "the end" : std::string(source_.substr(t.offset, 30));
        throw Refusal(near, "cannot be read here (expected " + wanted + ")");
    }

    std::string name() {
        const Token& t = peek();
        if (t.kind == K::Name || (t.kind == K::Word && !reserved(t)) || t.kind == K::Text)
            return next().text;
        fail("a name");
    }
    // A parameter's name: Forms![F]![C] and the like, kept as one text.
    std::string nameParts(std::vector<std::string>& parts) {
        parts.push_back(name());
        std::string n = parts.back();
        while (peek().isSymbol("!") || peek().isSymbol(".")) {
            n += next().text;
            parts.push_back(name());
            n += parts.back();
        }
        return n;
    }

    std::unique_ptr<Expr> make(Expr::Kind kind, std::size_t offset) {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        e->offset = offset;
        return e;
    }
    std::unique_ptr<Expr> binary(std::string op, std::unique_ptr<Expr> l, std::unique_ptr<Expr> r) {
        auto e = make(Expr::Kind::Binary, l->offset);
        e->op = std::move(op);
        e->children.push_back(std::move(l));
        e->children.push_back(std::move(r));
        return e;
    }

    // Left-associative levels of word operators, lowest first.
    std::unique_ptr<Expr> imp() { return wordLevel(0); }
    std::unique_ptr<Expr> wordLevel(int level) {
        static const char* const ops[] = {"imp", "eqv", "xor", "or", "and"};
        if (level == 5) return notLevel();
        auto l = wordLevel(level + 1);
        while (peek().isWord(ops[level])) {
            next();
            l = binary(ops[level], std::move(l), wordLevel(level + 1));
        }
        return l;
    }
    std::unique_ptr<Expr> notLevel() {
        if (peek().isWord("not")) {
            auto e = make(Expr::Kind::Unary, next().offset);
            e->op = "not";
            e->children.push_back(notLevel());
            return e;
        }
        return comparison(false);
    }
    // `pivot`: PIVOT's expression, whose In list belongs to the crosstab, not to the expression.
    std::unique_ptr<Expr> comparison(bool pivot) {
        auto l = concatenation();
        for (;;) {
            const Token& t = peek();
            if (t.kind == K::Symbol && (t.text == "=" || t.text == "<>" || t.text == "<" ||
                                        t.text == ">" || t.text == "<=" || t.text == ">=")) {
                const std::string op = next().text;
                l = binary(op, std::move(l), concatenation());
                continue;
            }
            bool negated = false;
            if (t.isWord("not") &&
                (peek(1).isWord("like") || peek(1).isWord("between") || peek(1).isWord("in"))) {
                next();
                negated = true;
            }
            if (acceptWord("like")) {
                auto e = make(Expr::Kind::Like, l->offset);
                e->flag = negated;
                e->children.push_back(std::move(l));
                e->children.push_back(concatenation());
                l = std::move(e);
            } else if (acceptWord("between")) {
                auto e = make(Expr::Kind::Between, l->offset);
                e->flag = negated;
                e->children.push_back(std::move(l));
                e->children.push_back(concatenation());
                if (!acceptWord("and")) fail("And");
                e->children.push_back(concatenation());
                l = std::move(e);
            } else if (!pivot && peek().isWord("in")) {
                next();
                auto e = make(Expr::Kind::In, l->offset);
                e->flag = negated;
                e->children.push_back(std::move(l));
                expect("(");
                if (peek().isWord("select")) {
                    auto s = make(Expr::Kind::Subquery, peek().offset);
                    s->select = select();
                    e->children.push_back(std::move(s));
                } else {
                    do e->children.push_back(expression());
                    while (accept(","));
                }
                expect(")");
                l = std::move(e);
            } else if (peek().isWord("is")) {
                next();
                auto e = make(Expr::Kind::IsNull, l->offset);
                e->flag = acceptWord("not");
                if (!acceptWord("null")) fail("Null");
                e->children.push_back(std::move(l));
                l = std::move(e);
            } else {
                if (negated) fail("Like, Between or In");
                return l;
            }
        }
    }
    std::unique_ptr<Expr> concatenation() {
        auto l = additive();
        while (accept("&")) l = binary("&", std::move(l), additive());
        return l;
    }
    std::unique_ptr<Expr> additive() {
        auto l = modulo();
        while (peek().isSymbol("+") || peek().isSymbol("-")) {
            const std::string op = next().text;
            l = binary(op, std::move(l), modulo());
        }
        return l;
    }
    std::unique_ptr<Expr> modulo() {
        auto l = integerDivision();
        while (acceptWord("mod")) l = binary("mod", std::move(l), integerDivision());
        return l;
    }
    std::unique_ptr<Expr> integerDivision() {
        auto l = multiplicative();
        while (accept("\\")) l = binary("\\", std::move(l), multiplicative());
        return l;
    }
    std::unique_ptr<Expr> multiplicative() {
        auto l = unary();
        while (peek().isSymbol("*") || peek().isSymbol("/")) {
            const std::string op = next().text;
            l = binary(op, std::move(l), unary());
        }
        return l;
    }
    std::unique_ptr<Expr> unary() {
        if (peek().isSymbol("-") || peek().isSymbol("+")) {
            auto e = make(Expr::Kind::Unary, peek().offset);
            e->op = next().text;
            e->children.push_back(unary());
            return e;
        }
        return power();
    }
    std::unique_ptr<Expr> power() {
        auto l = primary();
        // The exponent may carry its own sign: 2^-1.
        while (accept("^")) {
            std::unique_ptr<Expr> r;
            if (peek().isSymbol("-") || peek().isSymbol("+")) {
                r = make(Expr::Kind::Unary, peek().offset);
                r->op = next().text;
                r->children.push_back(primary());
            } else {
                r = primary();
            }
            l = binary("^", std::move(l), std::move(r));
        }
        return l;
    }

    std::unique_ptr<Expr> primary() {
        const Token& t = peek();
        const std::size_t offset = t.offset;
        switch (t.kind) {
        case K::Number: {
            auto e = make(Expr::Kind::Number, offset);
            e->text = next().text;
            return e;
        }
        case K::Text: {
            auto e = make(Expr::Kind::Text, offset);
            e->text = next().text;
            return e;
        }
        case K::Date: {
            auto e = make(Expr::Kind::Date, offset);
            e->text = next().text;
            return e;
        }
        case K::Parameter: {
            auto e = make(Expr::Kind::Parameter, offset);
            e->text = next().text;
            return e;
        }
        case K::Symbol:
            if (t.text == "(") {
                next();
                std::unique_ptr<Expr> e;
                if (peek().isWord("select")) {
                    e = make(Expr::Kind::Subquery, offset);
                    e->select = select();
                } else {
                    e = expression();
                }
                expect(")");
                return e;
            }
            if (t.text == "*") {
                next();
                return make(Expr::Kind::Star, offset);
            }
            fail("a value");
        case K::Word:
            if (t.isWord("null")) {
                next();
                return make(Expr::Kind::Null, offset);
            }
            for (const char* w : {"true", "yes", "on", "false", "no", "off"})
                if (t.isWord(w)) {
                    auto e = make(Expr::Kind::Boolean, offset);
                    e->flag = t.isWord("true") || t.isWord("yes") || t.isWord("on");
                    next();
                    return e;
                }
            if (t.isWord("exists") && peek(1).isSymbol("(")) {
                next();
                next();
                auto e = make(Expr::Kind::Exists, offset);
                e->select = select();
                expect(")");
                return e;
            }
            // Left( and Right( are functions, not joins.
            if (reserved(t) && !(peek(1).isSymbol("(") && (t.isWord("left") || t.isWord("right"))))
                fail("a value");
            if (peek(1).isSymbol("(")) {
                auto e = make(Expr::Kind::Call, offset);
                e->text = next().text;
                next();
                if (!accept(")")) {
                    do e->children.push_back(expression());
                    while (accept(","));
                    expect(")");
                }
                return e;
            }
            [[fallthrough]];
        case K::Name: {
            auto e = make(Expr::Kind::Name, offset);
            e->parts.push_back(next().text);
            while (peek().isSymbol(".") || peek().isSymbol("!")) {
                next();
                if (accept("*")) {
                    e->kind = Expr::Kind::Star;
                    return e;
                }
                const Token& p = peek();
                if (p.kind != K::Name && p.kind != K::Word) fail("a name");
                e->parts.push_back(next().text);
            }
            return e;
        }
        case K::End:
            fail("a value");
        }
        fail("a value");
    }

    std::shared_ptr<Select> select() {
        if (!acceptWord("select")) fail("SELECT");
        auto s = std::make_shared<Select>();
        if (acceptWord("distinct"))
            s->quantifier = Select::Quantifier::Distinct;
        else if (acceptWord("distinctrow"))
            s->quantifier = Select::Quantifier::DistinctRow;
        else
            acceptWord("all");
        if (acceptWord("top")) {
            if (peek().kind != K::Number) fail("TOP's number");
            s->top = next().text;
            s->topPercent = acceptWord("percent");
        }
        do {
            OutputColumn c;
            c.expr = expression();
            if (acceptWord("as")) c.alias = name();
            s->columns.push_back(std::move(c));
        } while (accept(","));
        if (acceptWord("into")) throw Refusal("SELECT … INTO", "a make-table query");
        if (acceptWord("from")) {
            do s->from.push_back(joined());
            while (accept(","));
            if (acceptWord("in")) {
                s->externalDatabase = peek().text;
                next();
            }
        }
        if (acceptWord("where")) s->where = expression();
        if (peek().isWord("group")) {
            next();
            if (!acceptWord("by")) fail("BY");
            do s->groupBy.push_back(expression());
            while (accept(","));
        }
        if (acceptWord("having")) s->having = expression();
        if (peek().isWord("union")) {
            next();
            const bool all = acceptWord("all");
            auto part = select();
            s->unions.push_back(part);
            s->unionAll.push_back(all);
            // The ORDER BY after the last part orders the whole union.
            for (auto& u : part->unions) {
                s->unions.push_back(u);
            }
            s->unionAll.insert(s->unionAll.end(), part->unionAll.begin(), part->unionAll.end());
            part->unions.clear();
            part->unionAll.clear();
            s->orderBy = std::move(part->orderBy);
            part->orderBy.clear();
            return s;
        }
        orderBy(*s);
        if (peek().isWord("with") && peek(1).isWord("owneraccess")) {
            next();
            next();
            if (!acceptWord("option")) fail("OPTION");
            s->ownerAccess = true;
        }
        return s;
    }

    void orderBy(Select& s) {
        if (!peek().isWord("order")) return;
        next();
        if (!acceptWord("by")) fail("BY");
        do {
            Ordering o;
            o.expr = expression();
            if (acceptWord("desc"))
                o.descending = true;
            else
                acceptWord("asc");
            s.orderBy.push_back(std::move(o));
        } while (accept(","));
    }

    Source single() {
        Source s;
        if (accept("(")) {
            if (peek().isWord("select")) {
                s.kind = Source::Kind::Derived;
                s.derived = select();
                expect(")");
            } else {
                s = joined();
                expect(")");
                return s;
            }
        } else {
            s.name = name();
        }
        if (acceptWord("as"))
            s.alias = name();
        else if ((peek().kind == K::Word && !reserved(peek())) || peek().kind == K::Name)
            s.alias = name();
        return s;
    }

    Source joined() {
        Source l = single();
        for (;;) {
            std::string kind;
            if (acceptWord("inner"))
                kind = "inner";
            else if (acceptWord("left"))
                kind = "left";
            else if (acceptWord("right"))
                kind = "right";
            else
                return l;
            acceptWord("outer");
            if (!acceptWord("join")) fail("JOIN");
            Source j;
            j.kind = Source::Kind::Join;
            j.joinKind = kind;
            j.left = std::make_unique<Source>(std::move(l));
            j.right = std::make_unique<Source>(single());
            if (!acceptWord("on")) fail("ON");
            j.on = expression();
            l = std::move(j);
        }
    }

    std::string_view source_;
    std::vector<Token> tokens_;
    std::size_t at_ = 0;
};

} // namespace

std::string Expr::describe() const {
    switch (kind) {
    case Kind::Name: {
        std::string s;
        for (const std::string& p : parts) s += (s.empty() ? "[" : ".[") + p + "]";
        return s;
    }
    case Kind::Call:
        return text + "(…)";
    case Kind::Parameter:
        return "@" + text;
    case Kind::Binary:
    case Kind::Unary:
        return op;
    case Kind::Date:
        return "#" + text + "#";
    case Kind::Text:
        return "\"" + text + "\"";
    default:
        return text;
    }
}

std::unique_ptr<Expr> ParseExpression(std::string_view source) {
    Parser p(source);
    auto e = p.expression();
    p.end();
    return e;
}

Query ParseQuery(std::string_view source) {
    Parser p(source);
    return p.query();
}

} // namespace tabulant::dialect
