#include "Description.h"

#include "Bitmap.h"

#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <sstream>
#include <vector>

namespace tabulant::accesswriter {

using platform::Variant;

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        out.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return out;
        start = tab + 1;
    }
}

std::int64_t parseInteger(const std::string& s) {
    std::int64_t v = 0;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || p != end || s.empty())
        throw AccessWriterError("not a whole number: \"" + s + "\"");
    return v;
}

double parseReal(const std::string& s) {
    double v = 0;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, v);
    if (ec != std::errc() || p != end || s.empty())
        throw AccessWriterError("not a number: \"" + s + "\"");
    return v;
}

// Ten-thousandths of a decimal text with at most four decimals.
std::int64_t parseCurrency(const std::string& s) {
    const std::size_t dot = s.find('.');
    std::string whole = s.substr(0, dot);
    std::string frac = dot == std::string::npos ? "" : s.substr(dot + 1);
    if (frac.size() > 4 || frac.find_first_not_of("0123456789") != std::string::npos)
        throw AccessWriterError("not a currency amount: \"" + s + "\"");
    const bool negative = !whole.empty() && whole[0] == '-';
    frac.append(4 - frac.size(), '0');
    const std::int64_t units = parseInteger(whole.empty() || whole == "-" ? whole + "0" : whole);
    const std::int64_t f = parseInteger(frac);
    return units * 10000 + (negative ? -f : f);
}

double parseDate(const std::string& s) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    char tail = 0;
    const int n = std::sscanf(s.c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &sec, &tail);
    if (n != 3 && n != 6)
        throw AccessWriterError("not a date (YYYY-MM-DD[ hh:mm:ss]): \"" + s + "\"");
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || sec < 0 ||
        sec > 59)
        throw AccessWriterError("date out of range: \"" + s + "\"");
    return oleDate(y, mo, d, h, mi, sec);
}

std::string parseBytes(const std::string& s) {
    if (s.rfind("0x", 0) == 0) {
        std::string out;
        if (s.size() % 2 != 0) throw AccessWriterError("odd number of hex digits: \"" + s + "\"");
        for (std::size_t i = 2; i < s.size(); i += 2) {
            unsigned v = 0;
            auto [p, ec] = std::from_chars(s.data() + i, s.data() + i + 2, v, 16);
            if (ec != std::errc() || p != s.data() + i + 2)
                throw AccessWriterError("not hex: \"" + s + "\"");
            out.push_back(static_cast<char>(v));
        }
        return out;
    }
    int w = 0, h = 0;
    if (std::sscanf(s.c_str(), "@bitmap %dx%d", &w, &h) == 2) {
        if (w < 1 || h < 1 || w > 1024 || h > 1024)
            throw AccessWriterError("bitmap size out of range: \"" + s + "\"");
        return gradientBitmap(w, h);
    }
    return s;
}

const std::map<std::string, ColumnType>& typeNames() {
    static const std::map<std::string, ColumnType> names{
        {"yesno", ColumnType::Boolean},
        {"byte", ColumnType::Byte},
        {"integer", ColumnType::Integer},
        {"long", ColumnType::Long},
        {"currency", ColumnType::Currency},
        {"single", ColumnType::Single},
        {"double", ColumnType::Double},
        {"datetime", ColumnType::DateTime},
        {"binary", ColumnType::Binary},
        {"text", ColumnType::Text},
        {"ole", ColumnType::Ole},
        {"memo", ColumnType::Memo},
        {"guid", ColumnType::Guid},
        {"decimal", ColumnType::Decimal},
        {"bigint", ColumnType::LargeNumber},
        {"datetime2", ColumnType::DateTimeExtended},
    };
    return names;
}

Format parseFormat(const std::string& s) {
    static const std::map<std::string, Format> names{
        {"jet3", Format::Jet3},       {"jet4", Format::Jet4},       {"ace2007", Format::Ace2007},
        {"ace2010", Format::Ace2010}, {"ace2013", Format::Ace2013}, {"ace2016", Format::Ace2016},
        {"ace2019", Format::Ace2019},
    };
    const auto it = names.find(s);
    if (it == names.end()) throw AccessWriterError("unknown format \"" + s + "\"");
    return it->second;
}

