#pragma once

#include <string>

namespace tabulant::accesswriter {

// A deterministic 24-bit Windows bitmap (BMP file bytes): a colour gradient with a diagonal.
std::string gradientBitmap(int width, int height);

} // namespace tabulant::accesswriter
