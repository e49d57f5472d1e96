#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tabulant::db {

// Where the bytes of a database come from: a file or a block of memory. Thread: one reader.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies `size` bytes from `offset`; false when they are not all there.
    virtual bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) = 0;

    // Opens the file read-only; nullptr (errno set) when it cannot be opened.
    static std::unique_ptr<ByteSource> File(const std::string& path);
    // The memory must outlive the source.
    static std::unique_ptr<ByteSource> Memory(const std::uint8_t* data, std::size_t size);
};

// Undoes whatever protection the pages of a file carry. Page 0 is never passed in.
class PageCodec {
public:
    virtual ~PageCodec() = default;
    virtual void Decode(std::uint32_t page, std::uint8_t* data, std::size_t size) = 0;
};

// The RC4 page encoding of .mdb files: each page is keyed with the file key XOR its number.
class JetPageCodec final : public PageCodec {
public:
    explicit JetPageCodec(std::uint32_t key) : key_(key) {}
    void Decode(std::uint32_t page, std::uint8_t* data, std::size_t size) override;

private:
    std::uint32_t key_;
};

// Fixed-size pages of a database, decoded, each page number checked against the file's size.
class PageStore {
public:
    PageStore(std::shared_ptr<ByteSource> source, std::size_t pageSize,
              std::shared_ptr<PageCodec> codec);

    std::uint32_t PageCount() const { return pageCount_; }
    // Reads page `page` into `out` (as many bytes as the page size given to the constructor);
    // false when the page is not in the file.
    bool Read(std::uint32_t page, std::uint8_t* out);

private:
    std::shared_ptr<ByteSource> source_;
    std::size_t pageSize_;
    std::uint32_t pageCount_;
    std::shared_ptr<PageCodec> codec_;
};

} // namespace tabulant::db
