// Annotation primitives on the records of a page: barbed arrows, dimension
// lines with extension lines and measured labels, load trapezoids and loads
// along members, horizontal and vertical load rows.
//
// The page is 10 px/mm and the world window maps 1 world unit onto 1 mm
// (y the same way as paper), so a world point (x, y) is the pixel (10x, 10y).
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "pool_test_util.h"
#include "report/annotation.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Stroke {
    double x1, y1, x2, y2;
    std::string colour;
};

std::vector<Stroke> Strokes() {
    std::vector<Stroke> out;
    std::string colour;
    double x = 0, y = 0;
    for (const std::string& r : DumpPoolPage(0)) {
        std::istringstream in(r);
        std::string kind;
        in >> kind;
        if (kind == "pen-colour") in >> colour;
        if (kind == "move") in >> x >> y;
        if (kind == "line") {
            Stroke s{x, y, 0, 0, colour};
            in >> s.x2 >> s.y2;
            out.push_back(s);
            x = s.x2;
            y = s.y2;
        }
    }
    return out;
}

bool Near(double a, double b, double tol = 0.02) { return std::fabs(a - b) <= tol; }

// Strokes that start at (x, y) (pixels) and go elsewhere.
std::vector<Stroke> StrokesFrom(double x, double y) {
    std::vector<Stroke> out;
    for (const Stroke& s : Strokes())
        if (Near(s.x1, x) && Near(s.y1, y)) out.push_back(s);
    return out;
}

bool HasStroke(double x1, double y1, double x2, double y2, double tol = 0.02) {
    for (const Stroke& s : Strokes())
        if (Near(s.x1, x1, tol) && Near(s.y1, y1, tol) && Near(s.x2, x2, tol) &&
            Near(s.y2, y2, tol))
            return true;
    return false;
}

// Strokes neither horizontal nor vertical (arrow barbs).
std::vector<Stroke> Slanted(const std::vector<Stroke>& strokes) {
    std::vector<Stroke> out;
    for (const Stroke& s : strokes)
        if (!Near(s.x1, s.x2) && !Near(s.y1, s.y2)) out.push_back(s);
    return out;
}

std::string DrawnText() {
    std::string s;
    for (const std::string& r : Records({"text"})) s += r.substr(r.rfind(' ') + 1);
    return s;
}

void Start(int kind = 0) {
    StartRecording(kind);
    G_SetLineColor(0x000000);
    G_SetArrowSize(1);
}

}  // namespace

static_assert(HalfTint(0x0000FF) == 0x8080FF);
static_assert(HalfTint(0x000000) == 0x808080);
static_assert(HalfTint(0xFFFFFF) == 0xFFFFFF);

TEST(ArrowLine, BarbsDependOnFlagsLengthAndSize) {
    struct Case {
        double length;
        int flags;
        std::size_t strokes;
    } cases[] = {
        {2.0, 0x111, 1},  // double-headed, shorter than 2.2 heads: shaft only
        {2.2, 0x111, 5},  // long enough for both heads
        {0.5, 0x11, 3},   // single heads keep their barbs at any length
        {0.5, 0x110, 3}, {10, 0x10, 1}, {10, 0x1, 2}, {10, 0x101, 4}, {0, 0x11, 3},
    };
    for (const Case& c : cases) {
        Start();
        Gmm_ArrowLine(10, 10, 10 + c.length, 10, c.flags);
        EXPECT_EQ(Strokes().size(), c.strokes) << c.length << " " << c.flags;
    }
}

TEST(ArrowLine, BarbsLeanFifteenDegreesBackAlongTheShaft) {
    Start();
    G_SetArrowSize(2);
    Gmm_ArrowLine(10, 10, 20, 10, 0x11);
    const double bx = 200 - 20 * std::cos(kPi / 12), by = 20 * std::sin(kPi / 12);
    EXPECT_TRUE(HasStroke(100, 100, 200, 100));
    EXPECT_TRUE(HasStroke(200, 100, bx, 100 + by));
    EXPECT_TRUE(HasStroke(200, 100, bx, 100 - by));

    Start();
    G_SetArrowSize(2);
    G_ArrowLine(10, 10, 20, 10, 0x110);  // world = mm here
    EXPECT_TRUE(HasStroke(100, 100, 100 + 20 * std::cos(kPi / 12), 100 + by));
    EXPECT_EQ(StrokesFrom(200, 100).size(), 0u);
}