Column parseColumn(const std::vector<std::string>& f) {
    if (f.size() < 3) throw AccessWriterError("a column needs a name and a type");
    const auto type = typeNames().find(f[2]);
    if (type == typeNames().end()) throw AccessWriterError("unknown column type \"" + f[2] + "\"");
    Column c = Column::of(unescapeField(f[1]), type->second);
    for (std::size_t i = 3; i < f.size(); ++i) {
        const std::string& o = f[i];
        const std::size_t eq = o.find('=');
        const std::string key = o.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : o.substr(eq + 1);
        if (key == "size")
            c.size = static_cast<int>(parseInteger(value));
        else if (key == "precision")
            c.precision = static_cast<int>(parseInteger(value));
        else if (key == "scale")
            c.scale = static_cast<int>(parseInteger(value));
        else if (o == "fixed")
            c.fixedLength = true;
        else if (o == "hyperlink")
            c.hyperlink = true;
        else if (o == "auto")
            c.autoNumber = true;
        else if (o == "calculated")
            c.calculated = true;
        else if (o == "required")
            c.required = true;
        else if (o == "uncompressed")
            c.compressedText = false;
        else if (o == "storage=inline")
            c.storage = LongValueStorage::Inline;
        else if (o == "storage=page")
            c.storage = LongValueStorage::SinglePage;
        else if (o == "storage=chain")
            c.storage = LongValueStorage::Chained;
        else
            throw AccessWriterError("unknown column option \"" + o + "\"");
    }
    return c;
}

// "key=<column>" (ascending) and "desc=<column>" fields in key order, and flag words.
Index parseIndex(const std::vector<std::string>& f) {
    if (f.size() < 3) throw AccessWriterError("an index needs a name and a key column");
    Index x;
    x.name = unescapeField(f[1]);
    for (std::size_t i = 2; i < f.size(); ++i) {
        const std::string& o = f[i];
        if (o.rfind("key=", 0) == 0)
            x.columns.push_back({unescapeField(o.substr(4)), true});
        else if (o.rfind("desc=", 0) == 0)
            x.columns.push_back({unescapeField(o.substr(5)), false});
        else if (o == "primary")
            x.primaryKey = true;
        else if (o == "unique")
            x.unique = true;
        else if (o == "ignorenulls")
            x.ignoreNulls = true;
        else if (o == "required")
            x.required = true;
        else
            throw AccessWriterError("unknown index option \"" + o + "\"");
    }
    if (x.columns.empty()) throw AccessWriterError("an index needs a key column");
    return x;
}

// Name, table, referenced table, then flag words and "column=<c>" "references=<r>" pairs.
Relationship parseRelationship(const std::vector<std::string>& f) {
    if (f.size() < 6) throw AccessWriterError("a relationship needs a name, two tables and a pair");
    Relationship r;
    r.name = unescapeField(f[1]);
    r.table = unescapeField(f[2]);
    r.referencedTable = unescapeField(f[3]);
    for (std::size_t i = 4; i < f.size(); ++i) {
        const std::string& o = f[i];
        if (o.rfind("column=", 0) == 0) {
            if (i + 1 == f.size() || f[i + 1].rfind("references=", 0) != 0)
                throw AccessWriterError("column= must be followed by references=");
            r.columns.emplace_back(unescapeField(o.substr(7)), unescapeField(f[++i].substr(11)));
        } else if (o == "notenforced") {
            r.enforced = false;
        } else if (o == "cascadeupdate") {
            r.cascadeUpdates = true;
        } else if (o == "cascadedelete") {
            r.cascadeDeletes = true;
        } else if (o == "cascadesetnull") {
            r.cascadeSetsNull = true;
        } else if (o == "onetoone") {
            r.oneToOne = true;
        } else {
            throw AccessWriterError("unknown relationship option \"" + o + "\"");
        }
    }
    if (r.columns.empty()) throw AccessWriterError("a relationship needs a column pair");
    return r;
}

struct PendingTable {
    std::string name;
    TableOptions options;
    std::vector<Column> columns;
    TableWriter* writer = nullptr;
};

} // namespace

std::string unescapeField(const std::string& field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            out.push_back(field[i]);
            continue;
        }
        const char e = field[++i];
        out.push_back(e == 't' ? '\t' : e == 'n' ? '\n' : e == 'r' ? '\r' : e);
    }
    return out;
}

Variant parseValue(const std::string& field, const Column& column) {
    if (field == "\\N") return Variant::null();
    const std::string s = unescapeField(field);
    switch (column.type) {
    case ColumnType::Boolean:
        if (s == "yes" || s == "true" || s == "1") return Variant::boolean(true);
        if (s == "no" || s == "false" || s == "0") return Variant::boolean(false);
        throw AccessWriterError("not a yes/no value: \"" + s + "\"");
    case ColumnType::Byte:
    case ColumnType::Integer:
    case ColumnType::Long:
    case ColumnType::LargeNumber:
        return Variant::integer(parseInteger(s));
    case ColumnType::Currency:
        return Variant::currency(parseCurrency(s));
    case ColumnType::Single:
        return Variant::single(static_cast<float>(parseReal(s)));
    case ColumnType::Double:
        return Variant::real(parseReal(s));
    case ColumnType::DateTime:
        return Variant::date(parseDate(s));
    case ColumnType::Binary:
    case ColumnType::Ole:
        return Variant::binary(parseBytes(s));
    case ColumnType::Decimal:
        return Variant::decimal(s);
    default:
        return Variant::text(s);
    }
}

