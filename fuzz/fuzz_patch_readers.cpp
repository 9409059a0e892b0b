// The three patch readers on any patch and a small image: each either refuses
// with a PatchError naming the reason, or gives a result that every format
// able to hold the change turns back into the same bytes. IPS and text
// results keep the image length; no result is longer than allowed.
#include <string>

#include "fuzz_support.h"
#include "patch/bps_patch.h"
#include "patch/crc32.h"
#include "patch/patch_format.h"

using namespace velmora::patch;

namespace {

constexpr size_t maxLength = 4096;

void putCrc(std::vector<uint8_t> &out, size_t at, uint32_t crc)
{
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<size_t>(i)] = static_cast<uint8_t>(crc >> (8 * i));
}

// A BPS patch whose own CRC and original CRC are right, so that the reader
// gets past its checksums to the lengths and actions.
void sealBps(std::vector<uint8_t> &patch, const std::vector<uint8_t> &image)
{
    if (patch.size() < 16)
        return;
    putCrc(patch, patch.size() - 12, crc32Of(image));
    putCrc(patch, patch.size() - 4, crc32Of(std::span(patch).first(patch.size() - 4)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const auto formats = patchFormats();
    const PatchFormat &format = *formats[in.byte() % formats.size()];
    const bool seal = in.byte() & 1;
    const size_t imageLength = in.u16() % 1024;
    std::vector<uint8_t> image(imageLength);
    for (size_t i = 0; i < imageLength; ++i)
        image[i] = static_cast<uint8_t>(i * 7 / 5);
    std::vector<uint8_t> patch(in.rest(), in.rest() + in.restSize());
    if (seal && &format == &bpsPatches())
        sealBps(patch, image);

    std::vector<uint8_t> result;
    try {
        result = format.apply(image, patch, maxLength);
    } catch (const PatchError &error) {
        FUZZ_CHECK(std::string(error.what()).size() > 10, "refusal without a reason");
        return 0;
    }
    FUZZ_CHECK(result.size() <= maxLength, "result of %zu bytes", result.size());
    if (&format != &bpsPatches())
        FUZZ_CHECK(result.size() == image.size(), "%s patch changed the length", std::string(format.name()).c_str());
    for (const PatchFormat *other : formats) {
        if (other != &bpsPatches() && result.size() != image.size())
            continue;
        const std::vector<uint8_t> again = other->apply(image, other->write(image, result), maxLength);
        FUZZ_CHECK(again == result, "%s patch of the result differs", std::string(other->name()).c_str());
    }
    return 0;
}
