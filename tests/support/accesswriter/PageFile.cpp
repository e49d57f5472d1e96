#include "PageFile.h"

#include "Rc4.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tabulant::accesswriter {

PageFile::PageFile(const std::filesystem::path& path, const FormatLayout& layout,
                   std::uint32_t encodingKey)
    : layout_(layout), key_(encodingKey), path_(path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd_ < 0)
        throw AccessWriterError("cannot create " + path.string() + ": " + std::strerror(errno));
}

PageFile::~PageFile() {
    if (fd_ >= 0) ::close(fd_);
}

void PageFile::write(std::uint32_t page, Bytes& data) {
    if (fd_ < 0) throw AccessWriterError("the file is already closed");
    if (key_ != 0 && page != 0) {
        std::uint8_t k[4];
        put32(k, key_ ^ page);
        rc4Apply(k, 4, data.data(), data.size());
    }
    const off_t at = static_cast<off_t>(page) * layout_.pageSize;
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n =
            ::pwrite(fd_, data.data() + done, data.size() - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            throw AccessWriterError("cannot write " + path_.string() + ": " + std::strerror(errno));
        done += static_cast<std::size_t>(n);
    }
}

void PageFile::close() {
    if (fd_ < 0) return;
    const int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0)
        throw AccessWriterError("cannot close " + path_.string() + ": " + std::strerror(errno));
}

} // namespace tabulant::accesswriter
