#include "camera.h"

#include <gtest/gtest.h>

namespace zv::tool {
namespace {

const Box kUnitBox = [] {
    Box box;
    box.Add({0, 0, 0});
    box.Add({1, 1, 1});
    return box;
}();

// Twice the signed area in the library's sense: sum of X[k]*Y[k-1] - Y[k]*X[k-1].
double LibrarySignedArea2(const std::vector<Point2>& points) {
    double sum = 0;
    for (size_t k = 0; k < points.size(); ++k) {
        const Point2& a = points[k];
        const Point2& b = points[(k + points.size() - 1) % points.size()];
        sum += a.x * b.y - a.y * b.x;
    }
    return sum;
}

TEST(Camera, FrontViewShowsXToTheRightAndZUp) {
    Camera camera(*NamedView("front"), kUnitBox);
    Point2 p = camera.Project({3, 7, 5});
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 5);
}

TEST(Camera, TopAndRightViews) {
    Point2 top = Camera(*NamedView("top"), kUnitBox).Project({3, 7, 5});
    EXPECT_EQ(top.x, 3);
    EXPECT_EQ(top.y, 7);
    Point2 right = Camera(*NamedView("right"), kUnitBox).Project({3, 7, 5});
    EXPECT_EQ(right.x, 7);
    EXPECT_EQ(right.y, 5);
    Point2 left = Camera(*NamedView("left"), kUnitBox).Project({3, 7, 5});
    EXPECT_EQ(left.x, -7);
}

TEST(Camera, YUpModelsTurnTheNamedViews) {
    Point2 front = Camera(*NamedView("front", true), kUnitBox).Project({3, 5, 7});
    EXPECT_EQ(front.x, 3);
    EXPECT_EQ(front.y, 5);
}

TEST(Camera, UnknownViewNameIsRejected) { EXPECT_FALSE(NamedView("isometric")); }

// A face seen from outside runs counter-clockwise; towards the viewer it must
// come out with a negative library area (front-facing with FrontPositive off),
// turned away with a positive one, in every named view and in perspective.
TEST(Camera, FacesTowardsTheViewerHaveNegativeLibraryArea) {
    for (const std::string& name : ViewNames()) {
        for (double perspective : {0.0, 40.0}) {
            ViewSpec view = *NamedView(name);
            view.perspectiveDegrees = perspective;
            Camera camera(view, kUnitBox);
            Vec3 toViewer = camera.Forward() * -1.0;
            // A square around the box centre, counter-clockwise around toViewer.
            Vec3 a = camera.Right(), b = camera.Up(), c{0.5, 0.5, 0.5};
            std::vector<Point2> facing, away;
            for (Vec3 corner : {c - a - b, c + a - b, c + a + b, c - a + b}) facing.push_back(camera.Project(corner));
            away.assign(facing.rbegin(), facing.rend());
            ASSERT_GT(Dot(Cross(a, b), toViewer), 0);
            EXPECT_LT(LibrarySignedArea2(facing), 0) << name << " " << perspective;
            EXPECT_GT(LibrarySignedArea2(away), 0) << name << " " << perspective;
        }
    }
}

TEST(Camera, DepthIsPositiveInFrontOfThePlaneNegativeBehind) {
    for (double perspective : {0.0, 30.0}) {
        ViewSpec view = *NamedView("front");  // looking along +y
        view.perspectiveDegrees = perspective;
        Camera camera(view, kUnitBox);
        Vec3 origin{0.5, 0.5, 0.5};
        EXPECT_GT(camera.Depth({0.5, 0.2, 0.5}, origin, {0, 1, 0}), 0) << perspective;
        EXPECT_LT(camera.Depth({0.5, 0.9, 0.5}, origin, {0, -2, 0}), 0) << perspective;
        EXPECT_EQ(camera.Depth({0.5, 0.2, 0.5}, origin, {1, 0, 0}), 0) << perspective;  // edge-on
    }
    Camera parallel(*NamedView("front"), kUnitBox);
    EXPECT_DOUBLE_EQ(parallel.Depth({0, 0.2, 0}, {0, 0.5, 0}, {0, 1, 0}), 0.3);
    // A tilted plane: the distance is measured along the line of sight.
    EXPECT_NEAR(parallel.Depth({0, 0, 0}, {0, 1, 0}, {0, 1, 1}), 1.0, 1e-12);
}

TEST(Camera, PlanesSeenEdgeOnHaveNoDepth) {
    Camera parallel(*NamedView("front"), kUnitBox);
    EXPECT_TRUE(parallel.SeesEdgeOn({0, 0, 0}, {1, 1e-6, 0}));
    EXPECT_FALSE(parallel.SeesEdgeOn({0, 0, 0}, {1, 1e-3, 0}));
    ViewSpec view = *NamedView("front");
    view.perspectiveDegrees = 40;
    Camera perspective(view, kUnitBox);
    // The vertical plane x = 0.5 passes through the eye: edge-on wherever it is looked at.
    EXPECT_TRUE(perspective.SeesEdgeOn({0.5, 0.5, 0.5}, {1, 0, 0}));
    EXPECT_EQ(perspective.Depth({0.9, 0.9, 0.1}, {0.5, 0.5, 0.5}, {1, 0, 0}), 0);
    EXPECT_FALSE(perspective.SeesEdgeOn({0.6, 0.5, 0.5}, {1, 0, 0}));
}

TEST(Camera, PerspectiveInterpolationFollowsTheProjectedSegment) {
    ViewSpec view = *NamedView("iso");
    view.perspectiveDegrees = 60;
    Camera camera(view, kUnitBox);
    Vec3 a{0, 0, 0}, b{1, 1, 1};
    Point2 pa = camera.Project(a), pb = camera.Project(b);
    for (double t : {0.0, 0.25, 0.5, 0.9, 1.0}) {
        Point2 p = camera.Project(camera.Interpolate(a, b, t));
        EXPECT_NEAR(p.x, pa.x + (pb.x - pa.x) * t, 1e-12);
        EXPECT_NEAR(p.y, pa.y + (pb.y - pa.y) * t, 1e-12);
    }
    // The linear 3-D midpoint does not project to the 2-D midpoint here.
    Point2 linear = camera.Project((a + b) * 0.5);
    EXPECT_GT(std::fabs(linear.x - (pa.x + pb.x) / 2) + std::fabs(linear.y - (pa.y + pb.y) / 2), 1e-6);
}

TEST(Camera, PerspectiveKeepsTheCentrePlaneAtModelScale) {
    ViewSpec view = *NamedView("front");
    view.perspectiveDegrees = 50;
    Camera camera(view, kUnitBox);
    Point2 p = camera.Project({1, 0.5, 1});
    EXPECT_NEAR(p.x, 1, 1e-12);
    EXPECT_NEAR(p.y, 1, 1e-12);
    Point2 nearer = camera.Project({1, 0, 1});
    EXPECT_GT(nearer.x, 1);  // nearer points appear larger
}

TEST(Camera, UpParallelToTheDirectionFallsBackToAnotherUp) {
    ViewSpec view{{0, 0, -1}, {0, 0, 1}, 0};
    Camera camera(view, kUnitBox);
    EXPECT_NEAR(Length(camera.Right()), 1, 1e-12);
    EXPECT_NEAR(Dot(camera.Right(), camera.Forward()), 0, 1e-12);
}

}  // namespace
}  // namespace zv::tool
