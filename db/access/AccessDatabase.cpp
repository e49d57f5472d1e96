#include "AccessDatabase.h"

#include "AccessErrors.h"
#include "AccessTableCursor.h"
#include "ColumnProperties.h"
#include "RowListCursor.h"
#include "TableDefinition.h"

#include "db/crypto/PageDecryptor.h"
#include "platform/AdoType.h"
#include "platform/AsciiText.h"
#include "platform/Utf8.h"
#include "platform/Wipe.h"

#include <algorithm>

namespace tabulant::db {

namespace {

constexpr std::uint32_t CatalogPage = 2;
constexpr std::uint32_t SystemFlag = 0x80000000u;
constexpr std::uint32_t AltSystemFlag = 0x00000002u;

// Pages of a password-protected .accdb, decrypted in memory as they are read.
class OfficePageCodec final : public PageCodec {
public:
    explicit OfficePageCodec(std::unique_ptr<crypto::PageDecryptor> decryptor)
        : decryptor_(std::move(decryptor)) {}
    void Decode(std::uint32_t page, std::uint8_t* data, std::size_t size) override {
        decryptor_->Decrypt(page, {data, size});
    }

private:
    std::unique_ptr<crypto::PageDecryptor> decryptor_;
};

} // namespace

std::shared_ptr<AccessDatabase> AccessDatabase::Open(std::shared_ptr<ByteSource> bytes,
                                                     std::string path, std::string_view password,
                                                     int codePage) {
    std::shared_ptr<AccessDatabase> db(new AccessDatabase());
    db->path_ = std::move(path);
    std::uint8_t first[4096] = {};
    const std::size_t available =
        static_cast<std::size_t>(std::min<std::uint64_t>(bytes->Size(), sizeof first));
    if (!bytes->Read(0, first, available)) throw UnrecognizedFormat(db->path_);
    std::optional<JetHeader> header = ReadJetHeader(first, available);
    // Page 0, the first catalogue pages and the usage maps must at least be there.
    if (!header || bytes->Size() < 3 * header->Format().pageSize)
        throw UnrecognizedFormat(db->path_);
    // The stored password serves the check below and is not kept.
    const platform::WipeOnExit forgetPassword(header->password);
    if (codePage != 0) header->codePage = codePage;
    db->header_ = *header;
    platform::Wipe(db->header_.password);
    db->format_ = &header->Format();

    std::shared_ptr<PageCodec> codec;
    if (header->officeEncrypted()) {
        // The Office verifier is the password check; a wrong one fails in Unlock.
        const crypto::EncryptionInfo info = crypto::ReadEncryption({first, available});
        codec = std::make_shared<OfficePageCodec>(crypto::Unlock(info, password));
    } else {
        TextDecoder text(db->format_->codePageText, header->codePage);
        std::string stored = header->StoredPassword(text);
        const platform::WipeOnExit forgetStored(stored);
        // A file without a password opens with any; otherwise the password must match exactly.
        if (!stored.empty() && stored != password) throw NotValidPassword();
        if (header->encodingKey != 0) codec = std::make_shared<JetPageCodec>(header->encodingKey);
    }
    db->pages_ = std::make_unique<PageStore>(std::move(bytes), db->format_->pageSize, codec);
    try {
        db->readCatalog();
    } catch (const platform::Error&) {
        throw UnrecognizedFormat(db->path_);
    }
    return db;
}

void AccessDatabase::readCatalog() {
    auto cursor = OpenTableAt(CatalogPage, "MSysObjects");
    auto& fields = cursor->fields();
    auto column = [&](std::string_view name) {
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (fields[i].name == name) return i;
        throw DamagedTable("MSysObjects");
    };
    const std::size_t id = column("Id"), name = column("Name"), type = column("Type"),
                      flags = column("Flags");
    std::size_t properties = fields.size();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == "LvProp") properties = i;
    using Kind = platform::Variant::Kind;
    for (; !cursor->atEnd(); cursor->moveNext()) {
        if (fields[name].value.kind() != Kind::Text || fields[type].value.kind() != Kind::Integer)
            continue;
        CatalogEntry e;
        e.name = fields[name].value.payload();
        e.type = static_cast<int>(fields[type].value.asInteger() & 0x7F);
        if (fields[flags].value.kind() == Kind::Integer)
            e.flags = static_cast<std::uint32_t>(fields[flags].value.asInteger());
        if (fields[id].value.kind() == Kind::Integer)
            e.page = static_cast<std::uint32_t>(fields[id].value.asInteger()) & 0xFFFFFFu;
        if ((e.type == 1 || e.type == 5) && properties < fields.size() &&
            fields[properties].value.kind() == Kind::Binary)
            e.properties = fields[properties].value.payload();
        catalog_.push_back(std::move(e));
    }
}

