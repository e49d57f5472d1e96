// libFuzzer target: opens arbitrary bytes as an Access file from memory and reads every table
// the catalogue names, row by row, and the tables' shape and relationships. Any crash, hang or
// sanitizer report is a reader fault; a platform::Error is the expected answer to bad input.
#include "db/access/AccessDatabase.h"
#include "db/access/AccessTableCursor.h"
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
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        auto db = db::AccessDatabase::Open(db::ByteSource::Memory(data, size), "fuzz", "");
        auto schema = db->TablesSchema();
        readAll(*schema);
        for (const db::CatalogEntry& e : db->Catalog()) {
            if (e.type != 1) continue;
            try {
                auto table = db->OpenTableAt(e.page, e.name);
                readAll(*table);
            } catch (const platform::Error&) {}
        }
        try {
            (void)db::ReadTableShapes(*db);
        } catch (const platform::Error&) {}
        try {
            (void)db::ReadRelationships(*db);
        } catch (const platform::Error&) {}
    } catch (const platform::Error&) {}
    return 0;
}
