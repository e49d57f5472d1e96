#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace tabulant::engine {

// The rows a bulk load's server refused, as a file psql or the preview window can run once they
// are fixed: each row's INSERT statement after a comment line with its table, its row number and
// the server's reason. Created at the first row; nothing is created for a load without refusals.
// Thread: the user-interface thread.
class RejectFile {
public:
    // `path` is where the file goes; `source` is named in its first line.
    RejectFile(std::string path, std::string source);
    ~RejectFile();
    RejectFile(const RejectFile&) = delete;
    RejectFile& operator=(const RejectFile&) = delete;

    // Throws platform::Error when the file cannot be created or written.
    void Write(std::string_view table, std::int64_t row, std::string_view reason,
               std::string_view statement);
    // Writes what is buffered; throws platform::Error as Write does.
    void Flush();

    const std::string& path() const { return path_; }

private:
    [[noreturn]] void Fail(int error);

    std::string path_;
    std::string source_;
    std::FILE* file_ = nullptr;
    std::string text_;
};

// The reject file of a run that was given none: beside the Access file, named after it and the
// time, "Shop-rejects-20261207-231500.sql" for /data/Shop.mdb.
std::string DefaultRejectFilePath(std::string_view accessFile, std::int64_t unixSeconds);

} // namespace tabulant::engine
