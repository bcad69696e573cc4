// Drafting conventions applied to a finished drawing: every stretch is drawn
// once, visible lines take precedence over hidden ones that coincide with
// them, and overlapping hidden stretches on one line are merged so that their
// dashes never fill each other's gaps.
#pragma once

#include "drawing.h"

namespace zv::tool {

// Rewrites the drawing's polylines by those conventions.  Collinear means
// within a millionth of the drawing's size or within joinDistance, whichever
// is larger (the rounding of the model's corners, so that the front and the
// back edge of a flush face count as one line); stretches left shorter than
// that are dropped.  The polylines are joined end to end afterwards.
// roundedCorners tells that the corners were printed with few digits: lines
// lying side by side within the tolerance are then drawn once even where the
// rounding stays below it (the rounding turns short lines too far for the
// direction test to see them as one).
void ApplyDraftingConventions(Drawing& drawing, double joinDistance = 0, bool roundedCorners = false);

}  // namespace zv::tool
