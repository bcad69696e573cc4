// The canvas's primitives, text, textures and its side of picking.
#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>

#include "fonts/stroke_font.h"
#include "fonts/surface_patch.h"
#include "geometry/space.h"
#include "geometry/tessellation.h"
#include "geometry/vector.h"
#include "ogl/gl_entry_points.h"
#include "ogl/ogl_canvas.h"
#include "platform/bitmap.h"
#include "platform/bitmap_data.h"
#include "runtime/exception.h"

namespace zv {

namespace {

bool IsGLRenderMode(int32_t mode) { return mode >= GL_RENDER && mode <= GL_SELECT; }

// Pick names pushed in pairs and popped again when the scope ends, also
// when drawing raises.
class NamePairs {
public:
    explicit NamePairs(TZVDevice& device) : device_(device) {}
    ~NamePairs() {
        while (count_-- > 0) device_.PopNamePair();
    }
    NamePairs(const NamePairs&) = delete;
    NamePairs& operator=(const NamePairs&) = delete;
    void Push(int32_t tag, intptr_t value) {
        device_.PushNamePair(tag, value);
        ++count_;
    }
    // Takes over a pair that the device pushed.
    void Adopt() { ++count_; }

private:
    TZVDevice& device_;
    int count_ = 0;
};

bool SameFontName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](unsigned char x, unsigned char y) {
        return std::tolower(x) == std::tolower(y);
    });
}

// The number of points to send: a repeated first point at the end is left out.
int32_t DistinctCount(const TXYZArray& a) {
    int32_t k = a.Count;
    if (k > 1 && EqualXYZ(a.At<TXYZ>(k - 1), a.At<TXYZ>(0))) --k;
    return k;
}

}  // namespace

// Polygon lists.

void TZvOglCanvas::DrawPolylines(const TlistOFxyzArray& list) {
    const int32_t mode = GetRenderMode();
    if (!IsGLRenderMode(mode)) {
        TZVDevice::DrawPolylines(list);
        return;
    }
    if (list.Count() == 0 || !HandleValid()) return;
    NamePairs names(*this);
    if (mode == kSelectMode && !PickSuppressed()) {
        PushMatrixName();
        names.Adopt();
    }
    CheckError();
    if (PolygonMode() == GL_FILL) DrawFaces(list);
    else DrawOutlines(list);
}

// The outlines of a polygon list: a closed outline as a loop, an open one as
// a strip through its points. In hidden-line mode every outline bounds a
// face and is drawn closed.
void TZvOglCanvas::DrawOutlines(const TlistOFxyzArray& list) {
    NamePairs names(*this);
    names.Push(4000, 1);
    names.Push(7000, GetRenderMode() == kSelectMode ? PickObject(&list) : 0);
    const bool textured = Texture() != nullptr;
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TXYZArray& a = *list.Items(i);
        const int32_t k = DistinctCount(a);
        const bool closed = HiddenLineMode() || k < a.Count;
        NamePairs index(*this);
        index.Push(5000, i);
        glBegin(closed ? GL_LINE_LOOP : GL_LINE_STRIP);
        for (int32_t j = 0; j < k; ++j) {
            const TXYZ& p = a.At<TXYZ>(j);
            if (textured) glTexCoord2f(static_cast<GLfloat>(p.X), static_cast<GLfloat>(p.Y));
            glVertex3d(p.X, p.Y, p.Z);
        }
        glEnd();
    }
}

// A face with its holes, triangulated (and subdivided while a spot light
// asks for it); a face without area or with a coordinate that is not finite
// is skipped.
void TZvOglCanvas::DrawFaces(const TlistOFxyzArray& list) {
    TXYZ n = PolygonNormal(*list.Items(0));
    const double length = std::sqrt(n.X * n.X + n.Y * n.Y + n.Z * n.Z);
    if (!std::isfinite(length) || EqualTol(length, 0)) return;
    n = NormalizeXYZ(n);
    const double s = GetClockwise() ? 1.0 : -1.0;
    glNormal3d(s * n.X, s * n.Y, s * n.Z);
    CheckError();
    const TPlaneFrame frame = PolygonFrame(*list.Items(0));
    TlistOFxyzArray contours, triangles, subdivided;
    CopyContours(list, contours);
    Tessellate(contours, triangles);
    const TlistOFxyzArray* pieces = &triangles;
    if (triangleResolution_ != 0) {
        try {
            SubdivideAll(triangles, subdivided, triangleResolution_);
            pieces = &subdivided;
        } catch (const Exception&) {
            // Too many triangles: the face is drawn as it was triangulated.
        }
    }
    NamePairs names(*this);
    names.Push(4000, 1);
    names.Push(7000, GetRenderMode() == kSelectMode ? PickObject(&list) : 0);
    const bool textured = Texture() != nullptr;
    for (int32_t i = 0; i < pieces->Count(); ++i) {
        const TXYZArray& a = *pieces->Items(i);
        NamePairs index(*this);
        index.Push(5000, i);
        glBegin(GL_POLYGON);
        for (int32_t j = 0, k = DistinctCount(a); j < k; ++j) {
            const TXYZ& p = a.At<TXYZ>(j);
            if (textured) {
                const TXYZ uv = WorldToFrame(frame, p);
                glTexCoord2f(static_cast<GLfloat>(uv.X), static_cast<GLfloat>(uv.Y));
            }
            glVertex3d(p.X, p.Y, p.Z);
        }
        glEnd();
    }
}

