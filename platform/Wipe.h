#pragma once

#include <cstddef>
#include <string.h>
#include <string>
#include <vector>

namespace tabulant::platform {

// Overwrites memory that held a password (or text made from one, such as a connection string), so
// that it does not linger in freed memory. Unlike memset, the write is never left out by the
// compiler. A text or vector is wiped over its contents and left empty; the caller reserves
// enough beforehand, because a buffer that grows leaves its old copy behind unwiped.
inline void Wipe(void* data, std::size_t size) {
    if (size != 0) explicit_bzero(data, size);
}

template <class T, std::size_t N> void Wipe(T (&values)[N]) { Wipe(values, sizeof values); }

template <class Char> void Wipe(std::basic_string<Char>& text) {
    Wipe(text.data(), text.size() * sizeof(Char));
    text.clear();
}

template <class T> void Wipe(std::vector<T>& values) {
    Wipe(values.data(), values.size() * sizeof(T));
    values.clear();
}

// Wipes a buffer when the scope that declares it ends, however it ends.
template <class Buffer> class WipeOnExit {
public:
    explicit WipeOnExit(Buffer& buffer) : buffer_(buffer) {}
    ~WipeOnExit() { Wipe(buffer_); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    Buffer& buffer_;
};

} // namespace tabulant::platform
