#pragma once

// Raw access to what libmdb cracks out of a row: the stored bytes of each column, for the types
// whose text libmdb cannot give (Large Number, extended dates, calculated values, surrogates).

#include <mdbtools.h>

#include <QByteArray>
#include <QList>
#include <QString>

#include <filesystem>
#include <memory>
#include <vector>

namespace tabulant::accesswriter::testing {

struct RawRow {
    QList<QByteArray> values; // stored bytes per column; null (or empty) is a null QByteArray
};

// Reads every row libmdb returns for the table; an empty result when anything fails.
inline std::vector<RawRow> rawRows(const std::filesystem::path& file, const char* table) {
    std::vector<RawRow> rows;
    MdbHandle* mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
    if (!mdb) return rows;
    mdb_read_catalog(mdb, MDB_TABLE);
    MdbTableDef* t = nullptr;
    for (unsigned i = 0; i < mdb->num_catalog && !t; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (QString::fromUtf8(e->object_name) == QString::fromUtf8(table)) t = mdb_read_table(e);
    }
    if (t) {
        mdb_read_columns(t);
        std::vector<std::vector<char>> buffers(t->num_cols, std::vector<char>(mdb->bind_size));
        std::vector<int> lengths(t->num_cols);
        for (unsigned c = 0; c < t->num_cols; ++c)
            mdb_bind_column(t, static_cast<int>(c + 1), buffers[c].data(), &lengths[c]);
        mdb_rewind_table(t);
        while (mdb_fetch_row(t)) {
            RawRow r;
            for (unsigned c = 0; c < t->num_cols; ++c) {
                auto* col = static_cast<MdbColumn*>(g_ptr_array_index(t->columns, c));
                // libmdb leaves cur_value_len 0 for a null (and for an empty value).
                if (col->cur_value_len == 0 && col->col_type != MDB_BOOL)
                    r.values.push_back(QByteArray());
                else
                    r.values.push_back(QByteArray(
                        reinterpret_cast<const char*>(mdb->pg_buf) + col->cur_value_start,
                        col->col_type == MDB_BOOL ? 0 : col->cur_value_len));
            }
            rows.push_back(r);
        }
        mdb_free_tabledef(t);
    }
    mdb_close(mdb);
    return rows;
}

} // namespace tabulant::accesswriter::testing
