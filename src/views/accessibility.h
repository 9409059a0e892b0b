#pragma once

namespace velmora {

struct Editor;

// Makes the custom-drawn controls readable by assistive technology: the
// row-offset column reports one child per row with its text and place.
void installAccessibility();

// Tells assistive technology what the image controls show now.
void describeViews(Editor &editor);

} // namespace velmora
