#include "patch/crc32.h"

#include <zlib.h>

namespace velmora::patch {

uint32_t crc32Of(std::span<const uint8_t> bytes)
{
    // crc32_z takes a size_t length; crc32() would stop at 4 GB.
    return static_cast<uint32_t>(crc32_z(crc32_z(0, nullptr, 0), bytes.data(), bytes.size()));
}

} // namespace velmora::patch