void TZvOglCanvas::DrawLine3D(const TXYZ& p1, const TXYZ& p2) {
    if (!IsGLRenderMode(GetRenderMode())) {
        TZVDevice::DrawLine3D(p1, p2);
        return;
    }
    if (!HandleValid()) return;
    NamePairs names(*this);
    names.Push(4000, 7);
    glBegin(GL_LINES);
    glVertex3d(p1.X, p1.Y, p1.Z);
    glVertex3d(p2.X, p2.Y, p2.Z);
    glEnd();
}

// Text.

void TZvOglCanvas::SetFontName(const std::string& name) {
    if (AttributesLocked()) return;
    TZVDevice::SetFontName(name);
    glyphBase_ = HandleValid() ? BuildGlyphLists() : 0;
}

// 256 display lists per font, one per character code; each draws the
// glyph's outlines and moves the pen on by the glyph's advance.
uint32_t TZvOglCanvas::BuildGlyphLists() {
    const TGlyphs* font = Font();
    if (!font) return 0;
    for (const TGlyphLists& lists : glyphLists_)
        if (SameFontName(lists.FontName, FontName())) return lists.Base;
    const GLuint base = glGenLists(256);
    if (base == 0) {
        CheckError();
        return 0;
    }
    glyphLists_.push_back({FontName(), base});
    const int32_t mode = PolygonMode();
    for (int c = 0; c < 256; ++c) {
        glNewList(base + static_cast<GLuint>(c), GL_COMPILE);
        SetPolygonMode(GL_LINE);
        if (const TGlyph* glyph = font->Glyph(static_cast<uint8_t>(c))) {
            DrawPolylines(glyph->Polylines);
            MultMatrix(TranslationMatrix({glyph->Advance, 0, 0}));
        }
        glEndList();
    }
    SetPolygonMode(mode);
    return base;
}

void TZvOglCanvas::DeleteGlyphLists() {
    if (HandleValid())
        for (const TGlyphLists& lists : glyphLists_) glDeleteLists(lists.Base, 256);
    glyphLists_.clear();
    glyphBase_ = 0;
}

void TZvOglCanvas::DrawText(const TXYZ& pos, const std::string& text) {
    if (!IsGLRenderMode(GetRenderMode())) {
        TZVDevice::DrawText(pos, text);
        return;
    }
    if (!HandleValid()) return;
    const int32_t mode = PolygonMode();
    SetPolygonMode(GL_LINE);
    if (glyphBase_ == 0) glyphBase_ = BuildGlyphLists();
    if (glyphBase_ != 0) {
        PushMatrix();
        const double f = FontHeight() / (UnitsPerCM() == 0 ? 1.0 : UnitsPerCM());
        MultMatrix(TranslationMatrix(pos));
        MultMatrix(ScaleMatrix({f, f, f}));
        for (unsigned char c : text) glCallList(glyphBase_ + c);
        PopMatrix();
    }
    SetPolygonMode(mode);
}

// Textures.

