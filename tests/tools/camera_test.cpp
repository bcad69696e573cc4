#include "camera.h"

#include <gtest/gtest.h>

#include "tool_models.h"

namespace zv::tool {
namespace {

constexpr Box kUnitBox{{0, 0, 0}, {1, 1, 1}, false};

TEST(Camera, NamedViewsPlaceTheAxes) {
    struct Case {
        const char* name;
        bool yUp;
        Point2 expected;  // of the point (3, 7, 5)
    } const cases[] = {{"front", false, {3, 5}}, {"top", false, {3, 7}}, {"right", false, {7, 5}},
                       {"left", false, {-7, 5}}, {"front", true, {3, 7}}};
    for (const Case& c : cases) {
        Point2 p = Camera(*NamedView(c.name, c.yUp), kUnitBox).Project({3, 7, 5});
        EXPECT_TRUE(p.x == c.expected.x && p.y == c.expected.y) << c.name;
    }
    EXPECT_FALSE(NamedView("isometric"));
}

TEST(Camera, DepthAlongTheLineOfSightAndEdgeOnPlanes) {
    for (double perspective : {0.0, 30.0}) {
        Camera camera(test::NamedViewAt("front", perspective), kUnitBox);  // looking along +y
        Vec3 origin{0.5, 0.5, 0.5};
        EXPECT_GT(camera.Depth({0.5, 0.2, 0.5}, origin, {0, 1, 0}), 0) << perspective;
        EXPECT_LT(camera.Depth({0.5, 0.9, 0.5}, origin, {0, -2, 0}), 0) << perspective;
        EXPECT_EQ(camera.Depth({0.5, 0.2, 0.5}, origin, {1, 0, 0}), 0) << perspective;
        EXPECT_TRUE(camera.SeesEdgeOn(origin, {1, 1e-6, 0}));
        EXPECT_FALSE(camera.SeesEdgeOn({0.6, 0.5, 0.5}, {1, 1e-3, 0}));
    }
    Camera parallel(*NamedView("front"), kUnitBox);
    EXPECT_NEAR(parallel.Depth({0, 0, 0}, {0, 1, 0}, {0, 1, 1}), 1.0, 1e-12);  // tilted plane
}

TEST(Camera, PerspectiveInterpolationFollowsTheProjectedSegment) {
    Camera camera(test::NamedViewAt("iso", 60), kUnitBox);
    Vec3 a{0, 0, 0}, b{1, 1, 1};
    Point2 pa = camera.Project(a), pb = camera.Project(b);
    for (double t : {0.0, 0.25, 0.5, 0.9, 1.0}) {
        Point2 p = camera.Project(camera.Interpolate(a, b, t));
        EXPECT_NEAR(p.x, pa.x + (pb.x - pa.x) * t, 1e-12);
        EXPECT_NEAR(p.y, pa.y + (pb.y - pa.y) * t, 1e-12);
    }
}

}  // namespace
}  // namespace zv::tool