TEST(DimensionLine, MeasuredLabels) {
    const struct {
        const char* text;
        const char* label;
    } cases[] = {{"$0", "50"}, {"$1", "500"}, {"$-1", "5"}, {"fixed", "fixed"}};
    for (const auto& c : cases) {
        Start();
        // (30, 40) mm apart: 50 mm long.
        Gmm_DimensionLine(50, 100, 80, 140, 0, 0x31, c.text, 3);
        EXPECT_EQ(DrawnText(), c.label) << c.text;
    }
    // No label side: no text.
    Start();
    Gmm_DimensionLine(50, 100, 80, 140, 0, 0x11, "$0", 3);
    EXPECT_EQ(DrawnText(), "");
}

TEST(DimensionLine, ExtensionLinesStartOneMillimetreOffAndOvershoot) {
    Start();
    // Direction (0.6, 0.8); the offset side is a - 90 degrees = (0.8, -0.6).
    Gmm_DimensionLine(50, 100, 80, 140, 10, 0x333, "$0", 3);
    // From 1 mm off the point to offset + size / 3 = 11 mm off.
    EXPECT_TRUE(HasStroke(508, 994, 588, 934, 0.05));
    EXPECT_TRUE(HasStroke(808, 1394, 888, 1334, 0.05));
    // The dimension line itself, moved by the offset.
    EXPECT_TRUE(HasStroke(580, 940, 880, 1340, 0.05));
    EXPECT_EQ(DrawnText(), "50");
}

TEST(DimensionLine, CoincidentPointsDrawNothing) {
    Start();
    const std::size_t before = RecordCount();
    Gmm_DimensionLine(50, 50, 50, 50, 10, 0x333, "$0", 3);
    G_DimensionLine(5, 5, 5 + 1e-7, 5, 10, 0x333, "$0", 3);
    EXPECT_EQ(RecordCount(), before);
}

TEST(DimensionLine, WorldVariantMeasuresInWorldUnits) {
    Start();
    G_SetWindow(0, 0, 180, 270, 0, 0, 18, 27);      // 10 mm per world unit (m)
    G_DimensionLine(1, 1, 4, 5, 0, 0x31, "$3", 3);  // 5 m, labelled in mm
    EXPECT_EQ(DrawnText(), "5000");
    EXPECT_TRUE(HasStroke(100, 100, 400, 500, 0.05));
}

TEST(LoadTrapezoid, ArrowCountsAndTints) {
    const struct {
        double spacing;
        int flags;
        int arrows;
        int inner;
    } cases[] = {
        {1, 0x11, 51, 49},  // 1 mm asked, 2 mm used: 50 gaps
        {1, 0x00, 49, 49},  // inner arrows only
        {1, 0x01, 50, 49},
        {10, 0x11, 11, 9},
    };
    for (const auto& c : cases) {
        Start();
        G_SetLineColor(0x0000FF);
        G_LoadTrapezoid(20, 100, 10, 120, 100, 10, c.spacing, c.flags);
        // Base and load line, then a shaft and two barbs per arrow.
        const std::vector<Stroke> s = Strokes();
        EXPECT_EQ(s.size(), static_cast<std::size_t>(2 + 3 * c.arrows)) << c.arrows;
        std::size_t tinted = 0;
        for (const Stroke& k : s) tinted += k.colour == "0x8080FF";
        EXPECT_EQ(tinted, 3u * c.inner) << c.arrows;
        EXPECT_EQ(G_GetCanvas()->PenColor(), 0x0000FFu);
    }
}