// A texture without a usable pixel block (or none) switches texturing off.
void TZvOglCanvas::SetTexture(Tzvbitmap* texture) {
    if (AttributesLocked()) return;
    TZVDevice::SetTexture(texture);
    if (!HandleValid()) return;
    const TzvbitmapData* pixels = texture ? texture->Pixels() : nullptr;
    const int64_t w = texture ? texture->Width() : 0, h = texture ? texture->Height() : 0;
    if (!pixels || w <= 0 || h <= 0 || pixels->Size() < w * h * 4) {
        glDisable(GL_TEXTURE_2D);
        return;
    }
    glTexImage2D(GL_TEXTURE_2D, 0, 4, static_cast<GLsizei>(w), static_cast<GLsizei>(h), 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixels->Data());
    glEnable(GL_TEXTURE_2D);
    {
        auto tile = [](double size) { return size == 0 ? 1.0 : 1.0 / size; };
        GLint saved = GL_MODELVIEW;
        glGetIntegerv(GL_MATRIX_MODE, &saved);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
        glScaled(tile(texture->Shininess()), tile(texture->Translucent()), tile(texture->Shininess()));
        glMatrixMode(static_cast<GLenum>(saved));
    }
    const GLfloat wrap = texture->GetRepeating() ? GL_REPEAT : GL_CLAMP;
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    const GLfloat filter = texture->Filter() != 0 ? static_cast<GLfloat>(texture->Filter()) : GL_NEAREST;
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    CheckError();
}

// A surface patch evaluated by OpenGL: the control points define the vertex
// map and, through their first two coordinates, the texture map. A render
// pass evaluates the whole grid; a select pass draws every cell on its own,
// named by its row (9000) and column (10000) under the patch (8000).
void TZvOglCanvas::DrawSymbolHook(TZvComponent* ref) {
    const auto* patch = dynamic_cast<const TSurfacePatch*>(ref);
    const int32_t mode = GetRenderMode();
    if (!patch || patch->Empty() || !IsGLRenderMode(mode) || !HandleValid()) return;
    NamePairs names(*this);
    if (mode == kSelectMode && !PickSuppressed()) {
        PushMatrixName();
        names.Adopt();
    }
    const int32_t uOrder = patch->UOrder(), vOrder = patch->VOrder();
    const double* points = &patch->ControlPoints()[0].X;
    glMap2d(GL_MAP2_VERTEX_3, 0.0, 1.0, 3, uOrder, 0.0, 1.0, 3 * uOrder, vOrder, points);
    glMap2d(GL_MAP2_TEXTURE_COORD_2, 0.0, 1.0, 3, uOrder, 0.0, 1.0, 3 * uOrder, vOrder, points);
    glEnable(GL_AUTO_NORMAL);
    glEnable(GL_MAP2_VERTEX_3);
    glEnable(GL_MAP2_TEXTURE_COORD_2);
    const TPatchGrid& g = patch->Grid();
    glMapGrid2d(g.USegments, g.U0, g.U1, g.VSegments, g.V0, g.V1);
    if (mode != kSelectMode) {
        glEvalMesh2(static_cast<GLenum>(PolygonMode()), 0, g.USegments, 0, g.VSegments);
    } else {
        names.Push(8000, PickObject(patch));
        const auto u = [&g](int32_t j) { return g.U0 + (g.U1 - g.U0) * j / g.USegments; };
        const auto v = [&g](int32_t i) { return g.V0 + (g.V1 - g.V0) * i / g.VSegments; };
        for (int32_t i = 0; i < g.VSegments; ++i) {
            for (int32_t j = 0; j < g.USegments; ++j) {
                NamePairs cell(*this);
                cell.Push(9000, i);
                cell.Push(10000, j);
                // Wound like the cells of the evaluated mesh, so that the
                // same faces are culled in both passes.
                glBegin(GL_POLYGON);
                glEvalCoord2d(u(j), v(i));
                glEvalCoord2d(u(j), v(i + 1));
                glEvalCoord2d(u(j + 1), v(i + 1));
                glEvalCoord2d(u(j + 1), v(i));
                glEnd();
            }
        }
    }
    CheckError();
}

// A textured rectangle (kTexturedRectKind with a TTexturedRect).
void TZvOglCanvas::ExtendedPrimitive2(int32_t kind, const void* data) {
    if (kind != kTexturedRectKind || !data || !IsGLRenderMode(GetRenderMode()) || !HandleValid()) return;
    const auto& r = *static_cast<const TTexturedRect*>(data);
    Tzvbitmap* remembered = Texture();
    SetTexture(r.Texture);
    if (Texture()) {
        glBegin(GL_POLYGON);
        glTexCoord2d(0, 0);
        glVertex2d(r.X1, r.Y1);
        glTexCoord2d(0, r.Y2 - r.Y1);
        glVertex2d(r.X1, r.Y2);
        glTexCoord2d(r.X2 - r.X1, r.Y2 - r.Y1);
        glVertex2d(r.X2, r.Y2);
        glTexCoord2d(r.X2 - r.X1, 0);
        glVertex2d(r.X2, r.Y1);
        glEnd();
    }
    SetTexture(remembered);
}

