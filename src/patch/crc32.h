#pragma once
#include <cstdint>
#include <span>

namespace velmora::patch {

// The CRC-32 (zlib's, as in ZIP and PNG) of bytes of any length.
uint32_t crc32Of(std::span<const uint8_t> bytes);

} // namespace velmora::patch
