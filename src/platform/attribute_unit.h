// Start-up and shut-down of the graphic attributes: their classes are made
// known to the object stream, and the container "Bitmaps" of the pixel
// blocks lives from start-up to shut-down.
#pragma once

namespace zv {

void InitGraphicAttributeUnit();
// Frees the bitmaps container with its pixel blocks and forgets the classes.
void FinalizeGraphicAttributeUnit();

}  // namespace zv
