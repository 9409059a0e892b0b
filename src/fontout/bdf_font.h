#pragma once
#include "fontout/font_file_format.h"

namespace velmora::fontout {

// BDF 2.1: one character a glyph, bitmaps in hex, the advances as DWIDTH.
class BdfFont final : public FontFileFormat {
public:
    std::string_view name() const override;
    std::string_view extension() const override;
    std::string_view nameFilter() const override;
    std::vector<uint8_t> write(const FontRange &range) const override;
};

} // namespace velmora::fontout
