// Stroke fonts from the system's outline fonts, their pieces and polylines,
// and the curve classes.
#include "fonts/stroke_font.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "fonts/curves.h"
#include "fonts/system_font.h"
#include "message_capture.h"
#include "owned_array.h"

namespace zv {
namespace {

bool SamePoint(const TXY& a, const TXY& b) { return a.X == b.X && a.Y == b.Y; }

TEST(StrokeFont, LetterAOfArialFromLiberationSans) {
    TGlyphs& glyphs = FontByName("Arial");
    if (glyphs.Family != "Liberation Sans") GTEST_SKIP() << "fonts-liberation2 is not installed";
    int contours = 0, points = 0;
    ASSERT_TRUE(TSystemFont("Arial").OutlineCounts('A', contours, points));
    EXPECT_EQ(contours, 2);
    EXPECT_EQ(points, 17);
    EXPECT_EQ(glyphs.Glyph('A')->Curves.Count(), 2);
    EXPECT_GT(glyphs.Glyph(' ')->Advance, 0);
    EXPECT_EQ(glyphs.Glyph(' ')->Polylines.Count(), 0);
    EXPECT_EQ(&FontByName("ARIAL"), &glyphs);  // built once per name
}

// Every glyph: pieces join end to start and close, and each polyline holds
// the start point and what every piece adds (a spline its 16 segments).
TEST(StrokeFont, EveryGlyphIsClosedAndFlattenedPieceByPiece) {
    TGlyphs& glyphs = FontByName("Arial");
    ASSERT_EQ(glyphs.Count(), 256);
    int splines = 0;
    for (int c = 0; c < 256; ++c) {
        const TGlyph& g = *glyphs.Glyph(static_cast<uint8_t>(c));
        ASSERT_EQ(g.Polylines.Count(), g.Curves.Count());
        for (int32_t i = 0; i < g.Curves.Count(); ++i) {
            const TPointArray& p = *g.Curves.Items(i);
            int32_t expected = p.Count > 0 ? 1 : 0;
            for (int32_t k = 0; k < p.Count; ++k) {
                const TCurvePiece& piece = p.At<TCurvePiece>(k);
                ASSERT_TRUE(SamePoint(piece.Start, p.At<TCurvePiece>(k > 0 ? k - 1 : p.Count - 1).End)) << c;
                expected += piece.Kind == TPieceKind::Qspline ? 16 : 1;
                splines += piece.Kind == TPieceKind::Qspline;
            }
            ASSERT_EQ(g.Polylines.Items(i)->Count, expected) << c;
        }
    }
    EXPECT_GT(splines, 100);
}

TEST(StrokeFont, SubstitutesAndMissingFontsHaveDefinedResults) {
    TGlyphs& other = FontByName("No Such Family Zq");
    EXPECT_NE(other.Family, "No Such Family Zq");
    EXPECT_FALSE(other.Family.empty());  // the system's substitute
    const std::string config = testing::TempDir() + "no-fonts.conf";
    std::ofstream(config) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    const char* saved = std::getenv("FONTCONFIG_FILE");
    std::string restore = saved ? saved : "";
    setenv("FONTCONFIG_FILE", config.c_str(), 1);
    MessageCapture messages;
    TGlyphs& none = FontByName("Fontless");
    saved ? setenv("FONTCONFIG_FILE", restore.c_str(), 1) : unsetenv("FONTCONFIG_FILE");
    EXPECT_TRUE(none.Family.empty());
    EXPECT_EQ(none.Count(), 256);
    EXPECT_EQ(none.Glyph('A')->Curves.Count(), 0);
    EXPECT_EQ(messages.Texts().size(), 1u);
    EXPECT_THROW(FontByName(""), Exception);
    EXPECT_THROW(FontByName("a\\b"), Exception);
}

TEST(Curves, SplinePointsAndArcEnds) {
    TXY p = QsplinePoint({0, 0}, {1, 2}, {4, 0}, 1.0, 0.5);
    EXPECT_TRUE(SamePoint(p, {1.5, 1}));  // (P0 + 2 P1 + P2) / 4
    EXPECT_TRUE(SamePoint(QsplinePoint({0, 0}, {1, 2}, {4, 0}, -1.0, 0.5), {-1e10, -1e10}));
    auto* arc = static_cast<TArc*>(CreateInstanceOf("TArc", nullptr));
    arc->SetAngles(0, 90);
    arc->SetSegments(4);
    OwnedArray<TXY> points;
    arc->Flatten(points.a);
    ASSERT_EQ(points.a.Count, 5);
    EXPECT_NEAR(points.a.At<TXY>(4).X, 0, 1e-15);
    EXPECT_NEAR(points.a.At<TXY>(4).Y, 1, 1e-15);
    arc->Free();
}

}  // namespace
}  // namespace zv
