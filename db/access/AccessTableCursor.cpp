#include "AccessTableCursor.h"

#include "AccessDatabase.h"
#include "AccessErrors.h"
#include "ComplexValues.h"
#include "LittleEndian.h"
#include "UsageMap.h"

namespace tabulant::db {

AccessTableCursor::AccessTableCursor(std::shared_ptr<AccessDatabase> database,
                                     TableDefinition definition, std::string name)
    : db_(std::move(database)), def_(std::move(definition)), name_(std::move(name)),
      layout_(db_->Format(), def_), text_(db_->Format().codePageText, db_->Header().codePage),
      longValues_(db_->Pages(), db_->Format()), values_(text_, longValues_),
      scanner_(db_->Pages(), db_->Format(), def_.page,
               UsageMapPages(db_->Pages(), db_->Format(), def_.usageMap, missingPages_), name_) {
    // Pages of the table beyond the end of the file: its rows there are lost, so reading what is
    // left would pass a part for the whole.
    if (missingPages_ != 0) throw DamagedTable(name_);
    fields_.resize(def_.columns.size());
    for (std::size_t i = 0; i < def_.columns.size(); ++i) {
        fields_[i].name = def_.columns[i].name;
        fields_[i].type = AdoTypeCode(def_.columns[i]);
        if (def_.columns[i].type == coltype::Complex && keys_.empty())
            keys_.assign(def_.columns.size(), -1);
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
        keys_.assign(keys_.size(), -1);
        return;
    }
    decodeRow();
}

void AccessTableCursor::MoveTo(TableScanner::Place place) {
    atEnd_ = false;
    if (!scanner_.Seek(place)) throw DamagedTable(name_);
    decodeRow();
}

void AccessTableCursor::decodeRow() {
    const std::uint8_t* row = scanner_.Page() + scanner_.RowStart();
    if (!layout_.Read(row, scanner_.RowSize())) throw DamagedTable(name_);
    const std::vector<RowField>& located = layout_.Fields();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const ColumnDef& c = def_.columns[i];
        const RowField& f = located[i];
        platform::Variant& v = fields_[i].value;
        // A Yes/No value is its null bit, except a calculated one, which is stored as a byte.
        if (c.type == coltype::Boolean && !c.calculated()) {
            v.setBoolean(f.present);
            continue;
        }
        if (!keys_.empty()) keys_[i] = -1;
        if (!f.present || (!read_.empty() && !read_[i])) {
            v.setNull();
            continue;
        }
        const std::uint8_t* data = row + f.start;
        const std::size_t n = f.size;
        if (c.type == coltype::Complex && !c.calculated()) {
            if (n < 4) throw DamagedTable(name_);
            keys_[i] = le::u32(data);
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
