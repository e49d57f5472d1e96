#pragma once

#include "engine/RunPorts.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace tabulant::cli {

// The statements of a run without a server, as a file psql can run: the first line sets the
// client encoding to UTF8 (the statements are UTF-8 whatever the database's encoding), then
// one statement a line, each ending in a semicolon (the run's DROP TABLE and CREATE TABLE carry
// none of their own).
// A failed write (a full disk, a reader that went away) is thrown once, as a platform::Error
// naming the file and the reason; the statements after it are counted as not written.
// Thread: the one thread of the program.
class StatementFile final : public engine::StatementOutput {
public:
    // "-" is standard output. Throws platform::Error when the file cannot be created.
    explicit StatementFile(std::string path);
    ~StatementFile() override;
    StatementFile(const StatementFile&) = delete;
    StatementFile& operator=(const StatementFile&) = delete;

    void Write(std::string_view statement) override;
    // Writes what is still buffered and, into a pipe, waits until the reader has taken it;
    // throws platform::Error as Write does when that fails or the reader is gone.
    void Flush();
    void WriteData(std::string_view lines) override;
    // Writes what is still buffered and closes the file; throws platform::Error as Write does
    // when that fails (and no write failed before).
    void Finish();

    const std::string& path() const { return path_; }
    // Statements handed to the file before a failure, and those after it; failed() says
    // whether a write (or the last flush) failed.
    std::int64_t written() const { return written_; }
    bool failed() const { return failed_; }
    std::int64_t lost() const { return lost_; }

private:
    void fail(int error);

    std::string path_;
    std::FILE* file_ = nullptr;
    bool failed_ = false;
    std::int64_t written_ = 0;
    std::int64_t lost_ = 0;
};

} // namespace tabulant::cli
