#include "Bitmap.h"

#include <cstdint>

namespace tabulant::accesswriter {

namespace {
void put(std::string& s, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
} // namespace

std::string gradientBitmap(int width, int height) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const auto imageSize = static_cast<std::uint32_t>(stride * height);
    std::string s = "BM";
    put(s, 54 + imageSize, 4);
    put(s, 0, 4);
    put(s, 54, 4);
    put(s, 40, 4);
    put(s, static_cast<std::uint32_t>(width), 4);
    put(s, static_cast<std::uint32_t>(height), 4);
    put(s, 1, 2);
    put(s, 24, 2);
    put(s, 0, 4);
    put(s, imageSize, 4);
    put(s, 2835, 4); // 72 dpi
    put(s, 2835, 4);
    put(s, 0, 4);
    put(s, 0, 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool diagonal = x == y || x == width - 1 - y;
            s.push_back(static_cast<char>(diagonal ? 0xFF : 255 * x / (width > 1 ? width - 1 : 1)));
            s.push_back(
                static_cast<char>(diagonal ? 0xFF : 255 * y / (height > 1 ? height - 1 : 1)));
            s.push_back(static_cast<char>(diagonal ? 0xFF : 0x80));
        }
        s.append(static_cast<std::size_t>(stride - width * 3), '\0');
    }
    return s;
}

} // namespace tabulant::accesswriter
