#include "AccessWriter.h"

#include "Catalog.h"
#include "ComplexTables.h"
#include "FileHeader.h"
#include "LongValueStore.h"
#include "PageFile.h"
#include "TableDefinition.h"
#include "TableState.h"
#include "UsageMaps.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tabulant::accesswriter {

namespace {

// Fixtures are small, so the finished plain file is encrypted as a whole in memory and written
// back over itself.
void encryptInPlace(const std::filesystem::path& path, const std::string& password,
                    const db::crypto::EncryptionOptions& options) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> plain{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    if (!in.good() && !in.eof())
        throw AccessWriterError("cannot read back " + path.string() + " to encrypt it");
    std::vector<std::uint8_t> image;
    try {
        image = db::crypto::EncryptDatabase(plain, password, options);
    } catch (const std::exception& e) {
        throw AccessWriterError(std::string("cannot encrypt: ") + e.what());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()),
              static_cast<std::streamsize>(image.size()));
    if (!out.flush()) throw AccessWriterError("cannot write " + path.string());
}

} // namespace

struct AccessWriter::Impl {
    Impl(const std::filesystem::path& path, WriterOptions o)
        : path(path), options(std::move(o)), layout(FormatLayout::of(options.format)),
          file(path, layout, options.pageEncodingKey), longValues(file, layout) {
        file.allocate(); // 0: header
        file.allocate(); // 1: first usage-map page
        file.allocate(); // 2: the catalogue's table definition, where readers look for it
    }

    std::filesystem::path path;
    WriterOptions options;
    FormatLayout layout;
    PageFile file;
    LongValueStore longValues;
    std::vector<std::unique_ptr<TableWriter::State>> tables;
    std::vector<std::unique_ptr<TableWriter>> handles;
    std::vector<CatalogItem> items; // in the order asked for
    std::vector<Relationship> relationships;
    std::vector<ComplexColumn> complex;
    bool finished = false;
};

void TableWriter::addRow(std::span<const platform::Variant> values, RowKind kind) {
    s_->addRow(values, kind);
}

std::uint64_t TableWriter::rowCount() const { return s_->rows; }

const std::string& TableWriter::name() const { return s_->name; }

std::uint32_t TableWriter::definitionPage() const { return s_->tdefPage; }

AccessWriter::AccessWriter(const std::filesystem::path& path, WriterOptions options)
    : d_(std::make_unique<Impl>(path, std::move(options))) {}

AccessWriter::~AccessWriter() {
    if (!d_->finished) {
        try {
            finish();
        } catch (...) { // NOLINT: a destructor must not throw; finish() reports errors itself
        }
    }
}

TableWriter& AccessWriter::addTable(const std::string& name, std::vector<Column> columns,
                                    TableOptions options) {
    if (d_->finished) throw AccessWriterError("the file is already finished");
    for (const auto& t : d_->tables)
        if (t->name == name) throw AccessWriterError("table \"" + name + "\" is added twice");
    d_->tables.push_back(std::make_unique<TableWriter::State>(
        name, std::move(columns), options, d_->file.allocate(), d_->file, d_->longValues,
        d_->layout, d_->options.codePage));
    d_->handles.push_back(std::unique_ptr<TableWriter>(new TableWriter(d_->tables.back().get())));
    d_->items.push_back(CatalogItem{d_->tables.back().get(), {}});
    return *d_->handles.back();
}

void AccessWriter::addCatalogEntry(const CatalogEntry& entry) {
    if (d_->finished) throw AccessWriterError("the file is already finished");
    d_->items.push_back(CatalogItem{nullptr, entry});
}

void AccessWriter::addRelationship(const Relationship& relationship) {
    if (d_->finished) throw AccessWriterError("the file is already finished");
    d_->relationships.push_back(relationship);
}

void AccessWriter::addComplexColumn(ComplexColumn column) {
    if (d_->finished) throw AccessWriterError("the file is already finished");
    d_->complex.push_back(std::move(column));
}

void AccessWriter::finish() {
    if (d_->finished) throw AccessWriterError("the file is already finished");
    Impl& d = *d_;
    auto owner = [&](const ComplexColumn& c, std::uint32_t complexId) {
        for (auto& t : d.tables) {
            if (t->name != c.table) continue;
            for (ColumnLayout& column : t->columns) {
                if (column.def.name != c.column) continue;
                if (column.def.type != ColumnType::Complex)
                    throw AccessWriterError("column \"" + c.column + "\" is not complex");
                column.complexId = complexId;
                return t->tdefPage;
            }
        }
        throw AccessWriterError("no complex column \"" + c.column + "\" in \"" + c.table + "\"");
    };
    addComplexTables(
        d.complex,
        [&](const std::string& name, std::vector<Column> columns, TableOptions options)
            -> TableWriter& { return addTable(name, std::move(columns), options); },
        owner);
    if (!d.relationships.empty()) {
        TableOptions sys;
        sys.flags = kSystemObjectFlags;
        sys.systemTable = true;
        TableWriter& t = addTable("MSysRelationships", relationshipColumns(), sys);
        for (const Row& r : relationshipRows(d.relationships)) t.addRow(r);
    }
    d.finished = true;
    std::vector<TableWriter::State*> tables;
    for (auto& t : d.tables) tables.push_back(t.get());
    planIndexes(tables, d.relationships, d.layout);
    for (auto& t : d.tables) t->flush();
    std::unique_ptr<TableWriter::State> catalog =
        buildCatalog(d.items, d.options, d.file, d.longValues, d.layout);
    d.longValues.flush();

    UsageMaps maps(d.file, d.layout);
    std::vector<TableWriter::State*> all{catalog.get()};
    for (auto& t : d.tables) all.push_back(t.get());
    std::vector<std::pair<std::uint32_t, std::uint32_t>> pointers;
    for (TableWriter::State* t : all) pointers.push_back(maps.add(t->pages));
    maps.flush();

    auto allocate = [&] { return d.file.allocate(); };
    auto write = [&](std::uint32_t page, Bytes& bytes) { d.file.write(page, bytes); };
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Bytes def = tableDefinition(*all[i], d.layout, d.options.codePage, pointers[i].first,
                                          pointers[i].second);
        writeDefinitionPages(def, all[i]->tdefPage, d.layout, allocate, write);
    }
    WriterOptions headerOptions = d.options;
    if (d.options.encryption) headerOptions.password.clear();
    Bytes header = fileHeader(headerOptions, d.layout);
    d.file.write(0, header);
    d.file.close();
    if (d.options.encryption) encryptInPlace(d.path, d.options.password, *d.options.encryption);
}

void writeDatabase(const std::filesystem::path& path, const std::vector<TableData>& tables,
                   const WriterOptions& options) {
    writeDatabase(path, tables, {}, options);
}

void writeDatabase(const std::filesystem::path& path, const std::vector<TableData>& tables,
                   const std::vector<Relationship>& relationships, const WriterOptions& options) {
    AccessWriter w(path, options);
    for (const TableData& t : tables) {
        TableWriter& tw = w.addTable(t.name, t.columns, t.options);
        for (const Row& r : t.rows) tw.addRow(r);
    }
    for (const Relationship& r : relationships) w.addRelationship(r);
    w.finish();
}

} // namespace tabulant::accesswriter