std::string AccessDatabase::TableType(const CatalogEntry& e) {
    switch (e.type) {
    case 1:
        if ((e.flags & (SystemFlag | AltSystemFlag)) != 0 ||
            platform::StartsWithNoCase(e.name, "MSys"))
            return "SYSTEM TABLE";
        // Access's own scratch tables (left behind by clipboard operations and the like) hold no
        // data of the user's.
        if (e.name.starts_with("~")) return "ACCESS TABLE";
        return "TABLE";
    case 4:
        return "PASS-THROUGH";
    case 6:
        return "LINK";
    default:
        return {};
    }
}

std::unique_ptr<AccessTableCursor> AccessDatabase::OpenTableAt(std::uint32_t page,
                                                               std::string name) {
    TableDefinition def = ReadDefinition(page, name);
    return std::make_unique<AccessTableCursor>(shared_from_this(), std::move(def), std::move(name));
}

TableDefinition AccessDatabase::ReadDefinition(std::uint32_t page, const std::string& name,
                                               std::vector<std::uint8_t>* bytes) const {
    TextDecoder text(format_->codePageText, header_.codePage);
    TableDefinition def = TableDefinition::Read(*pages_, *format_, text, page, name, bytes);
    applyResultTypes(def);
    return def;
}

void AccessDatabase::applyResultTypes(TableDefinition& def) const {
    const bool calculated = std::any_of(def.columns.begin(), def.columns.end(),
                                        [](const ColumnDef& c) { return c.calculated(); });
    if (!calculated) return;
    for (const CatalogEntry& e : catalog_) {
        if (e.type != 1 || e.page != def.page) continue;
        const auto types = CalculatedResultTypes(e.properties);
        for (ColumnDef& c : def.columns) {
            auto it = types.find(c.name);
            if (c.calculated() && it != types.end() && it->second != 0) c.type = it->second;
        }
        return;
    }
}

std::unique_ptr<AccessTableCursor> AccessDatabase::OpenSystemTable(std::string_view name) {
    for (const CatalogEntry& e : catalog_)
        if (e.type == 1 && e.name == name) return OpenTableAt(e.page, e.name);
    return nullptr;
}

std::unique_ptr<platform::Cursor> AccessDatabase::OpenTable(std::string_view name,
                                                            platform::EventLoop* events) {
    const std::string wanted = platform::LowerCase(name);
    const CatalogEntry* found = nullptr;
    for (const CatalogEntry& e : catalog_) {
        if ((e.type == 1 || e.type == 4 || e.type == 6) && platform::LowerCase(e.name) == wanted) {
            found = &e;
            if (e.type == 1) break;
        }
    }
    if (!found) throw NoSuchTable(name);
    if (found->type != 1)
        throw platform::Error(accesserrors::Failure,
                              "The table '" + found->name +
                                  "' is linked to another database, which is not read.");
    auto cursor = OpenTableAt(found->page, found->name);
    cursor->SetEventLoop(events);
    return cursor;
}

std::vector<const CatalogEntry*> AccessDatabase::SchemaOrder() const {
    std::vector<std::pair<std::string, const CatalogEntry*>> tables; // type, entry
    for (const CatalogEntry& e : catalog_) {
        std::string type = TableType(e);
        if (!type.empty()) tables.emplace_back(std::move(type), &e);
    }
    std::stable_sort(tables.begin(), tables.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return platform::LowerCase(a.second->name) < platform::LowerCase(b.second->name);
    });
    std::vector<const CatalogEntry*> out;
    for (const auto& [type, entry] : tables) out.push_back(entry);
    return out;
}

std::unique_ptr<platform::Cursor> AccessDatabase::TablesSchema() const {
    const std::vector<const CatalogEntry*> tables = SchemaOrder();
    std::vector<platform::Field> columns(4);
    const char* names[] = {"TABLE_CATALOG", "TABLE_SCHEMA", "TABLE_NAME", "TABLE_TYPE"};
    for (std::size_t i = 0; i < columns.size(); ++i) {
        columns[i].name = names[i];
        columns[i].type = platform::adVarWChar;
    }
    std::vector<std::vector<platform::Variant>> rows;
    rows.reserve(tables.size());
    for (const CatalogEntry* e : tables)
        rows.push_back({platform::Variant::null(), platform::Variant::null(),
                        platform::Variant::text(e->name), platform::Variant::text(TableType(*e))});
    return std::make_unique<RowListCursor>(std::move(columns), std::move(rows));
}

} // namespace tabulant::db
