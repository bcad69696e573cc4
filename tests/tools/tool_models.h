// The models of the test data as the tool draws them: moved into their own
// frame and merged into faces with the tolerance of their rounding.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "coplanar_merge.h"
#include "demo_model.h"
#include "model_file.h"
#include "model_frame.h"

namespace zv::tool::test {

inline Mesh DataMesh(const std::string& file) { return LoadModelFile(ZVHLR_TEST_DATA "/" + file); }

// The copy of a mesh moved and scaled, its corners rounded to float32 as STL stores them.
inline Mesh RoundedCopy(Mesh mesh, double offset, double scale) {
    for (Vec3& v : mesh.vertices) v = {float(v.x * scale + offset), float(v.y * scale + offset), float(v.z * scale + offset)};
    return mesh;
}

inline std::vector<Polygon> LocalPolygons(Mesh mesh, ModelFrame& frame) {
    frame = CentreOnBounds(mesh);
    MergeTolerance tolerance;
    tolerance.rounding = frame.rounding;
    return MergeCoplanarFaces(mesh, tolerance);
}

// A named view with the given perspective angle (0: parallel).
inline ViewSpec NamedViewAt(const char* name, double perspectiveDegrees) {
    ViewSpec view = *NamedView(name);
    view.perspectiveDegrees = perspectiveDegrees;
    return view;
}

struct Model {
    std::string name;
    std::vector<Polygon> polygons;
    double rounding = 0;
};

// An open sheet of triangles folded steeply enough that every view sees the
// backs of some of them.
inline std::vector<Polygon> FoldedSheet() {
    auto p = [](int i, int j) { return Vec3{double(i), double(j), 1.6 * std::sin(1.3 * i) * std::cos(0.9 * j)}; };
    std::vector<Polygon> sheet;
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 8; ++i) {
            sheet.push_back({{p(i, j), p(i + 1, j), p(i + 1, j + 1)}, {}, 0});
            sheet.push_back({{p(i, j), p(i + 1, j + 1), p(i, j + 1)}, {}, 0});
        }
    }
    return sheet;
}

// The demo part, an open folded sheet and the small models of the test data
// (far_model_test checks the tab joint scaled up a thousandfold).
inline std::vector<Model> SmallModels() {
    std::vector<Model> models{{"demo", DemoModel()}, {"sheet", FoldedSheet()}};
    ModelFrame frame;
    for (const char* file : {"l_bracket.obj", "plate_with_hole.stl", "two-boxes.obj", "bushing.stl", "tab_in_slot.stl"}) {
        std::vector<Polygon> polygons = LocalPolygons(DataMesh(file), frame);
        models.push_back({file, polygons, frame.rounding});
    }
    return models;
}

}  // namespace zv::tool::test
