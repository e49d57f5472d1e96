// libFuzzer target: opens arbitrary bytes as an Access file from memory and reads every table
// the catalogue names, row by row, the warnings the reader gives for them, and the tables' shape
// and relationships, and the values of multi-valued and attachment fields one by one (attached
// files unpacked). An input may carry
// the password to open it with (PasswordTrailer.h): that one is tried first, then the empty one.
// Any crash, hang or sanitizer report is a reader fault; a platform::Error is the expected answer
// to bad input.
#include "PasswordTrailer.h"

#include "db/access/AccessDatabase.h"
#include "db/access/AccessErrors.h"
#include "db/access/AccessTableCursor.h"
#include "db/access/ComplexSchemas.h"
#include "db/access/ShapeReader.h"
#include "platform/Error.h"

#include <cstddef>
#include <cstdint>

using namespace tabulant;

namespace {

void readAll(platform::Cursor& cursor) {
    (void)cursor.recordCount();
    for (; !cursor.atEnd(); cursor.moveNext())
        for (const platform::Field& f : cursor.fields()) (void)f.value.isNull();
    (void)cursor.takeWarnings();
}

// False when the password was not the file's.
bool readDatabase(std::span<const std::uint8_t> file, const std::string& password) {
    try {
        auto db = db::AccessDatabase::Open(db::ByteSource::Memory(file.data(), file.size()), "fuzz",
                                           password);
        auto schema = db->TablesSchema();
        readAll(*schema);
        for (const db::CatalogEntry& e : db->Catalog()) {
            if (e.type != 1) continue;
            try {
                auto table = db->OpenTableAt(e.page, e.name);
                readAll(*table);
            } catch (const platform::Error&) {}
            try {
                readAll(*db::ComplexValuesSchema(*db, e.name));
            } catch (const platform::Error&) {}
        }
        try {
            (void)db::ReadTableShapes(*db);
        } catch (const platform::Error&) {}
        try {
            (void)db::ReadRelationships(*db);
        } catch (const platform::Error&) {}
        try {
            readAll(*db::ComplexColumnsSchema(*db));
        } catch (const platform::Error&) {}
    } catch (const platform::Error& e) {
        return e.number() != db::accesserrors::InvalidPassword;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput in = fuzz::SplitPasswordTrailer(data, size);
    if (in.password.empty() || !readDatabase(in.file, in.password)) readDatabase(in.file, "");
    return 0;
}
