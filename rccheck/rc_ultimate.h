// Ultimate bending capacity of a rectangular doubly reinforced section under
// an axial force: rectangular stress block 0.68 f'cd b x acting at 0.4 x,
// ultimate concrete strain εcu, failure by concrete crushing or by yielding
// of the tension bars (with or without yielding compression bars).
#pragma once
#include <string>

#include "rccheck/rc_bending.h"

struct UltimateResult {
    std::string label;
    double gc = 1, gs = 1, gb = 1, gbc = 1, gbs = 1;
    double fck = 0, fyk = 0, ec = 0, es = 0, ecu = 0, m = 0, n = 0;
    double fcd = 0, fyd = 0, e = 0, nb = 0, modular = 0, yg = 0, mb = 0, eb = 0, e2 = 0;
    double eyd = 0, esQuadratic = 0, esCubic = 0;
    double coef[4] = {0, 0, 0, 0};
    double roots[3] = {0, 0, 0};
    double x = 0;
    double mu = 0;  // kN·m
    double nu = 0;  // kN
};

constexpr double kUltimateConcreteStrain = 0.0035;

// m: |M| in kN·m; n: axial force in kN, compression positive.
void UltimateMoment(UltimateResult& r, const RcSectionGeom& sec, double gc, double gs, double gb,
                    double gbc, double gbs, double fck, double fyk, double ec, double es,
                    double ecu, double m, double n);
