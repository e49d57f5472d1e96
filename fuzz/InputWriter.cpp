// Writes the fuzzer's starting inputs into OUT:
//   fuzz-input-writer OUT [FILES [PASSWORDS]]
// Our own files first (written by our Access writer): every column type, long values in all three
// placements, deleted and moved rows, indexes, column properties and relationships, multi-valued
// and attachment fields, calculated columns and extended dates, each file format, page-encoded
// and password-protected files. Then, when FILES is
// given, every .mdb and .accdb below it, whole. PASSWORDS names the password of such a file, one
// per line: the file's name (or its path below FILES), a blank, the password; lines starting with
// '#' are skipped. A protected input carries its password at its end (PasswordTrailer.h).
#include "AccessWriter.h"
#include "PasswordTrailer.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <string>

using namespace tabulant;
using namespace tabulant::accesswriter;
using platform::Variant;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeInput(const fs::path& path, std::vector<std::uint8_t> bytes,
                const std::string& password) {
    fuzz::AppendPasswordTrailer(bytes, password);
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

std::vector<Column> allColumns() {
    std::vector<Column> c = {
        Column::of("Flag", ColumnType::Boolean),
        Column::of("B", ColumnType::Byte),
        Column::of("I", ColumnType::Integer),
        Column::of("L", ColumnType::Long),
        Column::of("Money", ColumnType::Currency),
        Column::of("S", ColumnType::Single),
        Column::of("D", ColumnType::Double),
        Column::of("When", ColumnType::DateTime),
        Column::of("Bin", ColumnType::Binary, 8),
        Column::of("T", ColumnType::Text, 50),
        Column::of("M", ColumnType::Memo),
        Column::of("G", ColumnType::Guid),
        Column::decimal("Dec", 18, 4),
    };
    Column chained = Column::of("Long", ColumnType::Memo);
    chained.storage = LongValueStorage::Chained;
    c.push_back(chained);
    Column page = Column::of("Ole", ColumnType::Ole);
    page.storage = LongValueStorage::SinglePage;
    c.push_back(page);
    return c;
}

Row row(int i) {
    return {Variant::boolean(i % 2 == 0),
            Variant::integer(i % 256),
            Variant::integer(-i),
            Variant::integer(i * 100000),
            Variant::currency(i * 12345),
            Variant::single(1.5f * i),
            Variant::real(i / 3.0),
            Variant::date(40000.25 + i),
            Variant::binary("\x01\x00\x02"),
            i % 3 == 0 ? Variant::null() : Variant::text("t\xC3\xA4xt " + std::to_string(i)),
            Variant::text("memo " + std::to_string(i)),
            Variant::text("{12345678-1234-5678-9ABC-DEF012345678}"),
            Variant::decimal("-12.5"),
            Variant::text(std::string(5000, 'x')),
            Variant::binary(std::string(300, '\x07'))};
}

Column calculated(Column c) {
    c.calculated = true;
    return c;
}

// The ACE-only kinds: Large Number, extended dates, calculated values, complex fields.
void addAceColumns(std::vector<Column>& columns) {
    columns.push_back(Column::of("Big", ColumnType::LargeNumber));
    columns.push_back(Column::of("Ext", ColumnType::DateTimeExtended));
    columns.push_back(calculated(Column::of("CalcText", ColumnType::Text, 40)));
    columns.push_back(calculated(Column::of("CalcLong", ColumnType::Long)));
    columns.push_back(calculated(Column::of("CalcDouble", ColumnType::Double)));
    columns.push_back(Column::of("Tags", ColumnType::Complex));
    columns.push_back(Column::of("Files", ColumnType::Complex));
}

void addAceValues(Row& r, int i) {
    r.push_back(Variant::integer(-9000000000LL * i));
    r.push_back(Variant::text(i % 2 ? "2021-06-14 12:45:00.1234567" : "0100-01-01"));
    r.push_back(Variant::text("Wayne, Bruce " + std::to_string(i)));
    r.push_back(Variant::integer(i + 1));
    r.push_back(Variant::real(i * 0.25));
    r.push_back(i % 3 == 2 ? Variant::null() : Variant::integer(i % 3));
    r.push_back(Variant::integer(i));
}

// An attached file in the form Access keeps one unpacked: int32 0, the block's length, then the
// block: its header's length, 1, the extension's length with its end, "txt" in UTF-16, the bytes.
std::string attachedFile(const std::string& bytes) {
    const std::string block =
        std::string("\x14\0\0\0\x01\0\0\0\x04\0\0\0t\0x\0t\0\0\0", 20) + bytes;
    const auto n = static_cast<std::uint32_t>(block.size());
    return std::string(4, '\0') + std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)} +
           block;
}

void addComplexValues(AccessWriter& w) {
    ComplexColumn tags{"Things", "Tags", ComplexKind::Text, {}, {}, {}};
    tags.values = {
        {0, {Variant::text("red")}}, {0, {Variant::text("green")}}, {1, {Variant::text("blue")}}};
    w.addComplexColumn(tags);
    ComplexColumn files{"Things", "Files", ComplexKind::Attachment, {}, {}, {}};
    for (int key = 0; key < 3; ++key)
        files.values.push_back(
            {key,
             {Variant::text("file:///x"), Variant::text("f" + std::to_string(key) + ".txt"),
              Variant::text("txt"), Variant::binary(attachedFile("data")), Variant::date(44000.5),
              Variant::integer(0)}});
    w.addComplexColumn(files);
}

