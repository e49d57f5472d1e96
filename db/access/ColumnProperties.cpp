#include "ColumnProperties.h"

#include "LittleEndian.h"
#include "TextDecoder.h"

#include <vector>

namespace tabulant::db {

namespace {

constexpr int NameListBlock = 0x80;
constexpr int DefaultValuesBlock = 0x00;
constexpr int ColumnValuesBlock = 0x01;

// A name: int16 byte length, then the name's bytes.
bool readName(const std::uint8_t* p, std::size_t end, std::size_t& pos, TextDecoder* codePage,
              std::string& out) {
    if (pos + 2 > end) return false;
    const std::size_t len = le::u16(p + pos);
    if (pos + 2 + len > end) return false;
    out.clear();
    if (codePage)
        codePage->Append(p + pos + 2, len, out);
    else
        TextDecoder::AppendUtf16(p + pos + 2, len, out);
    pos += 2 + len;
    return true;
}

} // namespace

bool ForEachProperty(std::string_view properties, TextDecoder* codePageText,
                     const PropertyVisitor& visit) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(properties.data());
    const std::size_t size = properties.size();
    if (size < 4) return true;
    TextDecoder* codePage = nullptr;
    if (properties.substr(0, 3) == "KKD") {
        if (!codePageText) return true;
        codePage = codePageText;
    } else if (properties.substr(0, 3) != "MR2") {
        return true;
    }
    std::vector<std::string> names;
    std::string column;
    std::size_t pos = 4;
    while (pos + 6 <= size) {
        const std::size_t length = le::u32(p + pos);
        const int type = le::u16(p + pos + 4);
        if (length < 6 || length > size - pos) return false;
        const std::size_t end = pos + length;
        std::size_t q = pos + 6;
        if (type == NameListBlock) {
            std::string name;
            while (q < end && readName(p, end, q, codePage, name)) names.push_back(name);
        } else if ((type == DefaultValuesBlock || type == ColumnValuesBlock) && q + 4 <= end) {
            // The block names the column it belongs to, then lists its property values.
            const std::size_t nameBlock = le::u32(p + q);
            column.clear();
            // The table's own block may name the table: its values belong to no column.
            if (type == ColumnValuesBlock && nameBlock > 6 && q + 4 < end) {
                std::size_t n = q + 4;
                readName(p, end, n, codePage, column);
            }
            if (nameBlock < 4 || nameBlock > end - q) {
                pos = end;
                continue;
            }
            q += nameBlock;
            while (q + 8 <= end) {
                const std::size_t valueLength = le::u16(p + q);
                const int valueType = p[q + 3];
                const std::size_t nameIndex = le::u16(p + q + 4);
                const std::size_t dataSize = le::u16(p + q + 6);
                if (valueLength < 8 || valueLength > end - q) return false;
                if (nameIndex < names.size() && 8 + dataSize <= valueLength)
                    visit(column, names[nameIndex], valueType, p + q + 8, dataSize);
                q += valueLength;
            }
        }
        pos = end;
    }
    return pos == size;
}

std::map<std::string, int> CalculatedResultTypes(std::string_view properties) {
    std::map<std::string, int> out;
    ForEachProperty(properties, nullptr,
                    [&](const std::string& column, const std::string& property, int,
                        const std::uint8_t* data, std::size_t size) {
                        if (property == "ResultType" && size >= 1 && !column.empty())
                            out[column] = data[0];
                    });
    return out;
}

} // namespace tabulant::db
