// Casting a ray from a point of a model towards the eye against one of the
// model's faces: whether the face covers the ray clearly inside, only near its
// boundary, or not at all.
#pragma once

#include <vector>

#include "mesh.h"
#include "plane_frame.h"

namespace zv::tool {

// A face in its plane, ready for ray casting.
struct RayFace {
    PlaneFrame frame;
    Vec3 origin, normal;                     // the normal has unit length
    std::vector<std::vector<Point2>> rings;  // outer first, then the holes
};

RayFace MakeRayFace(const Polygon& polygon);

// What a ray sees of a face: Blocked when it meets the face clearly inside,
// Grazing when it meets the face within margin of the face's boundary.
enum class Sight { Free, Grazing, Blocked };

// The ray from p along the unit direction dir, between the distances start
// and reach from p (start keeps the face p lies on out).  A face whose plane
// passes within onPlane of p is passed by: rounded corners tilt the planes of
// the faces through a sample away from it, which shows at any angle to the ray.
Sight SightPast(const RayFace& face, Vec3 p, Vec3 dir, double start, double reach, double margin, double onPlane);

double DistanceToSegment(Point2 p, Point2 a, Point2 b);

}  // namespace zv::tool
