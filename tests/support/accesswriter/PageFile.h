#pragma once

#include "Bytes.h"
#include "FormatLayout.h"

#include <cstdint>
#include <filesystem>

namespace tabulant::accesswriter {

// The output file as numbered pages. Pages are handed out in order and may be written in any
// order; page encoding, when asked for, is applied on the way to disk.
class PageFile {
public:
    PageFile(const std::filesystem::path& path, const FormatLayout& layout,
             std::uint32_t encodingKey);
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    std::uint32_t allocate() { return next_++; }
    std::uint32_t pageCount() const { return next_; }
    void write(std::uint32_t page, Bytes& data); // data is pageSize long; may be scrambled
    void close();

private:
    FormatLayout layout_;
    std::uint32_t key_;
    int fd_ = -1;
    std::uint32_t next_ = 0;
    std::filesystem::path path_;
};

} // namespace tabulant::accesswriter
