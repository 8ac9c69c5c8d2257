// Shear checks of one point and check case: the mean shear stress against
// the corrected allowable (with the required shear reinforcement area), and
// the design shear force against the shear capacity Vcd + Vsd. Where the
// concrete alone falls short, ft is at least the required area over the
// provided one, so that too few stirrups read NG wherever ft is shown.
#pragma once
#include "rccheck/rc_records.h"

struct ShearFactors {
    double cN = 1, ce = 1, cpt = 1;
};

// Corrections of the allowable shear stress for effective depth (ce), rebar
// ratio (cpt) and axial compression (cN). Lengths mm, areas mm², I mm⁴,
// M in N·mm, N in N (compression positive).
ShearFactors ShearCorrections(double h, double b, double d, double area, double at, double inertia,
                              double m, double n);

struct ShearCapacityResult {
    double fwyd = 0, h = 0, d = 0, at = 0, m = 0, n = 0, aw = 0, s = 0;
    double fvcd = 0, betaD = 0, betaP = 0, mo = 0, mu = 0, betaN = 0;
    double vcd = 0, vsd = 0, vyd = 0;  // kN
};

// m: |M| in kN·m, n in kN (compression positive), aw mm² per stirrup set,
// s pitch mm, alpha the stirrup angle in rad.
void ShearCapacity(ShearCapacityResult& r, double gc, double gs, double gbc, double gbs, double fck,
                   double fyk, double fwk, double h, double b, double d, double at, double m,
                   double n, double aw, double s, double alpha);

// Both shear checks of a point in one case; ssaMax is the largest allowable
// bar stress of the member in that case (at least 160).
void CheckShear(RcPointCheck& point, int checkCase, double ssaMax);
