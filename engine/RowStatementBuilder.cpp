#include "RowStatementBuilder.h"

#include "Datatype.h"
#include "SqlText.h"

#include "platform/AdoType.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace tabulant::engine {

RowStatementBuilder::RowStatementBuilder(const platform::RegionalText& regional,
                                         platform::EventLoop& events, std::string schema)
    : regional_(regional), events_(events), schema_(std::move(schema)) {}

void RowStatementBuilder::Start(shell::Trap& trap, std::string_view table,
                                std::string_view numericColumns) {
    trap(326, [&] {
        numericAt_.clear();
        for (std::size_t start = 0; start < numericColumns.size();) {
            auto end = numericColumns.find(", ", start);
            if (end == std::string_view::npos) end = numericColumns.size();
            std::size_t position = 0;
            const char* first = numericColumns.data() + start;
            const char* last = numericColumns.data() + end;
            if (auto [p, ec] = std::from_chars(first, last, position);
                ec == std::errc() && p == last) {
                if (numericAt_.size() <= position) numericAt_.resize(position + 1, 0);
                numericAt_[position] = 1;
            }
            start = end + 2;
        }
        tableHasNumeric_ = !numericColumns.empty();
        prefix_ = "INSERT INTO ";
        AppendTableName(prefix_, schema_, table);
        defaultRow_ = prefix_ + " DEFAULT VALUES;";
        prefix_ += " VALUES (";
    });
}

void RowStatementBuilder::AppendNull() {
    // The blank of the previous literal's separator goes; after "(" nothing is removed.
    if (!statement_.empty() && statement_.back() == ' ') statement_.pop_back();
    statement_.append("NULL, ", 6);
}

void RowStatementBuilder::BuildRow(shell::Trap& trap, const platform::Recordset& records) {
    trap(340, [&] { statement_.assign(prefix_); });
    platform::FieldList fields;
    int fieldCount = 1; // a failing loop head enters the loop once
    trap(342, [&] {
        fields = records.Fields();
        fieldCount = fields.Count();
    });
    bool anyColumn = false;
    for (int k = 0; k < fieldCount; ++k) {
        const platform::Field* field = nullptr;
        // The type key is "adlongvarbinary" exactly for this one code.
        trap(344, [&] {
            field = &fields.Item(k);
            longBinary_ = field->type == platform::adLongVarBinary;
        });
        if (trap.Condition(346, [&] { return longBinary_; })) continue;
        anyColumn = true;
        trap(348, [&] { events_.yield(); });
        trap(350, [&] { ReadValue(field ? *field : fields.Item(k)); });
        const bool numericPosition =
            static_cast<std::size_t>(k) < numericAt_.size() && numericAt_[k] != 0;
        if (trap.Condition(352, [&] { return tableHasNumeric_; })) {
            if (trap.Condition(354, [&] { return numericPosition; }))
                AppendNumeric(trap);
            else
                AppendTextA(trap);
        } else {
            AppendTextB(trap);
        }
    }
    KeepValue();
    trap(416, [&] {
        if (!anyColumn)
            statement_.assign(defaultRow_);
        else
            statement_.resize(statement_.size() >= 2 ? statement_.size() - 2 : 0);
    });
    trap(418, [&] {
        if (anyColumn) statement_.append(");", 2);
    });
}

void RowStatementBuilder::ReadValue(const platform::Field& field) {
    using Kind = platform::Variant::Kind;
    const platform::Variant& value = field.value;
    const Kind kind = value.kind();
    if (kind == Kind::Text) {
        // A text is its own value text: read in place, not copied.
        value_ = value.payload();
    } else {
        // NullToDefault with "": the empty text (a null appends nothing).
        scratch_.clear();
        regional_.AppendText(value, scratch_);
        text_.swap(scratch_);
        value_ = text_;
    }
    const bool floating = kind == Kind::Single || kind == Kind::Double;
    valueDouble_ = value.asDouble();
    valueNonFinite_ = floating && !std::isfinite(valueDouble_);
    // The text of a finite number of any kind reads back as a number: the test can be spared.
    valueIsNumber_ = kind == Kind::Integer || kind == Kind::Currency || kind == Kind::Decimal ||
                     (floating && !valueNonFinite_);
    valueDate_.reset();
    if (kind == Kind::Date) valueDate_ = platform::RegionalText::TryFromOleDate(valueDouble_);
}