// Rows long enough for several 256-byte steps of Jet 3's one-byte offsets, written before one
// column was deleted and another added.
void addLongRows(AccessWriter& w) {
    Column gone = Column::of("Gone", ColumnType::Text, 50);
    gone.deletedAfterRows = true;
    Column added = Column::of("Added", ColumnType::Long);
    added.addedAfterRows = true;
    TableWriter& t = w.addTable("Long rows", {Column::of("N", ColumnType::Long), gone,
                                              Column::of("A", ColumnType::Text, 255),
                                              Column::of("B", ColumnType::Text, 255),
                                              Column::of("C", ColumnType::Text, 255), added});
    for (int i = 0; i < 4; ++i) {
        const auto n = static_cast<std::size_t>(60 * i + 20);
        t.addRow({Variant::integer(i), Variant::text("gone"), Variant::text(std::string(n, 'a')),
                  i == 2 ? Variant::null() : Variant::text(std::string(n + 7, 'b')),
                  Variant::text(std::string(n + 40, 'c')), Variant::null()});
    }
}

void write(const fs::path& path, WriterOptions options) {
    const bool ace = options.format >= Format::Ace2007;
    {
        AccessWriter w(path, options);
        std::vector<Column> columns = allColumns();
        if (ace) addAceColumns(columns);
        columns[1].required = true;
        TableOptions things;
        things.indexes = {Index::primary("PrimaryKey", {{"L"}}),
                          {"T", {{"T", false}, {"I"}}, false, false, true}};
        TableWriter& t = w.addTable("Things", columns, things);
        for (int i = 0; i < 6; ++i) {
            Row r = row(i);
            if (ace) addAceValues(r, i);
            t.addRow(r, i == 2 ? RowKind::Deleted : i == 4 ? RowKind::Moved : RowKind::Normal);
        }
        if (ace) addComplexValues(w);
        TableOptions keyed;
        keyed.indexes = {Index::primary("PrimaryKey", {{"N"}})};
        TableWriter& small = w.addTable("Small table", {Column::of("N", ColumnType::Long)}, keyed);
        small.addRow({Variant::integer(7)});
        addLongRows(w);
        Relationship enforced{"Small tableThings", "Things", "Small table", {{"I", "N"}}};
        enforced.cascadeUpdates = true;
        w.addRelationship(enforced);
        Relationship loose{"ThingsSmall table", "Small table", "Things", {{"N", "L"}}};
        loose.enforced = false;
        w.addRelationship(loose);
        w.addCatalogEntry({"Linked", ObjectType::LinkedTable, 0, 0, "Other", "C:\\x.mdb", "", {}});
        w.finish();
    }
    writeInput(path, readFile(path), options.password);
}

void writeOwn(const fs::path& dir) {
    WriterOptions jet3;
    jet3.format = Format::Jet3;
    write(dir / "jet3.mdb", jet3);
    write(dir / "jet4.mdb", {});
    WriterOptions encoded;
    encoded.pageEncodingKey = 0x12345677;
    write(dir / "encoded.mdb", encoded);
    encoded.format = Format::Jet3;
    write(dir / "encoded-jet3.mdb", encoded);
    WriterOptions password;
    password.password = "s3cret;=";
    write(dir / "password.mdb", password);
    password.format = Format::Jet3;
    password.password = "twenty-bytes-exactly";
    write(dir / "password-jet3.mdb", password);
    WriterOptions ace;
    ace.format = Format::Ace2010;
    write(dir / "ace.accdb", ace);
    ace.format = Format::Ace2019;
    write(dir / "ace2019.accdb", ace);
    // Protected .accdb files, with a low spin count so that each run stays quick.
    ace.password = "Geheim 1";
    db::crypto::EncryptionOptions agile;
    agile.scheme = db::crypto::Scheme::Agile;
    agile.spinCount = 10;
    ace.encryption = agile;
    write(dir / "agile.accdb", ace);
    db::crypto::EncryptionOptions rc4;
    rc4.scheme = db::crypto::Scheme::Rc4CryptoApi;
    rc4.keyBits = 40;
    ace.format = Format::Ace2007;
    ace.encryption = rc4;
    write(dir / "rc4.accdb", ace);
}

std::map<std::string, std::string> readPasswords(const fs::path& file) {
    std::map<std::string, std::string> out;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t blank = line.find(' ');
        if (blank == std::string::npos) continue;
        out[line.substr(0, blank)] = line.substr(blank + 1);
    }
    return out;
}

// Every Access file below `files`, whole, each with its password when one is named.
int copyFiles(const fs::path& files, const fs::path& passwordsFile, const fs::path& dir) {
    const auto passwords = readPasswords(passwordsFile);
    int copied = 0;
    for (const auto& entry : fs::recursive_directory_iterator(files)) {
        const fs::path& p = entry.path();
        if (!entry.is_regular_file() || (p.extension() != ".mdb" && p.extension() != ".accdb"))
            continue;
        const std::string relative = p.lexically_relative(files).generic_string();
        std::string password;
        if (auto it = passwords.find(relative); it != passwords.end())
            password = it->second;
        else if (auto named = passwords.find(p.filename().string()); named != passwords.end())
            password = named->second;
        std::string name = relative;
        for (char& c : name)
            if (c == '/') c = '_';
        writeInput(dir / ("file_" + name), readFile(p), password);
        ++copied;
    }
    return copied;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::cerr << "usage: fuzz-input-writer OUT [FILES [PASSWORDS]]\n";
        return 2;
    }
    try {
        const fs::path out = argv[1];
        fs::create_directories(out);
        writeOwn(out);
        if (argc > 2) {
            const int n = copyFiles(argv[2], argc > 3 ? argv[3] : "", out);
            std::cout << n << " Access files copied from " << argv[2] << "\n";
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
