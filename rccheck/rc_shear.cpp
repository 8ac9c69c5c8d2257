#include "rccheck/rc_shear.h"

#include <algorithm>
#include <cmath>

#include "model/numeric.h"
#include "rccheck/rc_bending.h"
#include "rccheck/rebar_table.h"

namespace {

// Below this the depth factor would keep falling towards 0 and then turn
// negative, condemning every deep section; deep members keep half the base
// allowable instead.
constexpr double kMinDepthFactor = 0.5;

double RebarRatioFactor(double pt) {
    if (pt <= 0.2) return Interpolate(0.1, 0.7, 0.2, 0.9, pt);
    if (pt <= 0.3) return Interpolate(0.2, 0.9, 0.3, 1.0, pt);
    if (pt <= 0.5) return Interpolate(0.3, 1.0, 0.5, 1.2, pt);
    if (pt <= 1.0) return Interpolate(0.5, 1.2, 1.0, 1.5, pt);
    return 1.5;
}

void ShearStressCheck(RcPointCheck& point, RcCaseCheck& c, const RcSectionGeom& sec,
                      double ssaMax) {
    const double b = sec.b, d = sec.dt, h = sec.h;
    const ShearFactors f = ShearCorrections(h, b, d, b * h, sec.at, b * h * h * h / 12.0,
                                            c.shear.m * 1e6, c.shear.n * 1000.0);
    c.cN = static_cast<float>(Round2(f.cN));
    c.ce = static_cast<float>(Round2(f.ce));
    c.cpt = static_cast<float>(Round2(f.cpt));
    const double taRaw = static_cast<double>(c.taBaseCopy) * c.cN * c.ce * c.cpt;
    c.ta = static_cast<float>(Round3(taRaw));
    const double taS = std::max<double>(c.ta, c.tsaCopy);
    // Shear the concrete cannot carry goes to stirrups; its direction does
    // not matter, so the magnitude of S is taken.
    const double pitch = point.stirrupPitch == 0.0f ? 1000.0 : point.stirrupPitch;
    const double sc = taRaw * b * d;
    c.awa = static_cast<float>(Round1(1.15 * std::max(0.0, std::fabs(c.shear.s) * 1000.0 - sc) *
                                      pitch / std::max(0.1, ssaMax * d)));
    c.tau = static_cast<float>(Round3(std::fabs(c.shear.s * 1000.0) / std::max(1.0, b * d)));
    double ft = std::fabs(c.tau) / std::max<double>(0.001, c.ta);
    c.taUsed = c.ta;
    if (ft > 1.0 && point.aw != 0.0f) {
        c.taUsed = static_cast<float>(taS);
        ft = std::fabs(c.tau) / std::max(0.001, taS);
    }
    // Stirrups below the required area do not make up what the concrete
    // lacks, however high τsa is: their shortfall is the ratio then.
    if (point.aw > 0.0f && c.awa > point.aw) ft = std::max<double>(ft, c.awa / point.aw);
    c.ft = static_cast<float>(Round3(ft));
    c.ngFt = RatioIsNg(c.ft);
}

void ShearCapacityCheck(RcPointCheck& point, RcCaseCheck& c, const RcSectionGeom& sec) {
    ShearCapacityResult r;
    ShearCapacity(r, c.gc, c.gs, c.gbc, c.gbs, c.fck, c.fyk, c.fwk, sec.h, sec.b, sec.dt, sec.at,
                  std::fabs(c.shear.m), c.shear.n, point.aw, point.stirrupPitch, M_PI / 2.0);
    c.vcd = static_cast<float>(r.vcd);
    c.vsd = static_cast<float>(r.vsd);
    c.vyd = static_cast<float>(r.vyd);
    c.fv = static_cast<float>(Round3(std::fabs(c.shear.s) * c.gi / std::max<double>(0.1, c.vyd)));
    c.ngFv = RatioIsNg(c.fv);
}

}  // namespace

