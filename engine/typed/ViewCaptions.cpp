#include "ViewCaptions.h"

#include "engine/SqlText.h"

#include "dialect/ExpressionWriter.h"
#include "platform/AsciiText.h"

namespace tabulant::engine::typed {

namespace {

// A column without an alias is named in the properties as its expression was written,
// "[Product List].ProductName"; the query calls it "ProductName", or "Product List.ProductName"
// when another column has that name too.
std::string unbracketed(const std::string& name) {
    std::string out;
    for (char c : name)
        if (c != '[' && c != ']' && c != '`') out += c == '!' ? '.' : c;
    return out;
}

} // namespace

std::vector<std::pair<std::string, std::string>> SplitCaptions(const std::string& stored) {
    std::vector<std::pair<std::string, std::string>> out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t column = stored.find('\0', from);
        if (column == std::string::npos) break;
        const std::size_t caption = stored.find('\0', column + 1);
        if (caption == std::string::npos) break;
        out.emplace_back(stored.substr(from, column - from),
                         stored.substr(column + 1, caption - column - 1));
        from = caption + 1;
    }
    return out;
}

std::vector<std::string>
CaptionStatements(const std::string& view, const std::vector<dialect::RelationColumn>& columns,
                  const std::vector<std::pair<std::string, std::string>>& captions) {
    std::vector<std::string> out;
    for (const auto& [name, caption] : captions) {
        const std::string plain = unbracketed(name);
        const std::size_t dot = plain.rfind('.');
        const dialect::RelationColumn* found = nullptr;
        int lastPartMatches = 0;
        for (const dialect::RelationColumn& c : columns) {
            if (platform::EqualsNoCase(c.name, plain)) {
                found = &c;
                lastPartMatches = 1;
                break;
            }
            if (dot != std::string::npos &&
                platform::EqualsNoCase(c.name, std::string_view(plain).substr(dot + 1))) {
                found = &c;
                ++lastPartMatches;
            }
        }
        if (!found || lastPartMatches != 1) continue;
        std::string sql = "COMMENT ON COLUMN ";
        AppendQuotedName(sql, view);
        sql += ".";
        AppendQuotedName(sql, found->pgName);
        out.push_back(sql + " IS " + dialect::TextLiteral(caption) + ";");
    }
    return out;
}

} // namespace tabulant::engine::typed
