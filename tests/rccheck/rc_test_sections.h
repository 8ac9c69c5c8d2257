// Test sections shared by the RC calculation tests.
//
// S1: b 1000, H 1000, covers 30; outer D19x8 (As1 = 8 x 286.5 = 2292 mm²,
// d1' = 30 + 10 = 40), inner D22x8 (As2 = 8 x 387.1 = 3096.8 mm²,
// d2' = 30 + 11 = 41); n 15; allowables 8 / 160; stirrups D13x2 @250.
#pragma once
#include <cstring>
#include <random>
#include <utility>

#include "rccheck/rc_bending.h"
#include "rccheck/rc_records.h"
#include "rccheck/rebar_table.h"

inline RcPointCheck MakeS1Point() {
    LoadBuiltInRebarTable();
    RcPointCheck pt;
    std::memset(&pt, 0, sizeof(pt));
    pt.b = 1000;
    pt.set1 = pt.set2 = RcDepths{1000, 40, 41};
    pt.outer = RcBars{19, 8, 0, 0};
    pt.inner = RcBars{22, 8, 0, 0};
    pt.stirrupD = 13;
    pt.stirrupLegs = 2;
    pt.stirrupPitch = 250;
    RcCaseCheck& c = pt.cases[1];
    c.sca = 8;
    c.ssa = 160;
    c.taBase = c.taBaseCopy = 0.27f;
    c.tsa = c.tsaCopy = 2.5f;
    c.fck = 40;
    c.fyk = c.fwk = 345;
    c.ec = 31000;
    c.es = 200000;
    c.gc = c.gs = c.gbm = c.gbc = c.gbs = c.ga = c.gi = 1;
    return pt;
}

// Both force sets of case 1: M in kN·m, n = -N in kN (compression positive).
inline void SetForces(RcPointCheck& pt, double m, double n, double s = 0) {
    RcForceSet f{};
    f.m = static_cast<float>(m);
    f.n = static_cast<float>(n);
    f.s = static_cast<float>(s);
    f.x = 1.0f;
    pt.cases[1].bend = f;
    pt.cases[1].shear = f;
}

inline double Uniform(std::mt19937& rng, double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(rng);
}

// A random section as the checks see it (depths from the face M
// compresses), by i % 4: bars on both faces, on the compressed face only,
// on the far face only, none.
inline RcSectionGeom RandomSection(std::mt19937& rng, int i) {
    RcSectionGeom s;
    s.b = Uniform(rng, 200, 1500);
    s.h = Uniform(rng, 250, 1500);
    const int layout = i % 4;
    s.ac = layout == 0 || layout == 1 ? Uniform(rng, 0.001, 0.03) * s.b * s.h : 0.0;
    s.at = layout == 0 || layout == 2 ? Uniform(rng, 0.001, 0.03) * s.b * s.h : 0.0;
    s.dc = s.ac > 0 ? Uniform(rng, 30, 90) : 1.0;
    s.dt = s.h - Uniform(rng, 30, 90);
    // A single layer is the tension side at its own depth.
    if (layout == 1) std::swap(s.at, s.ac), s.dt = s.dc, s.dc = 1.0;
    return s;
}
