#pragma once
#include "fontout/font_file_format.h"

namespace velmora::fontout {

// C source: the glyphs' bytes as they are in the image, as an array.
class CSourceFont final : public FontFileFormat {
public:
    std::string_view name() const override;
    std::string_view extension() const override;
    std::string_view nameFilter() const override;
    std::vector<uint8_t> write(const FontRange &range) const override;
};

} // namespace velmora::fontout