// A textured ellipsoid with the semi-axes Size.
void TZvOglCanvas::ExtendedPrimitive1(const double* xyz, int32_t count) {
    if (!IsGLRenderMode(GetRenderMode())) {
        TZVDevice::ExtendedPrimitive1(xyz, count);
        return;
    }
    if (!xyz || count < 3 || !HandleValid()) return;
    GLUquadric* quadric = gluNewQuadric();
    if (!quadric) return;
    PushMatrix();
    MultMatrix(ScaleMatrix({xyz[0], xyz[1], xyz[2]}));
    const bool clockwise = GetClockwise();
    SetClockwise(false);
    gluQuadricTexture(quadric, GL_TRUE);
    gluQuadricOrientation(quadric, GLU_OUTSIDE);
    gluSphere(quadric, 1.0, count, count);
    gluQuadricTexture(quadric, GL_FALSE);
    gluDeleteQuadric(quadric);
    SetClockwise(clockwise);
    PopMatrix();
}

// Pick names.

void TZvOglCanvas::PushNamePair(int32_t tag, intptr_t value) {
    if (PickSuppressed() || !HasContext()) return;
    glPushName(static_cast<GLuint>(tag));
    glPushName(static_cast<GLuint>(value));
}

void TZvOglCanvas::LoadNamePair(int32_t tag, intptr_t value) {
    if (PickSuppressed() || !HasContext()) return;
    glPopName();
    glLoadName(static_cast<GLuint>(tag));
    glPushName(static_cast<GLuint>(value));
}

void TZvOglCanvas::PopNamePair() {
    if (PickSuppressed() || !HasContext()) return;
    glPopName();
    glPopName();
}

// Selection.

void TZvOglCanvas::PrepareSelectBuffer() {
    if (!HandleValid()) return;
    std::fill(glSelectBuffer_.begin(), glSelectBuffer_.end(), 0u);
    glSelectBuffer(static_cast<GLsizei>(glSelectBuffer_.size()), glSelectBuffer_.data());
}

// The select repaint of a pick: the projection narrowed to the pick
// rectangle, one frame, then OpenGL's hit records handed to the device.
void TZvOglCanvas::RunSelectPass() {
    if (!HandleValid()) return;
    const TRect& pick = PickRect();
    const TRect& v = Viewport();
    const int32_t windowHeight = ClientRect(Window()).Y2;
    GLint viewport[4] = {v.Left, windowHeight - v.Bottom, v.Right - v.Left, v.Bottom - v.Top};
    GLint saved = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &saved);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix((pick.Left + pick.Right) / 2.0 + 0.5, windowHeight - (pick.Top + pick.Bottom) / 2.0 - 0.5,
                  std::max(1, pick.Right - pick.Left), std::max(1, pick.Bottom - pick.Top), viewport);
    glMultMatrixd(&ProjectionMatrix().M[0][0]);
    glMatrixMode(GL_MODELVIEW);
    Paint();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(static_cast<GLenum>(saved));
    CheckError();
    TranscribeHits(glRenderMode(GL_RENDER));
}

// Copies OpenGL's hit records, nearest first, into the device's select
// buffer. A negative count means the buffer ran full: the records that fit
// are taken.
void TZvOglCanvas::TranscribeHits(int32_t count) {
    glHitCount_ = count;
    struct Record {
        uint32_t minDepth, maxDepth;
        size_t first, names;
    };
    std::vector<Record> records;
    const size_t size = glSelectBuffer_.size();
    size_t pos = 0;
    for (int32_t r = 0; r < (count < 0 ? INT_MAX : count) && pos + 3 <= size; ++r) {
        const size_t names = glSelectBuffer_[pos];
        if (pos + 3 + names > size || (count < 0 && names == 0)) break;
        records.push_back({glSelectBuffer_[pos + 1], glSelectBuffer_[pos + 2], pos + 3, names});
        pos += 3 + names;
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const Record& a, const Record& b) { return a.minDepth < b.minDepth; });
    for (const Record& record : records) {
        ClearNames();
        for (size_t k = 0; k < record.names; ++k) PushName(static_cast<int32_t>(glSelectBuffer_[record.first + k]));
        RecordHit(record.minDepth, record.maxDepth);
    }
    ClearNames();
}

}  // namespace zv
