// Ultimate bending capacity of a rectangular doubly reinforced section under
// an axial force, along the line of constant eccentricity e = M / N.
//
// The ultimate state is found by strain compatibility: plane sections, the
// concrete fibre on the face the moment compresses at εcu with the
// rectangular stress block 0.68 f'cd b x acting at 0.4 x (never deeper than
// the section), and elastic-perfectly plastic bars whose stresses never
// leave ±fyd. A tensile force that passes between the two layers of bars
// (the whole section in tension) is carried by the bars alone, shared by
// the lever rule, up to the yield of the first layer. A compressive force so
// near the centroid that the compressed face cannot reach it is carried
// with the other face crushing. Where several of these states lie on the
// line, the one reached at the smallest load factor is the capacity. An
// axial force alone acts at the centroid (e = 0) like any other.
#pragma once
#include <string>

#include "rccheck/rc_bending.h"

struct UltimateResult {
    std::string label;
    double gc = 1, gs = 1, gb = 1, gbc = 1, gbs = 1;
    double fck = 0, fyk = 0, ec = 0, es = 0, ecu = 0, m = 0, n = 0;
    double fcd = 0, fyd = 0, e = 0, nb = 0, modular = 0, yg = 0, mb = 0, eb = 0, e2 = 0;
    double eyd = 0;
    double x = 0;          // neutral-axis depth from the crushed face, mm
    double sigmaComp = 0;  // bars at dc, N/mm², compression positive
    double sigmaTens = 0;  // bars at dt, N/mm², compression positive
    double mu = 0;         // kN·m
    double nu = 0;         // kN
};

constexpr double kUltimateConcreteStrain = 0.0035;

// m: |M| in kN·m; n: axial force in kN, compression positive.
void UltimateMoment(UltimateResult& r, const RcSectionGeom& sec, double gc, double gs, double gb,
                    double gbc, double gbs, double fck, double fyk, double ec, double es,
                    double ecu, double m, double n);
