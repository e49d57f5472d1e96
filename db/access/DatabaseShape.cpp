#include "DatabaseShape.h"

#include "TableDefinition.h"

namespace tabulant::db {

std::string AccessTypeName(const ColumnShape& c) {
    switch (c.accessType) {
    case coltype::Boolean:
        return "Yes/No";
    case coltype::Byte:
        return "Byte";
    case coltype::Integer:
        return "Integer";
    case coltype::Long:
        return "Long Integer";
    case coltype::Money:
        return "Currency";
    case coltype::Float:
        return "Single";
    case coltype::Double:
        return "Double";
    case coltype::DateTime:
        return "Date/Time";
    case coltype::Binary:
        return "Binary";
    case coltype::Text:
        return "Text";
    case coltype::Ole:
        return "OLE Object";
    case coltype::Memo:
        return c.hyperlink ? "Hyperlink" : "Memo";
    case coltype::Guid:
        return "Replication ID";
    case coltype::Numeric:
        return "Decimal";
    case coltype::Complex:
        return "Multi-valued";
    case coltype::BigInt:
        return "Large Number";
    case coltype::ExtendedDate:
        return "Date/Time Extended";
    default:
        return "Unknown " + std::to_string(c.accessType);
    }
}

} // namespace tabulant::db
