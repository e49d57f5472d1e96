#include "PageStore.h"

#include "db/crypto/Rc4.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tabulant::db {

namespace {

class FileSource final : public ByteSource {
public:
    FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~FileSource() override { ::close(fd_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n =
                ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
    std::uint64_t size_;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool Read(std::uint64_t offset, std::uint8_t* out, std::size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        std::memcpy(out, data_ + offset, size);
        return true;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

} // namespace

std::unique_ptr<ByteSource> ByteSource::File(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<FileSource>(fd, static_cast<std::uint64_t>(st.st_size));
}

std::unique_ptr<ByteSource> ByteSource::Memory(const std::uint8_t* data, std::size_t size) {
    return std::make_unique<MemorySource>(data, size);
}

void JetPageCodec::Decode(std::uint32_t page, std::uint8_t* data, std::size_t size) {
    const std::uint32_t k = key_ ^ page;
    const std::uint8_t key[4] = {static_cast<std::uint8_t>(k), static_cast<std::uint8_t>(k >> 8),
                                 static_cast<std::uint8_t>(k >> 16),
                                 static_cast<std::uint8_t>(k >> 24)};
    crypto::Rc4(key).Apply({data, size});
}

PageStore::PageStore(std::shared_ptr<ByteSource> source, std::size_t pageSize,
                     std::shared_ptr<PageCodec> codec)
    : source_(std::move(source)), pageSize_(pageSize), codec_(std::move(codec)) {
    const std::uint64_t pages = source_->Size() / pageSize_;
    // Page numbers are 24 bits in row pointers and 32 in maps; nothing past that is addressable.
    pageCount_ = pages > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(pages);
}

bool PageStore::Read(std::uint32_t page, std::uint8_t* out) {
    if (page >= pageCount_) return false;
    if (!source_->Read(static_cast<std::uint64_t>(page) * pageSize_, out, pageSize_)) return false;
    if (codec_ && page != 0) codec_->Decode(page, out, pageSize_);
    return true;
}

} // namespace tabulant::db
