#include "ColumnProperties.h"

#include "LittleEndian.h"
#include "TextDecoder.h"

#include <vector>

namespace tabulant::db {

namespace {

constexpr int NameListBlock = 0x80;
constexpr int DefaultValuesBlock = 0x00;
constexpr int ColumnValuesBlock = 0x01;

// A property name: int16 byte length, then UTF-16LE.
bool readName(const std::uint8_t* p, std::size_t end, std::size_t& pos, std::string& out) {
    if (pos + 2 > end) return false;
    const std::size_t len = le::u16(p + pos);
    if (pos + 2 + len > end) return false;
    out.clear();
    TextDecoder::AppendUtf16(p + pos + 2, len, out);
    pos += 2 + len;
    return true;
}

} // namespace

std::map<std::string, int> CalculatedResultTypes(std::string_view properties) {
    std::map<std::string, int> out;
    const auto* p = reinterpret_cast<const std::uint8_t*>(properties.data());
    const std::size_t size = properties.size();
    if (size < 4 || properties.substr(0, 3) != "MR2") return out;
    std::vector<std::string> names;
    std::size_t pos = 4;
    while (pos + 6 <= size) {
        const std::size_t length = le::u32(p + pos);
        const int type = le::u16(p + pos + 4);
        if (length < 6 || length > size - pos) break;
        const std::size_t end = pos + length;
        std::size_t q = pos + 6;
        if (type == NameListBlock) {
            std::string name;
            while (q < end && readName(p, end, q, name)) names.push_back(name);
        } else if ((type == DefaultValuesBlock || type == ColumnValuesBlock) && q + 4 <= end) {
            // The block names the column it belongs to, then lists its property values.
            const std::size_t nameBlock = le::u32(p + q);
            std::string column;
            if (nameBlock > 6 && q + 4 < end) {
                std::size_t n = q + 4;
                readName(p, end, n, column);
            }
            if (nameBlock < 4 || nameBlock > end - q) {
                pos = end;
                continue;
            }
            q += nameBlock;
            while (q + 8 <= end) {
                const std::size_t valueLength = le::u16(p + q);
                const std::size_t nameIndex = le::u16(p + q + 4);
                const std::size_t dataSize = le::u16(p + q + 6);
                if (valueLength < 8 || valueLength > end - q) break;
                if (nameIndex < names.size() && names[nameIndex] == "ResultType" && dataSize >= 1 &&
                    8 + dataSize <= valueLength && !column.empty())
                    out[column] = p[q + 8];
                q += valueLength;
            }
        }
        pos = end;
    }
    return out;
}

} // namespace tabulant::db
