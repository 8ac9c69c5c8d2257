// Bending check of a rectangular doubly reinforced section by allowable
// stresses (modular ratio n = 15) under a moment and an axial force, and the
// entry CheckBending that also runs the ultimate-moment check.
//
// Inside the stress routines lengths are mm, areas mm², forces N, moments
// N·mm and stresses N/mm²; the axial force is positive in compression and
// bar stresses are positive in tension.
#pragma once
#include <string>

#include "rccheck/rc_records.h"

// The section as the formulas see it: depths measured from the compression
// fibre.
struct RcSectionGeom {
    double b = 0, h = 0;
    double dc = 0, dt = 0;  // compression-side and tension-side bars
    double ac = 0, at = 0;  // their areas
};

// Which layer of bars the tension side is.
enum RcLayer : int { kLayerNone = 0, kLayerOuter = 1, kLayerInner = 2 };

struct RcSideSelection {
    RcSectionGeom geom;                     // b and h left 0 for the caller
    RcLayer compressionLayer = kLayerNone;  // none when that side has no bars
    RcLayer tensionLayer = kLayerNone;
};

// How the concrete takes part in a stress state: the whole section with
// stresses varying linearly from sigmaTop to sigmaOther, the cracked section
// compressed from the face over the depth x (a triangle), or not at all
// (the bars alone carry a tensile force).
enum class RcConcrete : int { kWhole, kCracked, kNone };

struct StressResult {
    std::string label;
    RcConcrete concrete = RcConcrete::kCracked;
    // The cracked state compresses the face opposite the one M compresses
    // (a tensile force on the concrete side of a single layer of bars);
    // sigmaTop and x then belong to that face.
    bool farFace = false;
    // False when no state of the section carries the forces (a tensile
    // force on a section without bars): the stresses are then meaningless.
    bool carried = true;
    RcSectionGeom sec;
    double m = 0, n = 0;
    double ai = 0, si = 0, yc = 0, yt = 0, e = 0, ii = 0;
    double kt = 0, kc = 0, et1 = 0, et2 = 0, yg = 0;
    double coef[4] = {0, 0, 0, 0};
    double x = 0;
    double sigmaTop = 0, sigmaOther = 0, sigmaC = 0;
    // Stresses of the bars at dc (area ac) and at dt (area at).
    double sigmaAtDc = 0, sigmaAtDt = 0;
    // The smaller and the larger of the two, and the governing one.
    double sigmaCompSide = 0, sigmaTensSide = 0, sigmaGoverning = 0;
};

constexpr double kModularRatio = 15.0;

// A positive M puts the outer bars in compression. A side without bars
// takes part with area 0 at depth 1 mm from the compression fibre.
RcSideSelection SelectTensionSide(double m, double h, double d2, double as2, double d1, double as1);

// Cracked section under bending alone; M in N·mm (its magnitude is used).
void StressesNoAxial(StressResult& r, const RcSectionGeom& sec, double n, double m);

// Section under M >= 0 (N·mm) and N (N, compression positive).
void StressesWithAxial(StressResult& r, const RcSectionGeom& sec, double n, double m, double axial);

// The bending checks of one point and check case (allowable stresses when
// SgCK is on, ultimate moment when MuCK is on), results into the case entry.
void CheckBending(RcPointCheck& point, int checkCase);
