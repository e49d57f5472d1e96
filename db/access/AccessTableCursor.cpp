#include "AccessTableCursor.h"

#include "AccessDatabase.h"
#include "AccessErrors.h"
#include "ComplexValues.h"
#include "LittleEndian.h"
#include "UsageMap.h"

#include <cstring>
#include <mdbtools.h>

namespace tabulant::db {

// libmdb's row cracker works on the page in its handle's buffer, so each cursor has a handle of
// its own (made from the header page alone; libmdb never reads the file itself) and copies a
// page in before cracking a row on it.
struct AccessTableCursor::Crack {
    MdbHandle* handle = nullptr;
    MdbCatalogEntry entry{};
    MdbTableDef* table = nullptr;
    std::vector<MdbField> fields;
    const std::uint8_t* loadedFrom = nullptr;
    std::uint32_t loadedPage = 0;

    ~Crack() {
        if (table) mdb_free_tabledef(table);
        if (handle) mdb_close(handle);
    }
};

AccessTableCursor::AccessTableCursor(std::shared_ptr<AccessDatabase> database,
                                     TableDefinition definition, std::string name)
    : db_(std::move(database)), def_(std::move(definition)), name_(std::move(name)),
      crack_(std::make_unique<Crack>()), text_(db_->Format().codePageText, db_->Header().codePage),
      longValues_(db_->Pages(), db_->Format()), values_(text_, longValues_),
      scanner_(db_->Pages(), db_->Format(), def_.page,
               UsageMapPages(db_->Pages(), db_->Format(), def_.usageMap, missingPages_), name_) {
    // Pages of the table beyond the end of the file: its rows there are lost, so reading what is
    // left would pass a part for the whole.
    if (missingPages_ != 0) throw DamagedTable(name_);
    auto& page0 = const_cast<std::vector<std::uint8_t>&>(db_->HeaderPage());
    crack_->handle = mdb_open_buffer(page0.data(), page0.size(), MDB_NOFLAGS);
    if (!crack_->handle) throw DamagedTable(name_);
    crack_->entry.mdb = crack_->handle;
    crack_->entry.table_pg = def_.page;
    crack_->entry.object_type = MDB_TABLE;
    crack_->table = mdb_alloc_tabledef(&crack_->entry);
    MdbTableDef* t = crack_->table;
    t->num_cols = static_cast<unsigned>(def_.columns.size());
    t->num_var_cols = def_.varColumnCount;
    t->columns = g_ptr_array_new();
    for (const ColumnDef& c : def_.columns) {
        auto* col = static_cast<MdbColumn*>(g_malloc0(sizeof(MdbColumn)));
        col->table = t;
        col->col_type = c.type;
        col->col_num = c.number;
        col->var_col_num = static_cast<unsigned>(c.varIndex);
        col->fixed_offset = c.fixedOffset;
        col->is_fixed = c.fixed() ? 1 : 0;
        col->col_size = c.size;
        g_ptr_array_add(t->columns, col);
    }
    crack_->fields.resize(def_.columns.size());

    fields_.resize(def_.columns.size());
    for (std::size_t i = 0; i < def_.columns.size(); ++i) {
        fields_[i].name = def_.columns[i].name;
        fields_[i].type = AdoTypeCode(def_.columns[i]);
        if (def_.columns[i].type == coltype::Complex && !complex_ && !db_->InLookup())
            complex_ = std::make_unique<ComplexValues>(*db_, def_.page);
    }
    moveNext();
}

AccessTableCursor::~AccessTableCursor() = default;

std::int64_t AccessTableCursor::recordCount() const {
    if (count_ < 0) count_ = scanner_.CountLiveRows(events_);
    return count_;
}

std::vector<platform::Error> AccessTableCursor::takeWarnings() {
    if (!complex_) return {};
    const std::vector<std::string> fields = complex_->TakeDamaged();
    if (fields.empty()) return {};
    return {DamagedFields(name_, fields)};
}

void AccessTableCursor::moveNext() {
    if (atEnd_) return;
    if (!scanner_.Next()) {
        atEnd_ = true;
        for (platform::Field& f : fields_) f.value.setNull();
        return;
    }
    decodeRow();
}

void AccessTableCursor::decodeRow() {
    Crack& k = *crack_;
    const std::size_t pageSize = db_->Format().pageSize;
    if (k.loadedFrom != scanner_.Page() || k.loadedPage != scanner_.PageNumber()) {
        std::memcpy(k.handle->pg_buf, scanner_.Page(), pageSize);
        k.loadedFrom = scanner_.Page();
        k.loadedPage = scanner_.PageNumber();
    }
    const std::size_t start = scanner_.RowStart();
    const std::size_t size = scanner_.RowSize();
    const std::size_t countSize = db_->Format().rowColumnCountSize;
    if (size < countSize + 1) throw DamagedTable(name_);
    // Columns added after a row was written lie past the row's own column count. The row's null
    // mask, one bit per column it counts, must lie inside the row before libmdb reads it.
    const unsigned rowColumns = le::uint(k.handle->pg_buf + start, countSize);
    if ((rowColumns + 7) / 8 + countSize > size ||
        mdb_crack_row(k.table, static_cast<int>(start), size, k.fields.data()) < 0)
        throw DamagedTable(name_);
    const std::uint8_t* page = k.handle->pg_buf;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const ColumnDef& c = def_.columns[i];
        const MdbField& f = k.fields[i];
        platform::Variant& v = fields_[i].value;
        const bool present = static_cast<unsigned>(c.number) < rowColumns && !f.is_null;
        // A Yes/No value is its null bit, except a calculated one, which is stored as a byte.
        if (c.type == coltype::Boolean && !c.calculated()) {
            v.setBoolean(present);
            continue;
        }
        if (!present) {
            v.setNull();
            continue;
        }
        if (f.siz < 0 || f.start < static_cast<int>(start) ||
            static_cast<std::size_t>(f.start) + static_cast<std::size_t>(f.siz) > start + size)
            throw DamagedTable(name_);
        const std::uint8_t* data = page + f.start;
        const auto n = static_cast<std::size_t>(f.siz);
        if (c.type == coltype::Complex && !c.calculated()) {
            if (n < 4) throw DamagedTable(name_);
            if (complex_)
                complex_->Text(c, le::u32(data), v);
            else
                v.setNull();
            continue;
        }
        if (!values_.Decode(c, data, n, v)) throw DamagedTable(name_);
    }
}

} // namespace tabulant::db
