// Resizing a decoded picture for displays above 96 DPI. The illustrations are photographs of
// text, so every output pixel is a weighted mean of the source pixels under it (a tent filter as
// wide as the larger of one source pixel and one output pixel): smooth when enlarging, no lost
// rows or columns when shrinking.
#pragma once

#include "ui/png_picture.h"

namespace ui {

// The picture at width by height pixels (at least 1 by 1), in the same pixel format.
Picture ScalePicture(const Picture& source, int width, int height);

}  // namespace ui
