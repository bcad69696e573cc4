// The select pass of a device: the software hit test of polylines, the hit
// records of the select buffer and their decoding into hit items.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "device/device.h"
#include "device/entity.h"

namespace zv {
namespace {

constexpr int32_t kHeaderWords = 3;
// Names the spot of a software polyline hit.
constexpr int32_t kSpotTag = 12000;

// Clips the segment a-b to the rectangle (Liang-Barsky); t0..t1 is the part
// inside. False when the segment misses it.
bool ClipToRect(const TXYZ& a, const TXYZ& b, const TRect& r, double& t0, double& t1) {
    t0 = 0;
    t1 = 1;
    const double dx = b.X - a.X, dy = b.Y - a.Y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.X - r.Left, r.Right - a.X, a.Y - r.Top, r.Bottom - a.Y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        double t = q[i] / p[i];
        if (p[i] < 0) t0 = std::max(t0, t);
        else t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    return true;
}

// Twice the signed area in pixel coordinates; positive runs clockwise on
// the screen (y grows downwards).
double PixelArea(const std::vector<TXYZ>& p) {
    double sum = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const TXYZ& a = p[i];
        const TXYZ& b = p[(i + 1) % p.size()];
        sum += a.X * b.Y - b.X * a.Y;
    }
    return sum;
}

bool IsClosed(const std::vector<TXYZ>& p) {
    return p.size() >= 4 && std::abs(p.front().X - p.back().X) < 1e-5 && std::abs(p.front().Y - p.back().Y) < 1e-5;
}

// The point of the segment p-q between the parameters t0 and t1 nearest
// to c, in pixels.
TXYZ NearestOnSegment(const TXYZ& p, const TXYZ& q, double t0, double t1, const TXY& c) {
    const double dx = q.X - p.X, dy = q.Y - p.Y, length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((c.X - p.X) * dx + (c.Y - p.Y) * dy) / length2 : t0;
    t = std::clamp(t, t0, t1);
    return {p.X + dx * t, p.Y + dy * t, p.Z + (q.Z - p.Z) * t};
}

double Distance2(const TXYZ& a, const TXY& c) { return (a.X - c.X) * (a.X - c.X) + (a.Y - c.Y) * (a.Y - c.Y); }

uint32_t DepthWord(double depth, uint32_t range) {
    return static_cast<uint32_t>(std::clamp(depth, 0.0, 1.0) * range);
}

}  // namespace

int32_t TZVDevice::PickObject(const void* object) {
    auto it = std::find(pickObjects_.begin(), pickObjects_.end(), object);
    if (it != pickObjects_.end()) return static_cast<int32_t>(it - pickObjects_.begin()) + 1;
    pickObjects_.push_back(object);
    return static_cast<int32_t>(pickObjects_.size());
}

const void* TZVDevice::PickedObject(int32_t number) const {
    if (number < 1 || number > static_cast<int32_t>(pickObjects_.size())) return nullptr;
    return pickObjects_[static_cast<size_t>(number - 1)];
}

void TZVDevice::RecordHit(uint32_t minDepth, uint32_t maxDepth) {
    const auto capacity = static_cast<int32_t>(selectBuffer_.size() / sizeof(uint32_t));
    const auto names = static_cast<int32_t>(nameStack_.size());
    if (hitCount_ < 0 || selectFill_ + kHeaderWords + names > capacity) {
        hitCount_ = -1;  // overflow: the records written so far stay
        return;
    }
    auto* words = reinterpret_cast<uint32_t*>(selectBuffer_.data()) + selectFill_;
    words[0] = static_cast<uint32_t>(names);
    words[1] = minDepth;
    words[2] = maxDepth;
    std::memcpy(words + kHeaderWords, nameStack_.data(), static_cast<size_t>(names) * sizeof(int32_t));
    selectFill_ += kHeaderWords + names;
    ++hitCount_;
}