ShearFactors ShearCorrections(double h, double b, double d, double area, double at, double inertia,
                              double m, double n) {
    h = std::max(h, 1.0);
    b = std::max(b, 1.0);
    d = std::max(d, 1.0);
    area = std::max(area, 1.0);
    ShearFactors f;
    f.ce = d <= 300.0 ? 1.4 : std::max(kMinDepthFactor, Interpolate(300.0, 1.4, 1000.0, 1.0, d));
    const double pt = 100.0 * at / std::max(1.0, b * d);  // percent
    f.cpt = RebarRatioFactor(pt);
    if (n <= 0.0) {
        f.cN = 1.0;
    } else {
        // Decompression moment: the moment that brings the far fibre to 0.
        const double mo = inertia * std::fabs(n) / (area * h / 2.0);
        f.cN = std::clamp(1.0 + mo / std::max(std::fabs(m), 0.001), 1.0, 2.0);
    }
    return f;
}

void ShearCapacity(ShearCapacityResult& r, double gc, double gs, double gbc, double gbs, double fck,
                   double fyk, double fwk, double h, double b, double d, double at, double m,
                   double n, double aw, double s, double alpha) {
    r = ShearCapacityResult{};
    // Internally N in N and M in N·mm.
    n *= 1000.0;
    m *= 1e6;
    r.fwyd = fwk / std::max(gs, 0.1);
    const double fcd = std::max(1.0, fck / std::max(gc, 0.1));
    h = std::max(h, 1.0);
    b = std::max(b, 1.0);
    d = std::max(d, 1.0);
    at = std::max(at, 1.0);
    if (s <= 10.0) s = 1e6;  // no usable pitch: stirrups count for nothing
    r.h = h, r.d = d, r.at = at, r.m = m, r.n = n, r.aw = aw, r.s = s;
    r.fvcd = std::min(0.2 * std::cbrt(fcd), 0.72);
    r.betaD = std::min(std::pow(1000.0 / d, 0.25), 1.5);
    r.betaP = std::min(std::cbrt(100.0 * at / (b * d)), 1.5);
    const double fckFloor = std::max(fck, 1.0);
    r.mu = at * fyk * d * (1.0 - 0.5 * (at / (b * d)) * fyk / (0.85 * fckFloor));
    const double mud = std::max(std::max(2.0 * std::fabs(m), r.mu), 0.001);
    r.mo = n * h / 6.0;
    r.betaN =
        n >= 0.0 ? std::min(1.0 + 2.0 * r.mo / mud, 2.0) : std::max(1.0 + 4.0 * r.mo / mud, 0.0);
    r.vcd = r.betaD * r.betaP * r.betaN * r.fvcd * b * d / std::max(gbc, 0.1) * 0.001;
    r.vsd = aw * r.fwyd * (std::sin(alpha) + std::cos(alpha)) * (d / 1.15) / s /
            std::max(gbs, 0.1) * 0.001;
    r.vyd = r.vcd + r.vsd;
}

void CheckShear(RcPointCheck& point, int checkCase, double ssaMax) {
    if (checkCase < 0 || checkCase >= kRcCaseSlots) return;
    RcCaseCheck& c = point.cases[checkCase];
    c.ft = c.fv = 0.0f;
    c.ngFt = c.ngFv = 0;
    // Areas from the bars, so that the check stands without a bending check
    // before it.
    point.as1 = static_cast<float>(RebarArea(static_cast<int>(point.outer.d1), point.outer.n1) +
                                   RebarArea(static_cast<int>(point.outer.d2), point.outer.n2));
    point.as2 = static_cast<float>(RebarArea(static_cast<int>(point.inner.d1), point.inner.n1) +
                                   RebarArea(static_cast<int>(point.inner.d2), point.inner.n2));
    const RcDepths& g = point.set2;
    const RcSideSelection side = SelectTensionSide(c.bend.m, g.h, g.d2, point.as2, g.d1, point.as1);
    c.dShear = static_cast<float>(side.geom.dt);
    point.aw = static_cast<float>(RebarArea(static_cast<int>(point.stirrupD), point.stirrupLegs));
    RcSectionGeom sec = side.geom;
    sec.b = std::max<double>(point.b, 1.0);
    sec.h = g.h;
    if (c.tuCK) ShearStressCheck(point, c, sec, ssaMax);
    if (c.vyCK) ShearCapacityCheck(point, c, sec);
}
