#pragma once
#include "fontout/font_file_format.h"

namespace velmora::fontout {

// PSF2: the cells one after another, a Unicode table when a character map is set.
class Psf2Font final : public FontFileFormat {
public:
    std::string_view name() const override;
    std::string_view extension() const override;
    std::string_view nameFilter() const override;
    std::vector<uint8_t> write(const FontRange &range) const override;
};

} // namespace velmora::fontout