void TZVDevice::HitTestPolylines(const TlistOFxyzArray& list) {
    PushNamePair(4000, 1);
    PushMatrixName();
    const TXY centre{(pickRect_.Left + pickRect_.Right) / 2.0, (pickRect_.Top + pickRect_.Bottom) / 2.0};
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TXYZArray& a = *list.Items(i);
        std::vector<TXYZ> pixels;
        pixels.reserve(static_cast<size_t>(std::max(a.Count, 0)));
        for (int32_t k = 0; k < a.Count; ++k) pixels.push_back(ToPixel(a.At<TXYZ>(k)));
        if (pixels.empty()) continue;
        if (cullFace_ && IsClosed(pixels)) {
            double area = PixelArea(pixels);
            if (std::abs(area) > 1e-5 && (area > 0) != clockwise_) continue;
        }
        double nearest = 2, farthest = -1;
        TXYZ spot{};
        double spotDistance = -1;
        if (pixels.size() == 1) pixels.push_back(pixels[0]);
        for (size_t k = 0; k + 1 < pixels.size(); ++k) {
            double t0, t1;
            const TXYZ& p = pixels[k];
            const TXYZ& q = pixels[k + 1];
            if (!ClipToRect(p, q, pickRect_, t0, t1)) continue;
            for (double t : {t0, t1}) {
                double z = p.Z + (q.Z - p.Z) * t;
                nearest = std::min(nearest, z);
                farthest = std::max(farthest, z);
            }
            const TXYZ candidate = NearestOnSegment(p, q, t0, t1, centre);
            if (spotDistance < 0 || Distance2(candidate, centre) < spotDistance) {
                spot = candidate;
                spotDistance = Distance2(candidate, centre);
            }
        }
        if (farthest < nearest) continue;
        if (hitCount_ < 0) break;  // the buffer is full: no record would be kept
        PushNamePair(5000, i);
        PushNamePair(kSpotTag, static_cast<int32_t>(pickSpots_.size()));
        pickSpots_.push_back(spot);
        RecordHit(DepthWord(nearest, DepthRange()), DepthWord(farthest, DepthRange()));
        PopNamePair();
        PopNamePair();
    }
    PopNamePair();
    PopNamePair();
}

TXYZ TZVDevice::FromPixel(double x, double y, double depth) const {
    double w = GetWidth(), h = GetHeight();
    if (w == 0 || h == 0) return {0, 0, 0};
    TXYZ ndc{2 * (x - viewport_.Left) / w - 1, 1 - 2 * (y - viewport_.Top) / h, 2 * depth - 1};
    TMatrix4 inverse;
    InvertMatrix(MatMul(ViewMatrix(), projectionMatrix_), inverse);
    double hw = 1;
    TXYZ p = TransformHomogeneous(inverse, ndc, hw);
    return hw != 0 && hw != 1 ? TXYZ{p.X / hw, p.Y / hw, p.Z / hw} : p;
}

bool TZVDevice::Pick(int32_t x, int32_t y, const TList* exclude, THittypeList& hits) {
    if (!HandleValid() || busy_) return false;
    // A pixel outside the viewport sees nothing of the drawing.
    if (x < viewport_.Left || x >= viewport_.Right || y < viewport_.Top || y >= viewport_.Bottom) return false;
    bool cull = cullFace_;
    SetCullFace(true);
    pickRect_ = {x - pickAperture_, y - pickAperture_, x + pickAperture_, y + pickAperture_};
    hitList_ = &hits;
    pickExclude_ = exclude;
    PrepareSelectBuffer();
    SetRenderMode(kSelectMode);
    CheckError();
    arena_.Reset();
    Invalidate();
    CheckError();
    DecodeSelectBuffer();
    SetRenderMode(kRenderMode);
    SetCullFace(cull);
    hitList_ = nullptr;
    pickExclude_ = nullptr;
    pickObjects_.clear();
    pickSpots_.clear();
    return hits.Count() > 0;
}

namespace {

bool PayloadTaken(const THittypeList& hits, int64_t payload) {
    for (int32_t i = 0; i < hits.Count(); ++i) {
        auto* item = dynamic_cast<THitItem*>(hits.Items(i));
        if (item && item->HasPayload && item->Payload == payload) return true;
    }
    return false;
}

}  // namespace

