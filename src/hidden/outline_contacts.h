// Where one projected outline meets another: the parameters along outline A
// (segment index plus fraction, as in a mask) of every point where A crosses
// B, touches it, runs along it or passes within a band of it.
//
// The caller cuts A at these parameters and judges every stretch between two
// of them on its own, so a parameter too many only cuts a stretch in two,
// while a crossing too few would leave a stretch that lies partly inside and
// partly outside B. Proper crossings are therefore found by sign tests with
// no tolerance at all, and everything within the band is added besides.
#pragma once

#include <vector>

#include "geometry/point_array.h"

namespace zv {

// Appends to params the contact parameters of A with B (both outlines taken
// as closed; zero-length edges are passed over). Parameters lie in [0, A.Count].
void AppendOutlineContacts(const TXYArray& a, const TXYArray& b, double band, std::vector<double>& params);

// Sorts params, reduces them into [0, period) and removes repeats closer than
// a millionth of the tolerance.
void NormalizeParams(std::vector<double>& params, int32_t period);

}  // namespace zv