void RowStatementBuilder::KeepValue() {
    // The next row overwrites the record set's values in place; a value read in place is copied
    // so that it stays what it was should the next read fail.
    if (value_.data() == text_.data()) return;
    text_.assign(value_);
    value_ = text_;
}

void RowStatementBuilder::AppendNumeric(shell::Trap& trap) {
    if (trap.Condition(356, [&] { return value_.empty(); })) {
        trap(358, [&] { AppendNull(); });
        return;
    }
    if (trap.Condition(362, [&] { return value_ == "True" || value_ == "False"; })) {
        trap(364, [&] { statement_.append(value_ == "True" ? "TRUE, " : "FALSE, "); });
        return;
    }
    // PostgreSQL's own spellings, quoted: NaN and infinity have no unquoted numeric literal.
    if (valueNonFinite_) {
        trap(368, [&] {
            statement_.append(std::isnan(valueDouble_) ? "'NaN', "
                              : valueDouble_ > 0       ? "'Infinity', "
                                                       : "'-Infinity', ");
        });
        return;
    }
    if (trap.Condition(366, [&] { return valueIsNumber_ || regional_.IsNumeric(value_); })) {
        trap(368, [&] {
            const auto at = statement_.size();
            statement_.append(value_);
            DecimalSeparatorsToPoints(statement_, regional_.conventions().decimalSeparator, at);
            statement_.append(", ", 2);
        });
        return;
    }
    trap(372, [&] { statement_.append(value_).append(", ", 2); });
}

void RowStatementBuilder::AppendDateLiteral(const platform::DateTime& date, std::string_view text) {
    // Whether the time is written depends only on whether the text holds a ":".
    statement_ += '\'';
    regional_.AppendDate(date, text.find(':') != std::string_view::npos, statement_);
    statement_.append("', ", 3);
}

void RowStatementBuilder::Escape() {
    escapeString_ = false;
    // Most texts hold nothing to escape and are then used as they are.
    if (!NeedsEscaping(value_)) {
        escaped_ = value_;
        return;
    }
    escapedText_.clear();
    // Line breaks are kept, written as escapes: removing them would join the lines of every
    // multi-line memo, and raw ones would split the statement over several preview lines.
    escapeString_ = HoldsLineBreak(value_);
    if (escapeString_)
        AppendEscapeStringBody(escapedText_, value_);
    else
        AppendEscapedText(escapedText_, value_);
    escaped_ = escapedText_;
}

void RowStatementBuilder::AppendQuotedOrDate(shell::Trap& trap, int dateLine, int quotedLine) {
    std::optional<platform::DateTime> date;
    if (!escapeString_) trap(dateLine, [&] { date = regional_.ReadDate(escaped_); });
    if (date) {
        trap(dateLine + 2, [&] { AppendDateLiteral(*date, escaped_); });
        return;
    }
    trap(quotedLine, [&] {
        statement_.append(escapeString_ ? "E'" : "'");
        statement_.append(escaped_).append("', ", 3);
    });
}

void RowStatementBuilder::AppendTextA(shell::Trap& trap) {
    if (trap.Condition(374, [&] { return value_.empty(); })) {
        trap(376, [&] { AppendNull(); });
        return;
    }
    // A date value's text reads back as the same date and holds nothing to escape: reading it
    // again can be spared.
    if (valueDate_) {
        trap(384, [&] { AppendDateLiteral(*valueDate_, value_); });
        return;
    }
    trap(380, [&] { Escape(); });
    AppendQuotedOrDate(trap, 382, 390);
}

void RowStatementBuilder::AppendTextB(shell::Trap& trap) {
    if (trap.Condition(394, [&] { return value_.empty(); })) {
        trap(396, [&] { AppendNull(); });
        return;
    }
    trap(400, [&] { Escape(); });
    if (trap.Condition(402, [&] { return !escapeString_ && regional_.IsNumeric(escaped_); })) {
        trap(404, [&] {
            if (escaped_.data() != escapedText_.data()) escapedText_.assign(escaped_);
            DecimalSeparatorsToPoints(escapedText_, regional_.conventions().decimalSeparator);
            escaped_ = escapedText_;
        });
    }
    AppendQuotedOrDate(trap, 406, 412);
}

} // namespace tabulant::engine
