#pragma once
// The map tiles the demo server hands out: one plain 256x256 PNG, light grey
// with a faint border so the front end's tile grid stays visible.

#include <string>

namespace instala::demo {

// A valid PNG (8-bit RGB, zlib-compressed) of the given size.
std::string makeTilePng(int width = 256, int height = 256);

}  // namespace instala::demo
