#include "RuleStatements.h"

#include "engine/SqlText.h"

#include "dialect/ColumnRules.h"
#include "dialect/ExpressionWriter.h"
#include "dialect/Refusal.h"

namespace tabulant::engine::typed {

namespace {

using dialect::ValueType;

bool isText(AccessType t) {
    return t == AccessType::Text || t == AccessType::Memo || t == AccessType::Hyperlink;
}

std::string quoted(std::string_view name) {
    std::string s;
    AppendQuotedName(s, name);
    return s;
}

constexpr std::string_view BrokenRules = "tabulant.broken_rules";

// DO $rule$…$rule$; with a tag the body does not hold.
std::string DoBlock(const std::string& body) {
    std::string tag = "$rule$";
    for (int i = 2; body.find(tag) != std::string::npos; ++i)
        tag = "$rule" + std::to_string(i) + "$";
    return "DO " + tag + body + tag + ";";
}

class Rules {
public:
    Rules(TablePlan& plan, RulePlan& out) : plan_(plan), out_(out) {
        AppendTableName(table_, plan.schema, plan.table);
        for (std::size_t i = 0; i < plan.columns.size(); ++i)
            columns_.push_back(
                {plan.columns[i].name, plan.names[i], DialectType(plan.columns[i].type)});
    }

    void Default(std::size_t i) {
        const Column& c = plan_.columns[i];
        try {
            const std::string sql = dialect::TranslateDefault(c.defaultValue, columns_[i].type);
            out_.statements.push_back("ALTER TABLE " + table_ + " ALTER COLUMN " +
                                      quoted(plan_.names[i]) + " SET DEFAULT " + sql + ";");
        } catch (const dialect::Refusal& r) {
            refuse("column '" + c.name + "': default value `" + c.defaultValue + "`", r);
        }
    }

    // `what` names the rule in a refusal; `access` is the rule as Access shows it.
    template <typename Translate>
    void Check(const std::string& wanted, const std::string& what, const std::string& access,
               const std::string& text, Translate translate) {
        std::string condition;
        try {
            condition = translate();
        } catch (const dialect::Refusal& r) {
            refuse(what + " `" + access + "`", r);
            return;
        }
        const std::string name = quoted(plan_.constraintNames.Unique(wanted));
        out_.statements.push_back("ALTER TABLE " + table_ + " ADD CONSTRAINT " + name + " CHECK (" +
                                  condition + ") NOT VALID;");
        if (!text.empty())
            out_.statements.push_back("COMMENT ON CONSTRAINT " + name + " ON " + table_ + " IS " +
                                      dialect::TextLiteral(text) + ";");
        added_.push_back({name, condition, access});
    }

    const std::vector<dialect::RelationColumn>& Columns() const { return columns_; }
    const std::string& Table() const { return table_; }

    // Rows Access kept although they break a rule (Access may save a rule without testing the
    // rows it holds): each rule is validated on its own (a subtransaction), and the rows of those
    // that fail are counted; those rules stay NOT VALID, checking every new row. Nothing failed,
    // so the statement only warns, listing them once for the table: an error would undo the
    // validations that succeeded and end an all-or-nothing load. The list is also left in a
    // setting of the session, which the statement always sets, for a run that reads it back.
    void Validate() {
        if (added_.empty()) return;
        std::string body = "DECLARE n bigint; broken text := ''; BEGIN ";
        for (const Added& a : added_) {
            body += "BEGIN ALTER TABLE " + table_ + " VALIDATE CONSTRAINT " + a.name +
                    "; EXCEPTION WHEN check_violation THEN SELECT count(*) INTO n FROM " + table_ +
                    " WHERE NOT (" + a.condition +
                    "); broken := broken || E'\\n' || n || CASE n WHEN 1 THEN ' row breaks ' "
                    "ELSE ' rows break ' END || " +
                    dialect::TextLiteral(a.name + " (" + a.access + ")") + "; END; ";
        }
        const std::string head = "Rows of " + table_ +
                                 " that break its rules are kept; the rules "
                                 "hold for new rows:";
        body += "IF broken <> '' THEN broken := " + dialect::TextLiteral(head) +
                " || broken; RAISE WARNING USING MESSAGE = broken; END IF; PERFORM set_config('" +
                std::string(BrokenRules) + "', broken, false); END";
        out_.statements.push_back(DoBlock(body));
        out_.validates = true;
    }

private:
    struct Added {
        std::string name, condition, access;
    };

