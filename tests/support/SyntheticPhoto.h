#pragma once
// Pixels that compress like a camera photo: smooth light, hard-edged objects
// with fine texture, and sensor noise. A flat or purely random picture would
// make JPEG coding far cheaper or far dearer than a real photo.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace instala::testing {

// width × height × 3 bytes (R, G, B), the same for the same seed.
inline std::vector<std::uint8_t> syntheticPhoto(int width, int height, std::uint32_t seed = 1) {
  auto hash = [seed](int x, int y) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<int>((h ^ (h >> 16)) & 0x7FFFFFFF);
  };
  struct Box {
    int left, top, right, bottom, r, g, b;
  };
  std::vector<Box> boxes;
  for (int i = 0; i < 12; ++i) {
    const int x = hash(i, 1) % width, y = hash(i, 2) % height;
    boxes.push_back({x, y, x + width / 3, y + height / 3, hash(i, 3) % 200, hash(i, 4) % 200, hash(i, 5) % 200});
  }
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::size_t at = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int r = 40 + 160 * y / height, g = 90 + 100 * x / width, b = 200 - 120 * y / height;
      // Background detail at a coarse scale, objects with a fine one (foliage, fabric, gravel).
      int detail = hash(x / 12, y / 12) % 24 - 12;
      for (const auto& box : boxes) {
        if (x >= box.left && x < box.right && y >= box.top && y < box.bottom) {
          r = box.r, g = box.g, b = box.b;
          detail = hash(x / 3, y / 3) % 56 - 28;
        }
      }
      const int noise = hash(x, y);
      pixels[at++] = static_cast<std::uint8_t>(std::clamp(r + detail + (noise & 7) - 4, 0, 255));
      pixels[at++] = static_cast<std::uint8_t>(std::clamp(g + detail + ((noise >> 3) & 7) - 4, 0, 255));
      pixels[at++] = static_cast<std::uint8_t>(std::clamp(b + detail + ((noise >> 6) & 7) - 4, 0, 255));
    }
  }
  return pixels;
}

}  // namespace instala::testing