TEST(LoadTrapezoid, ArrowsRunFromTheLoadLineOntoTheMember) {
    Start();
    G_LoadTrapezoid(20, 100, 10, 120, 100, 20, 10, 0x11);
    EXPECT_TRUE(HasStroke(200, 1000, 1200, 1000));  // base
    EXPECT_TRUE(HasStroke(200, 1100, 1200, 1200));  // load line
    EXPECT_TRUE(HasStroke(200, 1100, 200, 1000));   // first arrow
    EXPECT_TRUE(HasStroke(700, 1150, 700, 1000));   // middle arrow: 15 high
    Start();
    const std::size_t before = RecordCount();
    G_LoadTrapezoid(20, 100, 10, 20, 100, 20, 10, 0x11);
    EXPECT_EQ(RecordCount(), before);
}

TEST(MemberLoad, HeavyArrowPointsByTheSignOfTheLoad) {
    for (double r : {2.0, -2.0}) {
        Start();
        G_SetArrowSize(2.7);
        G_MemberLoad(20, 50, 5, 120, 50, 5, r, 0x11);
        // Shaft along the member; barbs max(4 x 2, 2 |r| = 4) = 8 mm long.
        EXPECT_TRUE(HasStroke(200, 500, 1200, 500));
        const double headX = r > 0 ? 1200 : 200;
        const std::vector<Stroke> barbs = Slanted(StrokesFrom(headX, 500));
        ASSERT_EQ(barbs.size(), 2u) << r;
        EXPECT_NEAR(std::fabs(barbs[0].x2 - headX), 80 * std::cos(kPi / 12), 0.05);
        EXPECT_TRUE(Slanted(StrokesFrom(r > 0 ? 200 : 1200, 500)).empty());
        // The whole-number arrow size comes back.
        EXPECT_DOUBLE_EQ(CurrentGraphics.arrowSize, 2);
    }
}

TEST(MemberLoad, PenWidthComesBackUnchangedOnThePreview) {
    Start(2);
    G_SetLineWidth(1);  // 2 px on the preview
    const int before = G_GetCanvas()->PenWidth();
    for (int i = 0; i < 3; ++i) G_MemberLoad(20, 50, 5, 120, 50, 5, 2, 0x11);
    EXPECT_EQ(G_GetCanvas()->PenWidth(), before);
}

TEST(LoadRows, SmallHeightsAreDrawnOneMillimetreHigh) {
    const struct {
        double q;
        double loadLineY;  // px
    } cases[] = {{0, 510}, {0.3, 510}, {-0.3, 490}, {4, 540}};
    for (const auto& c : cases) {
        Start();
        // A horizontal load on a horizontal member acts along it.
        G_LoadArrowsH(20, 50, c.q, 120, 50, c.q, 10);
        EXPECT_TRUE(HasStroke(200, c.loadLineY, 1200, c.loadLineY)) << c.q;
    }
}

TEST(LoadRows, VerticalLoadOnAVerticalMemberIsDrawnFromItsLowerEnd) {
    Start();
    // Ends exchanged and loads negated: (50, 20) first, q = -5, so the
    // heavy arrow points back at (50, 20).
    G_LoadArrowsV(50, 100, 5, 50, 20, 5, 2);
    EXPECT_TRUE(HasStroke(500, 200, 500, 1000));
    EXPECT_EQ(Slanted(StrokesFrom(500, 200)).size(), 2u);
    EXPECT_TRUE(Slanted(StrokesFrom(500, 1000)).empty());
}

TEST(LoadRows, RowsAcrossSlopedMembers) {
    Start();
    // Vertical load on a sloped member: 100 mm across in x, 10 mm spacing.
    G_LoadArrowsV(20, 50, 5, 120, 70, 5, 10);
    EXPECT_EQ(Strokes().size(), 2u + 3 * 11);
    EXPECT_TRUE(HasStroke(700, 550, 700, 600));  // middle arrow, straight down onto the member
    EXPECT_DOUBLE_EQ(CurrentGraphics.arrowSize, 1.5);

    Start();
    // Horizontal load on a sloped member: 100 mm in y.
    G_LoadArrowsH(50, 20, 5, 70, 120, 5, 10);
    EXPECT_EQ(Strokes().size(), 2u + 3 * 11);
    EXPECT_TRUE(HasStroke(550, 700, 600, 700));
}
