// Tessellation of any face: contours of any points, degenerate, crossing or
// not finite, with any subdivision bound. Every run ends; a face of finite
// points gives finite triangles; where the subdivision is not refused, no
// triangle edge of a face of ordinary coordinates exceeds the bound.
//
// Input: byte 0 picks the bound; then contours, each a point count byte and
// that many points of three 16-bit coordinates (in sixteenths). The
// coordinates 0x7fff, 0x7ffe and 0x8000 stand for NaN, infinity and 1e300.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "geometry/tessellation.h"
#include "geometry/vector.h"
#include "runtime/exception.h"
#include "interface/library_units.h"

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "tessellation_fuzz: violated: %s\n", what);
        std::abort();
    }
}

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool ordinary = true;  // no special coordinate read
    bool finite = true;

    bool More(size_t n) const { return at + n <= size; }
    uint8_t Byte() { return data[at++]; }
    double Coordinate() {
        int16_t v;
        std::memcpy(&v, data + at, 2);
        at += 2;
        if (v == 0x7fff || v == 0x7ffe || v == -0x8000) {
            ordinary = false;
            finite = finite && v == -0x8000;
            return v == 0x7fff ? std::numeric_limits<double>::quiet_NaN()
                   : v == 0x7ffe ? std::numeric_limits<double>::infinity()
                                 : 1e300;
        }
        return v / 16.0;
    }
};

double BoundOf(uint8_t b) {
    if (b == 0) return 0;
    if (b == 1) return std::numeric_limits<double>::quiet_NaN();
    if (b == 2) return 1e-12;  // refused
    return b * 16.0;           // a few levels for the coordinates of the input
}

bool PointFinite(const TXYZ& p) { return std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zv::InitializeUnits();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    Reader in{data, size};
    const double bound = BoundOf(in.Byte());
    zv::TlistOFxyzArray contours, pieces, triangles;
    while (in.More(1) && contours.Count() < 8) {
        int n = in.Byte() % 48;
        zv::TPointArray* contour = contours.AddNew();
        for (int k = 0; k < n && in.More(6); ++k) {
            TXYZ p{in.Coordinate(), in.Coordinate(), in.Coordinate()};
            zv::ArrayAdd(*contour, &p);
        }
    }
    zv::Tessellate(contours, pieces);
    bool refused = false;
    try {
        zv::SubdivideAll(pieces, triangles, bound);
    } catch (const zv::Exception&) {
        refused = true;
        Check(triangles.Count() == 0, "a refused subdivision appends nothing");
    }
    for (int32_t i = 0; i < triangles.Count(); ++i) {
        const zv::TPointArray& t = *triangles.Items(i);
        Check(t.Count == 3, "subdivided pieces are open triangles");
        for (int k = 0; k < 3; ++k) {
            const TXYZ& p = t.At<TXYZ>(k);
            if (in.finite) Check(PointFinite(p), "finite faces give finite triangles");
            if (in.ordinary && bound > 0 && !refused)
                Check(zv::DistXYZ(p, t.At<TXYZ>((k + 1) % 3)) <= bound * (1 + 1e-9), "edges within the bound");
        }
    }
    return 0;
}
