#include "RejectFile.h"

#include "platform/Error.h"

#include <cerrno>
#include <cstring>
#include <ctime>

namespace tabulant::engine {

RejectFile::RejectFile(std::string path, std::string source)
    : path_(std::move(path)), source_(std::move(source)) {}

RejectFile::~RejectFile() {
    if (file_) std::fclose(file_);
}

void RejectFile::Fail(int error) {
    if (error == 0) error = EIO;
    throw platform::Error(error, "Cannot write the refused rows to " + path_ + ": " +
                                     std::strerror(error));
}

void RejectFile::Write(std::string_view table, std::int64_t row, std::string_view reason,
                       std::string_view statement) {
    if (!file_) {
        // Never over a file of an earlier run: its rows would be lost.
        file_ = std::fopen(path_.c_str(), "wxe");
        if (!file_) Fail(errno);
        text_ = "-- Rows the server refused while loading " + source_ +
                ", each after the server's reason.\n-- Fix them and run this file with psql "
                "-v ON_ERROR_STOP=1 -f, or open it in the preview.\n"
                "SET client_encoding = 'UTF8';\n";
    }
    text_ += "-- \"";
    text_ += table;
    text_ += "\", row " + std::to_string(row) + ": ";
    // A reason over several lines stays one comment.
    for (const char c : reason) text_ += c == '\n' || c == '\r' ? ' ' : c;
    text_ += '\n';
    text_ += statement;
    text_ += '\n';
    if (text_.size() >= 1u << 16) Flush();
}

void RejectFile::Flush() {
    if (!file_ || text_.empty()) return;
    errno = 0;
    if (std::fwrite(text_.data(), 1, text_.size(), file_) != text_.size() ||
        std::fflush(file_) != 0)
        Fail(errno);
    text_.clear();
}

std::string DefaultRejectFilePath(std::string_view accessFile, std::int64_t unixSeconds) {
    const std::size_t slash = accessFile.rfind('/');
    const std::size_t nameFrom = slash == std::string_view::npos ? 0 : slash + 1;
    std::string_view name = accessFile.substr(nameFrom);
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string path(accessFile.substr(0, nameFrom));
    path.append(name.empty() ? "rows" : name).append("-rejects-").append(stamp).append(".sql");
    return path;
}

} // namespace tabulant::engine
