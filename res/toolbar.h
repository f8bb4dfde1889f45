#pragma once

#include <QImage>
#include <QPalette>
#include <QSize>
#include <span>

namespace kalvor::res {

// A toolbar resource: its entries in order (0 a separator) and the size of one button image.
// The buttons take the images of the bitmap of the same identifier in order.
struct Toolbar {
    QSize imageSize;
    std::span<const unsigned> entries;
};

// Toolbar `id`; no entries for an unknown identifier.
Toolbar LoadToolbar(unsigned id);

// The image strip of toolbar `id` with its four standard colours replaced by those of `palette`:
// black by the button text, dark grey by the button shadow, light grey (every image's
// background) by the button face and white by the button highlight. Null for an unknown id.
QImage LoadToolbarBitmap(unsigned id, const QPalette& palette);

}  // namespace kalvor::res
