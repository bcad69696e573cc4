#include "demo_model.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "plane_frame.h"

namespace zv::tool {
namespace {

using Point = std::tuple<double, double, double>;

Point Key(Vec3 p) { return {p.x, p.y, p.z}; }

TEST(DemoModel, IsAClosedConsistentlyOrientedSolid) {
    // Every directed edge of every ring is matched by exactly one reversed edge.
    std::map<std::pair<Point, Point>, int> edges;
    for (const Polygon& polygon : DemoModel()) {
        std::vector<const Ring*> rings{&polygon.outer};
        for (const Ring& hole : polygon.holes) rings.push_back(&hole);
        for (const Ring* ring : rings) {
            for (size_t k = 0; k < ring->size(); ++k) ++edges[{Key((*ring)[k]), Key((*ring)[(k + 1) % ring->size()])}];
        }
    }
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 1);
        auto reverse = edges.find({edge.second, edge.first});
        ASSERT_NE(reverse, edges.end());
        EXPECT_EQ(reverse->second, 1);
    }
}

TEST(DemoModel, FacesArePlanarAndHolesRunOpposite) {
    int withHoles = 0;
    for (const Polygon& polygon : DemoModel()) {
        Vec3 normal = Normalized(RingNormal(polygon.outer));
        PlaneFrame frame(polygon.outer[0], normal);
        for (Vec3 p : polygon.outer) EXPECT_NEAR(frame.Distance(p), 0, 1e-9);
        for (const Ring& hole : polygon.holes) {
            EXPECT_LT(Dot(RingNormal(hole), normal), 0);
            for (Vec3 p : hole) EXPECT_NEAR(frame.Distance(p), 0, 1e-9);
        }
        withHoles += !polygon.holes.empty();
    }
    EXPECT_EQ(withHoles, 3);  // top, bottom and the boss's top
}

}  // namespace
}  // namespace zv::tool
