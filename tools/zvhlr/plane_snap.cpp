#include "plane_snap.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace zv::tool {

namespace {

// Weight of the pull back to the original corner, against a weight of 1 for
// each plane: small enough to leave a plane's own direction to the plane
// (0.5 % of the offset remains), large enough that planes meeting at a few
// degrees cannot drag a corner along their common direction.
constexpr double kHold = 0.005;

// Normal equations of one corner: sum of n n^T plus the hold, and sum of n (d - n.v).
struct Normals {
    std::array<double, 9> a{kHold, 0, 0, 0, kHold, 0, 0, 0, kHold};
    Vec3 b;
    int planes = 0;
    void Add(Vec3 n, double residual, double weight) {
        const double c[3] = {n.x, n.y, n.z};
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) a[3 * i + j] += weight * c[i] * c[j];
        b = b + n * (weight * residual);
        ++planes;
        if (weight >= heaviestWeight) heaviestWeight = weight, heaviest = n * residual;
    }
    double heaviestWeight = 0;
    Vec3 heaviest;  // the move onto the heaviest plane alone
};

double Determinant(const std::array<double, 9>& m) {
    return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
           m[2] * (m[3] * m[7] - m[4] * m[6]);
}

// Cramer's rule; the hold keeps the matrix well away from singular.
Vec3 Solve(const std::array<double, 9>& m, Vec3 b) {
    const double det = Determinant(m);
    auto replaced = [&](int column) {
        std::array<double, 9> r = m;
        const double c[3] = {b.x, b.y, b.z};
        for (int i = 0; i < 3; ++i) r[3 * i + column] = c[i];
        return Determinant(r) / det;
    };
    return {replaced(0), replaced(1), replaced(2)};
}

}  // namespace

CornerPlane FittedPlane(const std::vector<Vec3>& vertices, std::vector<int> corners, Vec3 normal, double weight) {
    double sum = 0;
    for (int v : corners) sum += Dot(vertices[v], normal);
    const double offset = corners.empty() ? 0 : sum / double(corners.size());
    return {std::move(corners), normal, offset, weight};
}

std::vector<Vec3> SnapToPlanes(const std::vector<Vec3>& vertices, const std::vector<CornerPlane>& planes,
                               double largestMove) {
    std::vector<double> heaviest(vertices.size(), 0);
    for (const CornerPlane& plane : planes) {
        for (int v : plane.corners) heaviest[v] = std::max(heaviest[v], plane.weight);
    }
    // A corner whose planes disagree by more than largestMove goes onto the heaviest plane alone.
    std::vector<Normals> normals(vertices.size());
    for (const CornerPlane& plane : planes) {
        for (int v : plane.corners) {
            if (!(plane.weight > 0)) continue;
            normals[v].Add(plane.normal, plane.offset - Dot(vertices[v], plane.normal), plane.weight / heaviest[v]);
        }
    }
    std::vector<Vec3> snapped = vertices;
    for (size_t v = 0; v < vertices.size(); ++v) {
        if (normals[v].planes == 0) continue;
        Vec3 move = Solve(normals[v].a, normals[v].b);
        if (!IsFinite(move) || Length(move) > largestMove) move = normals[v].heaviest;  // planes that disagree
        if (Length(move) <= largestMove) snapped[v] = vertices[v] + move;
    }
    return snapped;
}

}  // namespace zv::tool
