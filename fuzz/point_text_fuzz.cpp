// The text forms of points: StrToXY and StrToXYZ on any text, and the way back
// through XYToStr / XYZToStr.  A text either gives finite coordinates or raises
// the conversion error, never anything else; every point that was read writes
// a text that reads back to the same point within the two decimals of the
// pattern.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "geometry/point_array.h"
#include "runtime/exception.h"
#include "interface/library_units.h"

namespace {

void Check(bool ok, const char* what, const std::string& text) {
    if (!ok) {
        std::fprintf(stderr, "point_text_fuzz: violated: %s (text '%s')\n", what, text.c_str());
        std::abort();
    }
}

bool Finite(double v) { return std::isfinite(v); }

// The two decimals of the pattern lose up to half a hundredth, plus what a
// Double cannot hold of a long number.
bool CloseAfterRounding(double written, double read) {
    return std::fabs(written - read) <= 0.005 + 1e-9 + std::fabs(written) * 1e-15;
}

// Writes the point and reads it back.
void CheckRoundTrip(const TXYZ& p, const std::string& origin) {
    std::string text = zv::XYZToStr(p);
    TXYZ back{};
    try {
        back = zv::StrToXYZ(text);
    } catch (const zv::EConvertError&) {
        Check(false, "a written point reads back", origin + " -> " + text);
    }
    Check(CloseAfterRounding(p.X, back.X) && CloseAfterRounding(p.Y, back.Y) && CloseAfterRounding(p.Z, back.Z),
          "a written point reads back to itself within the pattern's rounding", origin + " -> " + text);
    std::string text2 = zv::XYToStr(TXY{p.X, p.Y});
    Check(text.compare(0, text2.size(), text2) == 0 && text[text2.size()] == '/',
          "the 2-D text is the start of the 3-D text", text);
}

// Formats the bit patterns of the input as coordinates: NaN and infinity
// write texts that must not read back as a point.
void CheckWritingAnyDouble(const uint8_t* data, size_t size) {
    if (size < 3 * sizeof(double)) return;
    double v[3];
    std::memcpy(v, data, sizeof v);
    const TXYZ p{v[0], v[1], v[2]};
    const std::string text = zv::XYZToStr(p);
    bool read = false;
    try {
        zv::StrToXYZ(text);
        read = true;
    } catch (const zv::EConvertError&) {
    }
    const bool finite = Finite(v[0]) && Finite(v[1]) && Finite(v[2]);
    Check(read == finite, "a written point reads back exactly when it is finite", text);
    if (finite) CheckRoundTrip(p, "bits");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zv::InitializeUnits();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    bool readXY = false, readXYZ = false;
    TXY xy{};
    TXYZ xyz{};
    try {
        xy = zv::StrToXY(text);
        readXY = true;
    } catch (const zv::EConvertError&) {
    }
    try {
        xyz = zv::StrToXYZ(text);
        readXYZ = true;
    } catch (const zv::EConvertError&) {
    }
    if (readXY) Check(Finite(xy.X) && Finite(xy.Y), "a point read from text is finite", text);
    if (readXYZ) {
        Check(readXY, "a text that gives a 3-D point also gives a 2-D one", text);
        Check(xyz.X == xy.X && xyz.Y == xy.Y, "both readers agree on X and Y", text);
        Check(Finite(xyz.Z), "a point read from text is finite", text);
        CheckRoundTrip(xyz, text);
    } else if (readXY) {
        CheckRoundTrip(TXYZ{xy.X, xy.Y, 0.0}, text);
    }
    CheckWritingAnyDouble(data, size);
    return 0;
}