    void refuse(const std::string& what, const dialect::Refusal& r) {
        out_.refused.push_back(what + ": " + r.construct() + ": " + r.reason());
    }

    TablePlan& plan_;
    RulePlan& out_;
    std::string table_;
    std::vector<dialect::RelationColumn> columns_;
    std::vector<Added> added_;
};

} // namespace

std::string BrokenRulesQuery() {
    return "SELECT current_setting('" + std::string(BrokenRules) + "', true), set_config('" +
           std::string(BrokenRules) + "', '', false)";
}

dialect::ValueType DialectType(AccessType t) {
    switch (t) {
    case AccessType::YesNo:
        return ValueType::Boolean;
    case AccessType::Byte:
    case AccessType::Integer:
    case AccessType::LongInteger:
    case AccessType::LargeNumber:
        return ValueType::Integer;
    case AccessType::Currency:
    case AccessType::Decimal:
        return ValueType::Exact;
    case AccessType::Single:
    case AccessType::Double:
        return ValueType::Float;
    case AccessType::DateTime:
        return ValueType::Date;
    case AccessType::Text:
    case AccessType::Memo:
    case AccessType::Hyperlink:
        return ValueType::Text;
    case AccessType::Binary:
    case AccessType::OleObject:
        return ValueType::Binary;
    default:
        // Extended dates are kept as text, multi-valued fields as joined text, GUIDs as uuid:
        // Access's operators do not apply to them as to those types.
        return ValueType::Unknown;
    }
}

RulePlan PlanRules(TablePlan& plan, const TableSchema* schema) {
    RulePlan out;
    Rules rules(plan, out);
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
        const Column& c = plan.columns[i];
        if (c.autoNumber || c.calculated) continue;
        if (!c.defaultValue.empty()) rules.Default(i);
        if (isText(c.type) && c.allowZeroLength == false)
            rules.Check(plan.names[i] + "_not_empty",
                        "column '" + c.name + "': no zero-length text", "<>\"\"", "",
                        [&] { return quoted(plan.names[i]) + " <> ''"; });
        if (!c.validationRule.empty())
            rules.Check(plan.names[i], "column '" + c.name + "': validation rule", c.validationRule,
                        c.validationText, [&] {
                            return dialect::TranslateFieldRule(c.validationRule, rules.Columns()[i],
                                                               rules.Columns());
                        });
    }
    if (schema) {
        for (const TableCheck& check : schema->checks)
            rules.Check(check.name.empty() ? "ValidationRule" : check.name,
                        check.name.empty() ? "validation rule" : "condition '" + check.name + "'",
                        check.condition, check.text, [&] {
                            return dialect::TranslateTableRule(check.condition, rules.Columns());
                        });
        if (!schema->propertyDamage.empty()) out.refused.push_back(schema->propertyDamage);
    }
    rules.Validate();
    if (schema) {
        if (!schema->description.empty())
            out.statements.push_back("COMMENT ON TABLE " + rules.Table() + " IS " +
                                     dialect::TextLiteral(schema->description) + ";");
    }
    for (std::size_t i = 0; i < plan.columns.size(); ++i)
        if (!plan.columns[i].description.empty())
            out.statements.push_back("COMMENT ON COLUMN " + rules.Table() + "." +
                                     quoted(plan.names[i]) + " IS " +
                                     dialect::TextLiteral(plan.columns[i].description) + ";");
    return out;
}

} // namespace tabulant::engine::typed
