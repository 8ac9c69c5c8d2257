// Result diagrams checked against hand values: a 6 m simple beam under
// 20 kN/m (M = wL²/8 = 90 kN·m at midspan, S = ±wL/2 = ±60 kN at the
// ends, deflection 5wL⁴/384EI), and the example portal.
#include <algorithm>
#include <cmath>

#include "app/figure_diagrams.h"
#include "app/figure_view.h"
#include "test_figure_util.h"

namespace {

constexpr double kTol = 0.01;  // m in world units, about half a pixel here

// Device segments back in world metres.
struct WSeg {
    double x1, y1, x2, y2;
    unsigned colour;
};
std::vector<WSeg> WorldSegments() {
    std::vector<WSeg> out;
    for (const Seg& s : Segments(Parse()))
        out.push_back(
            {DevToWorldX(s.x1), DevToWorldY(s.y1), DevToWorldX(s.x2), DevToWorldY(s.y2), s.colour});
    return out;
}

// The recorded characters in drawing order (blanks are not recorded).
std::string AllText(const std::vector<Rec>& recs) {
    std::string out;
    for (const Rec& r : recs)
        if (r.kind == "text") out += r.text.empty() ? " " : r.text;
    return out;
}

bool HasVertexNear(const std::vector<WSeg>& segs, double x, double y, unsigned colour,
                   double tol = kTol) {
    for (const WSeg& s : segs) {
        if (s.colour != colour) continue;
        if (std::hypot(s.x1 - x, s.y1 - y) < tol || std::hypot(s.x2 - x, s.y2 - y) < tol)
            return true;
    }
    return false;
}

class BeamDiagram : public ::testing::Test {
  protected:
    void SetUp() override {
        model = SimpleBeam({Load(kLoadDistY, 1, -20, -20)});
        results = &Analyse(*model);
        // 1 mm = 10 px; world -1..7 m over 800 px = 100 px per m.
        bitmap = std::make_unique<TBitmap>(800, 600);
        StartScreen(*bitmap, -1, -3, 7, 3);
        G_SetLineColor(0xFF0000);
    }
    void TearDown() override { StopRecording(); }
    std::unique_ptr<FrameModel> model;
    FrameResults* results = nullptr;
    std::unique_ptr<TBitmap> bitmap;
};

TEST_F(BeamDiagram, ScaleLengthIsAQuarterOfTheWidestSpan) {
    // One horizontal 6 m member: max(min(6, 0) / 3, 6 / 4, 0 / 4) = 1.5 m.
    EXPECT_NEAR(DiagramScaleLength(*results), 1.5, 1e-9);
}

TEST_F(BeamDiagram, MomentHangsOnTheTensionSideWithItsPeakAtMidspan) {
    DrawMSNDiagram(*results, *model, 1, kQtyM, 0, 1.0, 0);
    const auto segs = WorldSegments();
    // Sagging moment below the beam; the largest value 90 drawn 1.5 m off.
    EXPECT_TRUE(HasVertexNear(segs, 3.0, -1.5, 0xFF0000));
    // Every vertex on the parabola M(x) = 10 x (6 - x), scaled 1.5 / 90.
    ASSERT_GT(segs.size(), 10u);
    for (const WSeg& s : segs)
        for (const double* p : {&s.x1, &s.x2}) {
            const double y = p == &s.x1 ? s.y1 : s.y2;
            if (std::fabs(y) < kTol) continue;  // a point on the member line
            EXPECT_NEAR(y, -1.5 * 10 * *p * (6 - *p) / 90, kTol) << "x = " << *p;
        }
}

TEST_F(BeamDiagram, ScaleFactorStretchesTheOrdinates) {
    DrawMSNDiagram(*results, *model, 1, kQtyM, 0, 2.0, 0);
    EXPECT_TRUE(HasVertexNear(WorldSegments(), 3.0, -3.0, 0xFF0000));
}

TEST_F(BeamDiagram, ShearIsDrawnWithItsOwnSign) {
    DrawMSNDiagram(*results, *model, 1, kQtyS, 0, 1.0, 0);
    const auto segs = WorldSegments();
    // dM/dx = +60 at the i end (drawn up), -60 at the j end (drawn down).
    EXPECT_TRUE(HasVertexNear(segs, 0.0, 1.5, 0xFF0000));
    EXPECT_TRUE(HasVertexNear(segs, 6.0, -1.5, 0xFF0000));
    EXPECT_TRUE(HasVertexNear(segs, 3.0, 0.0, 0xFF0000));
}

TEST_F(BeamDiagram, ValueLabelsAndTicksOnlyWithTheLabelFlag) {
    DrawMSNDiagram(*results, *model, 1, kQtyM, 0, 1.0, 0);
    auto recs = Parse();
    EXPECT_EQ(
        std::count_if(recs.begin(), recs.end(), [](const Rec& r) { return r.kind == "text"; }), 0);
    for (const Seg& s : Segments(recs)) EXPECT_NE(s.colour, 0x808080u);

    PoolClear();
    PoolSelectPage(0);
    DrawMSNDiagram(*results, *model, 1, kQtyM, 0, 1.0, 2);
    recs = Parse();
    bool grey = false;
    for (const Seg& s : Segments(recs)) grey = grey || s.colour == 0x808080u;
    EXPECT_TRUE(grey);
    EXPECT_NE(AllText(recs).find("90.000M-max"), std::string::npos) << AllText(recs);
    // The maximum at midspan is marked; the minimum (0 at the ends) is not.
    EXPECT_EQ(Texts(recs, "M").size(), 1u);
}

TEST_F(BeamDiagram, CaseWithoutLoadsDrawsOnTheMemberLine) {
    auto unloaded = SimpleBeam({});
    FrameResults& r = Analyse(*unloaded);
    PoolClear();
    PoolSelectPage(0);
    DrawMSNDiagram(r, *unloaded, 1, kQtyM, 0, 1.0, 0);
    const auto segs = WorldSegments();
    ASSERT_FALSE(segs.empty());
    for (const WSeg& s : segs) {
        EXPECT_NEAR(s.y1, 0.0, kTol);
        EXPECT_NEAR(s.y2, 0.0, kTol);
    }
}

TEST_F(BeamDiagram, DeflectionSagsByTheSharedFactor) {
    // 5 w L^4 / 384 E I = 5 x 20 x 6^4 / (384 x 2e8 x 0.001) m = 1.6875 mm,
    // the largest deflection, drawn L x 0.5 = 0.75 m below the chord.
    G_SetLineColor(0x0000FF);
    DrawDisplacements(*results, *model, 1, 1.0, 2);
    const auto segs = WorldSegments();
    // Elastic line w(x) = w x (L³ - 2 L x² + x³) / 24 E I, drawn so that the
    // largest point value (at 2.94 m, within 0.1 % of midspan) is 0.75 m.
    auto w = [](double x) { return x * (216 - 12 * x * x + x * x * x); };
    int onCurve = 0;
    for (const WSeg& s : segs) {
        if (s.colour != 0x0000FF || std::fabs(s.x1 - s.x2) < 1e-9) continue;
        EXPECT_NEAR(s.y1, -0.75 * w(s.x1) / w(3.0), kTol) << "x = " << s.x1;
        ++onCurve;
    }
    EXPECT_GE(onCurve, 19);
    // The chord between the (unmoved) supports is drawn in blue.
    bool chord = false;
    for (const WSeg& s : segs)
        chord = chord || (s.colour == 0xFF0000 && std::fabs(s.y1) < kTol &&
                          std::fabs(s.x2 - s.x1 - 6) < kTol);
    EXPECT_TRUE(chord);
    EXPECT_NE(AllText(Parse()).find("0.00000y"), std::string::npos) << AllText(Parse());
}

TEST_F(BeamDiagram, ReactionsAreWrittenAtTheSupports) {
    DrawReactions(*results, *model, 1);
    int sixty = 0;
    for (const std::string& line : PoolPageText(0))
        for (std::size_t p = line.find("60.000"); p != std::string::npos;
             p = line.find("60.000", p + 1))
            ++sixty;
    EXPECT_EQ(sixty, 2);  // wL/2 = 60 kN up at each end
}

TEST(PortalDiagram, BeamMomentOfTheGravityCaseSagsBetweenTheColumns) {
    auto model = LoadPortal();
    FrameResults& r = Analyse(*model);
    TBitmap bitmap(800, 600);
    StartScreen(bitmap, -2, -2, 8, 5.5);
    G_SetLineColor(0xFF0000);
    DrawMSNDiagram(r, *model, 1, kQtyM, 0, 1.0, 0);
    const auto segs = WorldSegments();
    StopRecording();
    // Beam (member 2, y = 4): its largest sagging moment is drawn below the
    // beam at the M-max position the engine found.
    const int n = r.member[2].pointCount;
    const double xmax = r.block[1].members[2].values[kQtyPos][n + 1];
    const double mmax = r.block[1].members[2].values[kQtyM][n + 1];
    ASSERT_GT(mmax, 0);
    double vmax = 0;
    for (int m = 1; m <= r.memberCount; ++m)
        for (int k = 1; k <= r.member[m].pointCount; ++k)
            vmax = std::max(vmax,
                            std::fabs(static_cast<double>(r.block[1].members[m].values[kQtyM][k])));
    // L = max(min(6, 4) / 3, 6 / 4, 4 / 4) = 1.5 m for the largest value.
    EXPECT_TRUE(HasVertexNear(segs, xmax, 4.0 - 1.5 * mmax / vmax, 0xFF0000));
    // The point load sits at 2 m: the sagging peak is left of midspan.
    EXPECT_LT(xmax, 3.0);
    EXPECT_GT(xmax, 1.0);
}

}  // namespace
