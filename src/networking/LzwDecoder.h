#pragma once
// The LZW coding of the Unix `compress` program (".Z" data, the HTTP
// "compress" content coding), undone in memory without a library: the magic
// bytes 0x1F 0x9D, a flags byte (maximum code width 9 to 16 bits in its low
// five bits, block mode in its high bit), then codes packed least significant
// bit first, starting 9 bits wide. In block mode code 256 clears the table;
// the codes that follow it start at the next boundary of the writer's groups
// of eight codes, as `compress` wrote them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace instala {

// The decoded bytes; nothing for data that is not in this coding or is
// corrupt, with the reason in `reason`. Decoding stops as soon as the output
// grows past `maxSize`: a result longer than that is cut there, so a small
// body that expands without end costs no more memory than the cap.
std::optional<std::string> decodeLzw(std::string_view coded, std::uint64_t maxSize, std::string& reason);

}  // namespace instala
