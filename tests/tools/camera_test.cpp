#include "camera.h"

#include <gtest/gtest.h>

#include "library_view.h"

namespace zv::tool {
namespace {

Box UnitBox() {
    Box box;
    box.Add({0, 0, 0});
    box.Add({1, 1, 1});
    return box;
}

TEST(Camera, NamedViewsPlaceTheAxes) {
    struct Case {
        const char* name;
        bool yUp;
        Point2 expected;  // of the point (3, 7, 5)
    } const cases[] = {{"front", false, {3, 5}}, {"top", false, {3, 7}}, {"right", false, {7, 5}},
                       {"left", false, {-7, 5}}, {"front", true, {3, 7}}};
    for (const Case& c : cases) {
        Point2 p = Camera(*NamedView(c.name, c.yUp), UnitBox()).Project({3, 7, 5});
        EXPECT_EQ(p.x, c.expected.x) << c.name;
        EXPECT_EQ(p.y, c.expected.y) << c.name;
    }
    EXPECT_FALSE(NamedView("isometric"));
}

// A face seen from outside runs counter-clockwise; towards the viewer it must
// come out with a negative library area (front-facing with FrontPositive off),
// turned away with a positive one, in every named view and in perspective.
TEST(Camera, FacesTowardsTheViewerHaveNegativeLibraryArea) {
    auto libraryArea = [](const std::vector<Point2>& p) {
        double sum = 0;
        for (size_t k = 0; k < p.size(); ++k) sum += p[k].x * p[(k + 3) % 4].y - p[k].y * p[(k + 3) % 4].x;
        return sum;
    };
    for (const std::string& name : ViewNames()) {
        for (double perspective : {0.0, 40.0}) {
            ViewSpec view = *NamedView(name);
            view.perspectiveDegrees = perspective;
            Camera camera(view, UnitBox());
            Vec3 a = camera.Right(), b = camera.Up(), c{0.5, 0.5, 0.5};
            std::vector<Point2> facing;
            for (Vec3 corner : {c - a - b, c + a - b, c + a + b, c - a + b}) facing.push_back(camera.Project(corner));
            EXPECT_LT(libraryArea(facing), 0) << name << " " << perspective;
            EXPECT_GT(libraryArea({facing.rbegin(), facing.rend()}), 0) << name << " " << perspective;
        }
    }
}

TEST(Camera, DepthAlongTheLineOfSightAndEdgeOnPlanes) {
    for (double perspective : {0.0, 30.0}) {
        ViewSpec view = *NamedView("front");  // looking along +y
        view.perspectiveDegrees = perspective;
        Camera camera(view, UnitBox());
        Vec3 origin{0.5, 0.5, 0.5};
        EXPECT_GT(camera.Depth({0.5, 0.2, 0.5}, origin, {0, 1, 0}), 0) << perspective;
        EXPECT_LT(camera.Depth({0.5, 0.9, 0.5}, origin, {0, -2, 0}), 0) << perspective;
        EXPECT_EQ(camera.Depth({0.5, 0.2, 0.5}, origin, {1, 0, 0}), 0) << perspective;
        EXPECT_TRUE(camera.SeesEdgeOn(origin, {1, 1e-6, 0}));
        EXPECT_FALSE(camera.SeesEdgeOn({0.6, 0.5, 0.5}, {1, 1e-3, 0}));
    }
    Camera parallel(*NamedView("front"), UnitBox());
    EXPECT_NEAR(parallel.Depth({0, 0, 0}, {0, 1, 0}, {0, 1, 1}), 1.0, 1e-12);  // tilted plane
}

TEST(Camera, PerspectiveInterpolationFollowsTheProjectedSegment) {
    ViewSpec view = *NamedView("iso");
    view.perspectiveDegrees = 60;
    Camera camera(view, UnitBox());
    Vec3 a{0, 0, 0}, b{1, 1, 1};
    Point2 pa = camera.Project(a), pb = camera.Project(b);
    for (double t : {0.0, 0.25, 0.5, 0.9, 1.0}) {
        Point2 p = camera.Project(camera.Interpolate(a, b, t));
        EXPECT_NEAR(p.x, pa.x + (pb.x - pa.x) * t, 1e-12);
        EXPECT_NEAR(p.y, pa.y + (pb.y - pa.y) * t, 1e-12);
    }
}

// The library puts its eye 500 / tan(angle / 2) from the base origin along
// the base's Z axis; the base must put it on the tool's eye, with the tool's
// focal distance as the image scale.
TEST(LibraryView, PerspectiveBasePutsTheLibraryEyeOnTheCamerasEye) {
    ViewSpec view = *NamedView("iso-back-left");
    view.perspectiveDegrees = 50;
    Camera camera(view, UnitBox());
    const double scale = 4;
    LibraryView library = LibraryViewOf(camera, scale);
    const double eyeDistance = LibraryEyeDistance(library.angleDegrees);
    Vec3 origin{library.base[0], library.base[1], library.base[2]};
    Vec3 x{library.base[3], library.base[4], library.base[5]};
    Vec3 z{library.base[9], library.base[10], library.base[11]};
    EXPECT_NEAR(Length(origin + z * eyeDistance - camera.Eye() * scale), 0, 1e-9 * Length(camera.Eye() * scale));
    EXPECT_NEAR(eyeDistance * Length(z) / Length(x), camera.Focal() * scale, 1e-9 * camera.Focal() * scale);
    EXPECT_EQ(library.shift.x, camera.Centre().x * scale);
}

}  // namespace
}  // namespace zv::tool