void TZVDevice::DecodeSelectBuffer() {
    if (!hitList_) return;
    const auto* words = reinterpret_cast<const uint32_t*>(selectBuffer_.data());
    const double range = DepthRange() == 0 ? 1.0 : static_cast<double>(DepthRange());
    const TMatrix4 view = ViewMatrix();
    TMatrix4 viewInverse;
    InvertMatrix(view, viewInverse);
    int32_t pos = 0;
    while (pos + kHeaderWords <= selectFill_) {
        const auto count = static_cast<int32_t>(words[pos]);
        if (count < 0 || pos + kHeaderWords + count > selectFill_) break;
        const double m = (words[pos + 1] / range + words[pos + 2] / range) / 2;
        auto* item = new TPickHit;
        item->NameCount = count;
        item->Depth = unitsPerCM_ == 0 ? 0 : (m - 0.5) * GetWidth() / unitsPerCM_;
        item->Point = FromPixel((pickRect_.Left + pickRect_.Right) / 2.0, (pickRect_.Top + pickRect_.Bottom) / 2.0, m);
        const auto* names = reinterpret_cast<const int32_t*>(words + pos + kHeaderWords);
        int32_t marker = 0;
        bool hasData = false;
        for (int32_t k = 0; k + 1 < count; k += 2) {
            const int32_t tag = names[k], value = names[k + 1];
            switch (tag) {
            case 2000: marker = value; break;
            case 3000:
                if (marker == THitType::kTargetMarker) {
                    auto* target = static_cast<TComponent*>(const_cast<void*>(PickedObject(value)));
                    item->SetTarget(target);
                    item->Entity = target;
                }
                marker = 0;
                break;
            case 4000:
                if (item->Kind == 0) item->Kind = value;
                break;
            case 5000: item->Index = value; break;
            case 6000:
                item->HasPayload = true;
                item->Payload = value;
                break;
            case 7000:
                if (!hasData) item->Data = PickedObject(value);
                hasData = true;
                break;
            case 8000:
                item->HasValue = true;
                item->Value = value;
                break;
            case 9000: item->Param1 = value; break;
            case 10000: item->Param2 = value; break;
            case kSpotTag: item->Spot = value; break;
            case 11000:
                if (value >= 0 && value + static_cast<int32_t>(sizeof(TMatrix4)) <= arena_.Used()) {
                    TMatrix4 stored;
                    std::memcpy(&stored, arena_.PtrAt(value), sizeof stored);
                    std::memcpy(item->Matrix, MatMul(stored, viewInverse).M, sizeof item->Matrix);
                }
                break;
            default: break;
            }
        }
        pos += kHeaderWords + count;
        bool keep = (item->HasPayload || hasData || item->HasValue) &&
                    !(item->HasPayload && PayloadTaken(*hitList_, item->Payload));
        if (keep) hitList_->Add(item);
        else delete item;
    }
    RefineHits(pickRect_, *hitList_);
}

// A polyline hit of the software test knows only the depth range of what
// lies inside the pick rectangle; its depth and point become those of the
// polyline's point nearest to the rectangle's centre, and the refined items
// go through the list's Add again to take their place in the depth order.
void TZVDevice::RefineHits(const TRect& rect, THittypeList& hits) {
    (void)rect;
    std::vector<THitItem*> moved;
    for (int32_t i = hits.Count() - 1; i >= 0; --i) {
        auto* item = dynamic_cast<TPickHit*>(hits.Items(i));
        if (!item || item->Spot < 0 || item->Spot >= static_cast<int32_t>(pickSpots_.size())) continue;
        const TXYZ& spot = pickSpots_[static_cast<size_t>(item->Spot)];
        const double depth = unitsPerCM_ == 0 ? 0 : (spot.Z - 0.5) * GetWidth() / unitsPerCM_;
        item->Point = FromPixel(spot.X, spot.Y, spot.Z);
        if (std::abs(depth - item->Depth) < 1e-12) continue;
        item->Depth = depth;
        hits.Delete(i);
        moved.push_back(item);
    }
    for (THitItem* item : moved) hits.Add(item);
}

}  // namespace zv
