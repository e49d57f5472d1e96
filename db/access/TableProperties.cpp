#include "TableProperties.h"

#include "ColumnProperties.h"
#include "TextDecoder.h"

#include "platform/AsciiText.h"
#include "platform/Utf8.h"

#include <map>

namespace tabulant::db {

namespace {

constexpr int BooleanType = 0x01;
constexpr int TextType = 0x0A;
constexpr int MemoType = 0x0C;

// CheckConstraints holds texts each ended by a NUL: name, condition, name, condition, ..., then
// an empty one. False when the value is not such a list.
bool splitChecks(const std::string& value, std::vector<std::pair<std::string, std::string>>& out) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t end; (end = value.find('\0', from)) != std::string::npos; from = end + 1)
        parts.push_back(value.substr(from, end - from));
    if (from != value.size()) return false; // text after the last NUL
    while (!parts.empty() && parts.back().empty()) parts.pop_back();
    if (parts.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        if (parts[i].empty() || parts[i + 1].empty()) return false;
        out.emplace_back(parts[i], parts[i + 1]);
    }
    return true;
}

} // namespace

void ReadTableProperties(std::string_view properties, TextDecoder& text, TableShape& table) {
    std::map<std::string, ColumnShape*> byName;
    for (ColumnShape& c : table.columns) byName.emplace(platform::LowerCase(c.name), &c);
    const bool codePage = properties.substr(0, 3) == "KKD";
    bool badChecks = false;
    const bool whole = ForEachProperty(
        properties, &text,
        [&](const std::string& column, const std::string& property, int type,
            const std::uint8_t* data, std::size_t size) {
            std::string value;
            const bool isText = type == TextType || type == MemoType;
            if (isText) {
                if (codePage)
                    text.Append(data, size, value);
                else
                    TextDecoder::AppendUtf16(data, size, value);
            }
            const bool flag = type == BooleanType && size >= 1 && data[0] != 0;
            auto is = [&](const char* name) { return platform::EqualsNoCase(property, name); };
            if (column.empty()) {
                // The table's own values.
                if (!isText) return;
                if (is("Description")) table.description = value;
                if (is("ValidationRule")) table.validationRule = value;
                if (is("ValidationText")) table.validationText = value;
                if (is("CheckConstraints") && !splitChecks(value, table.checkConstraints)) {
                    table.checkConstraints.clear();
                    badChecks = true;
                }
                return;
            }
            const auto found = byName.find(platform::LowerCase(column));
            if (found == byName.end()) return;
            ColumnShape& c = *found->second;
            if (type == BooleanType && is("Required")) c.required = flag;
            if (type == BooleanType && is("AllowZeroLength")) c.allowZeroLength = flag;
            if (!isText) return;
            if (is("DefaultValue")) c.defaultValue = value;
            if (is("ValidationRule")) c.validationRule = value;
            if (is("ValidationText")) c.validationText = value;
            if (is("Description")) c.description = value;
        });
    if (!whole)
        table.propertyDamage = "its property list is damaged; the properties after the damage "
                               "are left out";
    else if (badChecks)
        table.propertyDamage = "its CheckConstraints property is not a list of names and "
                               "conditions; its constraints are left out";
}

std::string ObjectDescription(std::string_view properties, TextDecoder& text) {
    TableShape object;
    ReadTableProperties(properties, text, object);
    return object.description;
}

std::vector<std::pair<std::string, std::string>> ColumnCaptions(std::string_view properties,
                                                                TextDecoder& text) {
    std::vector<std::pair<std::string, std::string>> out;
    const bool codePage = properties.substr(0, 3) == "KKD";
    ForEachProperty(properties, &text,
                    [&](const std::string& column, const std::string& property, int type,
                        const std::uint8_t* data, std::size_t size) {
                        if (column.empty() || !platform::EqualsNoCase(property, "Caption") ||
                            (type != TextType && type != MemoType))
                            return;
                        std::string value;
                        if (codePage)
                            text.Append(data, size, value);
                        else
                            TextDecoder::AppendUtf16(data, size, value);
                        if (!value.empty()) out.emplace_back(column, std::move(value));
                    });
    return out;
}

} // namespace tabulant::db
