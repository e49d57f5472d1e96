#include "FileFacts.h"

#include "platform/Hex.h"

#include <openssl/evp.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace tabulant::engine::verify {

void ReadFileFacts(VerifyReport& report) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(report.file.c_str(), "rb"), std::fclose);
    if (!file) return;
    const std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(),
                                                                     EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return;
    std::vector<unsigned char> buffer(1 << 20);
    std::int64_t size = 0;
    for (;;) {
        const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
        if (n > 0 && EVP_DigestUpdate(context.get(), buffer.data(), n) != 1) return;
        size += static_cast<std::int64_t>(n);
        if (n < buffer.size()) break;
    }
    if (std::ferror(file.get())) return;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return;
    std::string text;
    platform::AppendHex(std::string_view(reinterpret_cast<const char*>(digest), length), text);
    report.fileSize = size;
    report.fileSha256 = std::move(text);
}

std::string UtcNow() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return text;
}

} // namespace tabulant::engine::verify
