// Drafting conventions applied to a finished drawing: every stretch is drawn
// once, visible lines take precedence over hidden ones that coincide with
// them, and overlapping hidden stretches on one line are merged so that their
// dashes never fill each other's gaps.
#pragma once

#include "drawing.h"

namespace zv::tool {

// Rewrites the drawing's polylines by those conventions.  Collinear means
// within a millionth of the drawing's size; stretches left shorter than that
// are dropped.  The polylines are joined end to end afterwards.
void ApplyDraftingConventions(Drawing& drawing);

}  // namespace zv::tool