void writeDescribed(std::istream& in, const std::filesystem::path& output) {
    // The header lines (format, password) must be known before the file is opened, so the
    // writer is created at the first line that is neither.
    WriterOptions options;
    std::unique_ptr<AccessWriter> writer;
    PendingTable table;
    std::string line;
    int number = 0;
    auto open = [&] {
        if (!writer) writer = std::make_unique<AccessWriter>(output, options);
    };
    auto startTable = [&] {
        if (table.writer == nullptr && !table.name.empty()) {
            open();
            table.writer = &writer->addTable(table.name, table.columns, table.options);
        }
    };
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        try {
            const std::vector<std::string> f = splitTabs(line);
            const std::string& kind = f[0];
            if (kind == "format" || kind == "password") {
                if (writer) throw AccessWriterError(kind + " must come before everything else");
                if (f.size() != 2) throw AccessWriterError(kind + " takes one value");
                if (kind == "format")
                    options.format = parseFormat(f[1]);
                else
                    options.password = unescapeField(f[1]);
            } else if (kind == "table") {
                startTable();
                open();
                if (f.size() < 2 || f[1].empty()) throw AccessWriterError("a table needs a name");
                table = PendingTable{unescapeField(f[1]), {}, {}, nullptr};
                for (std::size_t i = 2; i < f.size(); ++i) {
                    if (f[i] == "system")
                        table.options.systemTable = true;
                    else if (f[i].rfind("flags=", 0) == 0)
                        table.options.flags =
                            static_cast<std::uint32_t>(std::stoul(f[i].substr(6), nullptr, 0));
                    else if (f[i].rfind("storedrows=", 0) == 0)
                        table.options.storedRowCount =
                            static_cast<std::uint32_t>(parseInteger(f[i].substr(11)));
                    else if (f[i].rfind("counter=", 0) == 0)
                        table.options.autoNumberCounter =
                            static_cast<std::int32_t>(parseInteger(f[i].substr(8)));
                    else
                        throw AccessWriterError("unknown table option \"" + f[i] + "\"");
                }
            } else if (kind == "column") {
                if (table.name.empty() || table.writer)
                    throw AccessWriterError("columns belong right after their table line");
                table.columns.push_back(parseColumn(f));
            } else if (kind == "property") {
                if (table.name.empty() || table.writer)
                    throw AccessWriterError("properties belong right after their table or column");
                if (f.size() != 3) throw AccessWriterError("a property takes a name and a value");
                auto& properties = table.columns.empty() ? table.options.properties
                                                         : table.columns.back().properties;
                properties.emplace_back(unescapeField(f[1]), unescapeField(f[2]));
            } else if (kind == "index") {
                if (table.name.empty() || table.writer)
                    throw AccessWriterError("indexes belong right after their table's columns");
                table.options.indexes.push_back(parseIndex(f));
            } else if (kind == "relationship") {
                startTable();
                open();
                writer->addRelationship(parseRelationship(f));
            } else if (kind == "row" || kind == "deleted" || kind == "moved") {
                startTable();
                if (!table.writer) throw AccessWriterError("a row needs a table");
                if (f.size() - 1 != table.columns.size())
                    throw AccessWriterError("expected " + std::to_string(table.columns.size()) +
                                            " values, found " + std::to_string(f.size() - 1));
                Row row;
                for (std::size_t i = 1; i < f.size(); ++i)
                    row.push_back(parseValue(f[i], table.columns[i - 1]));
                table.writer->addRow(row, kind == "row"       ? RowKind::Normal
                                          : kind == "deleted" ? RowKind::Deleted
                                                              : RowKind::Moved);
            } else if (kind == "query" || kind == "linked" || kind == "odbc" || kind == "entry") {
                startTable();
                open();
                const std::size_t want = kind == "query" ? 2 : 4;
                if (f.size() != want)
                    throw AccessWriterError(kind + " takes " + std::to_string(want - 1) +
                                            " values");
                CatalogEntry e;
                e.name = unescapeField(f[1]);
                if (kind == "linked") {
                    e.type = ObjectType::LinkedTable;
                    e.foreignName = unescapeField(f[2]);
                    e.database = unescapeField(f[3]);
                } else if (kind == "odbc") {
                    e.type = ObjectType::OdbcLinkedTable;
                    e.foreignName = unescapeField(f[2]);
                    e.connect = unescapeField(f[3]);
                } else if (kind == "entry") {
                    e.rawType = static_cast<std::int32_t>(parseInteger(f[2]));
                    e.flags = static_cast<std::uint32_t>(std::stoul(f[3], nullptr, 0));
                }
                writer->addCatalogEntry(e);
            } else {
                throw AccessWriterError("unknown record \"" + kind + "\"");
            }
        } catch (const DescriptionError&) {
            throw;
        } catch (const std::exception& e) {
            throw DescriptionError(number, e.what());
        }
    }
    startTable();
    open();
    writer->finish();
}

} // namespace tabulant::accesswriter
