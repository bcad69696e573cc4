// The view: named and free viewing directions, and the parallel or perspective
// projection that the host callbacks of the hidden-line library implement.
//
// Drawing coordinates are y-up, in model units: with the parallel projection a
// point's drawing coordinates are its components along the view's right and
// up axes; with the perspective projection this holds in the plane through
// the centre of the model that faces the viewer.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "mesh.h"
#include "plane_frame.h"

namespace zv::tool {

struct ViewSpec {
    Vec3 direction{-1, 1, -1};  // the direction of sight, from the eye towards the model
    Vec3 up{0, 0, 1};
    double perspectiveDegrees = 0;  // full field of view; 0 for a parallel projection
};

// The named view for a model whose up axis is Z (or Y with yUp), or nothing for
// an unknown name.  Names: front, back, left, right, top, bottom, iso and the
// isometric corners iso-{front|back}-{left|right}[-bottom].
std::optional<ViewSpec> NamedView(const std::string& name, bool yUp = false);

// All names NamedView knows.
std::vector<std::string> ViewNames();

class Camera {
public:
    // bounds is the model's box; the perspective eye is placed so that the box
    // fits in the field of view.
    Camera(const ViewSpec& view, const Box& bounds);

    Point2 Project(Vec3 p) const;

    // Signed distance along the line of sight from p to the plane: positive
    // when p is nearer the viewer than the plane, negative behind it, 0 when
    // the plane is seen edge-on.
    double Depth(Vec3 p, Vec3 planeOrigin, Vec3 planeNormal) const;

    // True when the plane is seen (within a ten-thousandth of a radian) edge-on:
    // it covers nothing in the drawing.
    bool SeesEdgeOn(Vec3 planeOrigin, Vec3 planeNormal) const;

    // The 3-D point between a and b whose projection lies at fraction t of the
    // way between the projections of a and b.
    Vec3 Interpolate(Vec3 a, Vec3 b, double t) const;

    Vec3 Forward() const { return forward_; }
    Vec3 Right() const { return right_; }
    Vec3 Up() const { return up_; }
    bool Perspective() const { return perspective_; }
    // Perspective only: the eye, the distance from the eye to the plane
    // through the model centre that faces the viewer (the image scale), the
    // drawing coordinates of that centre and the full field of view in degrees.
    Vec3 Eye() const { return eye_; }
    double Focal() const { return focal_; }
    Point2 Centre() const { return centre_; }
    double FieldOfViewDegrees() const { return fieldOfView_; }

private:
    double EyeDistanceAlongSight(Vec3 p) const { return Dot(p - eye_, forward_); }

    Vec3 forward_, right_, up_;
    bool perspective_ = false;
    Vec3 eye_;               // perspective only
    double focal_ = 1;       // distance from the eye to the plane through the centre
    Point2 centre_;          // drawing coordinates of the model centre
    double fieldOfView_ = 0; // degrees
};

}  // namespace zv::tool
