#include "CursorFile.h"

#include "platform/Error.h"
#include "shell/core/Helpers.h"

#include <QFile>
#include <QPixmap>

#include <cstdint>

namespace tabulant::shell {

namespace {

constexpr long InvalidPicture = 481;
constexpr long FileAccessError = 75;

[[noreturn]] void invalid() { throw platform::Error(InvalidPicture, "Invalid picture"); }

// Little-endian reads that fail instead of reading past the end.
class Bytes {
public:
    explicit Bytes(const QByteArray& data) : data_(data) {}

    std::uint32_t u8(qsizetype at) const { return byte(at); }
    std::uint32_t u16(qsizetype at) const { return byte(at) | byte(at + 1) << 8; }
    std::uint32_t u32(qsizetype at) const { return u16(at) | u16(at + 2) << 16; }
    std::int32_t i32(qsizetype at) const { return static_cast<std::int32_t>(u32(at)); }
    qsizetype size() const { return data_.size(); }

private:
    std::uint32_t byte(qsizetype at) const {
        if (at < 0 || at >= data_.size()) invalid();
        return static_cast<unsigned char>(data_[at]);
    }
    const QByteArray& data_;
};

bool isPng(const QByteArray& image) { return image.startsWith("\x89PNG\r\n\x1a\n"); }

// A bitmap image: the header, an optional palette, the colour rows (bottom-up), then the AND
// mask rows (bottom-up, one bit a pixel, 1 meaning transparent).
QImage decodeBitmap(const QByteArray& image) {
    const Bytes b(image);
    const std::uint32_t headerSize = b.u32(0);
    const std::int32_t width = b.i32(4);
    const std::int32_t doubledHeight = b.i32(8);
    const std::uint32_t bits = b.u16(14);
    const std::uint32_t compression = b.u32(16);
    std::uint32_t colorsUsed = b.u32(32);
    if (headerSize < 40 || headerSize > 1024) invalid();
    if (width <= 0 || width > 256 || doubledHeight <= 0 || doubledHeight > 512 || doubledHeight % 2)
        invalid();
    if (compression != 0 && !(compression == 3 && bits == 32)) invalid();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) invalid();
    const int height = doubledHeight / 2;

    const std::uint32_t paletteSize = bits <= 8 ? (colorsUsed ? colorsUsed : 1u << bits) : 0;
    if (paletteSize > 256) invalid();
    const qsizetype paletteAt = headerSize + (compression == 3 && headerSize == 40 ? 12 : 0);
    const qsizetype colourAt = paletteAt + 4 * static_cast<qsizetype>(paletteSize);
    const qsizetype colourStride = ((static_cast<qsizetype>(width) * bits + 31) / 32) * 4;
    const qsizetype maskAt = colourAt + colourStride * height;
    const qsizetype maskStride = ((static_cast<qsizetype>(width) + 31) / 32) * 4;
    // A 32-bit image may leave the mask out and rely on its alpha channel.
    const bool hasMask = maskAt + maskStride * height <= b.size();
    if (maskAt > b.size() || (bits != 32 && !hasMask)) invalid();

    QImage out(width, height, QImage::Format_ARGB32);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const qsizetype row = colourAt + colourStride * (height - 1 - y);
        const qsizetype maskRow = maskAt + maskStride * (height - 1 - y);
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < width; ++x) {
            std::uint32_t r = 0, g = 0, bl = 0, a = 255;
            if (bits == 32 || bits == 24) {
                const qsizetype p = row + static_cast<qsizetype>(x) * (bits / 8);
                bl = b.u8(p), g = b.u8(p + 1), r = b.u8(p + 2);
                if (bits == 32) {
                    a = b.u8(p + 3);
                    anyAlpha = anyAlpha || a != 0;
                }
            } else {
                const qsizetype bitPos = static_cast<qsizetype>(x) * bits;
                const std::uint32_t byte = b.u8(row + bitPos / 8);
                const std::uint32_t shift = 8 - bits - static_cast<std::uint32_t>(bitPos % 8);
                const std::uint32_t index = (byte >> shift) & ((1u << bits) - 1);
                if (index >= paletteSize) invalid();
                const qsizetype e = paletteAt + 4 * static_cast<qsizetype>(index);
                bl = b.u8(e), g = b.u8(e + 1), r = b.u8(e + 2);
            }
            if (hasMask && bits != 32) {
                const std::uint32_t m = b.u8(maskRow + x / 8);
                if ((m >> (7 - x % 8)) & 1) a = 0;
            }
            line[x] = qRgba(static_cast<int>(r), static_cast<int>(g), static_cast<int>(bl),
                            static_cast<int>(a));
        }
    }
    // Older 32-bit cursors leave the alpha bytes at zero and carry their shape in the mask.
    if (bits == 32 && !anyAlpha) {
        if (!hasMask) invalid();
        for (int y = 0; y < height; ++y) {
            const qsizetype maskRow = maskAt + maskStride * (height - 1 - y);
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const bool transparent = (b.u8(maskRow + x / 8) >> (7 - x % 8)) & 1;
                line[x] = transparent ? qRgba(0, 0, 0, 0) : (line[x] | 0xFF000000u);
            }
        }
    }
    return out;
}

} // namespace

CursorImage ReadCursorFile(const QByteArray& bytes) {
    const Bytes b(bytes);
    if (b.size() < 6 + 16) invalid();
    if (b.u16(0) != 0 || b.u16(2) != 2 || b.u16(4) == 0) invalid();
    // The first directory entry: size, colours, hotspot, then where its image lies.
    const int hotX = static_cast<int>(b.u16(6 + 4));
    const int hotY = static_cast<int>(b.u16(6 + 6));
    const std::uint32_t length = b.u32(6 + 8);
    const std::uint32_t offset = b.u32(6 + 12);
    if (length == 0 || offset > static_cast<std::uint64_t>(b.size()) ||
        length > static_cast<std::uint64_t>(b.size()) - offset)
        invalid();
    const QByteArray image = bytes.mid(offset, length);

    CursorImage result;
    if (isPng(image)) {
        if (!result.image.loadFromData(image, "PNG")) invalid();
    } else {
        result.image = decodeBitmap(image);
    }
    if (result.image.isNull()) invalid();
    result.hotspot =
        QPoint(qMin(hotX, result.image.width() - 1), qMin(hotY, result.image.height() - 1));
    return result;
}

QCursor LoadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw platform::Error(FileAccessError, "Path/File access error");
    const CursorImage cursor = ReadCursorFile(file.readAll());
    return QCursor(QPixmap::fromImage(cursor.image), cursor.hotspot.x(), cursor.hotspot.y());
}

std::string HandCursorPath() { return ProgramFolder() + "/HAND-M.CUR"; }

} // namespace tabulant::shell
