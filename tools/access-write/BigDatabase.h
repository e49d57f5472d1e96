#pragma once

#include "AccessWriter.h"

#include <cstdint>
#include <filesystem>

namespace tabulant::accesswriter {

// Tables "Big 1" .. "Big <tables>" of `rows` rows each, ten mixed columns with deterministic
// contents (row i of every table is the same), streamed to disk.
void writeBigDatabase(const std::filesystem::path& path, std::uint64_t rows, int tables,
                      Format format);

// Table "Files" (ID, Docs) of `files` rows, each with one attached file "file<ID>.bin" of `size`
// bytes (kept unpacked, deterministic contents), for measuring the conversion of attachments.
void writeAttachmentDatabase(const std::filesystem::path& path, std::uint64_t files,
                             std::uint64_t size);

// The columns of a big table, and the values of its row `i` (0-based), reusing `row`.
std::vector<Column> bigColumns();
void bigRow(std::uint64_t i, Row& row);

} // namespace tabulant::accesswriter
