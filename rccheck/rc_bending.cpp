#include "rccheck/rc_bending.h"

#include <algorithm>
#include <cmath>

#include "model/numeric.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_cubic.h"
#include "rccheck/rc_ultimate.h"
#include "rccheck/rebar_table.h"

namespace {

double Floor(double v, double m) { return v > m ? v : m; }

// Bar stresses of the cracked section from σc at the compression fibre.
void CrackedBarStresses(StressResult& r, const RcSectionGeom& s, double n) {
    r.sigmaAtDc = -n * r.sigmaTop * (r.x - s.dc) / r.x;
    r.sigmaAtDt = n * r.sigmaTop * (s.dt - r.x) / r.x;
}

void FinishStresses(StressResult& r) {
    if (!r.carried) r.sigmaTop = r.sigmaOther = r.sigmaAtDc = r.sigmaAtDt = 0.0;
    r.sigmaC = std::max(r.sigmaTop, r.sigmaOther);
    r.sigmaCompSide = std::min(r.sigmaAtDc, r.sigmaAtDt);
    r.sigmaTensSide = std::max(r.sigmaAtDc, r.sigmaAtDt);
    r.sigmaGoverning = (r.sigmaAtDc < 0 && r.sigmaAtDt < 0) ? r.sigmaCompSide : r.sigmaTensSide;
}

RcSectionGeom Floored(const RcSectionGeom& sec) {
    RcSectionGeom s = sec;
    s.b = Floor(s.b, 1.0);
    s.h = Floor(s.h, 1.0);
    return s;
}

void Uncracked(StressResult& r, const RcSectionGeom& s, double n, double m, double axial) {
    r.concrete = RcConcrete::kWhole;
    r.sigmaTop = axial / r.ai + m / r.ii * r.yc;
    r.sigmaOther = axial / r.ai - m / r.ii * r.yt;
    const double slope = (r.sigmaTop - r.sigmaOther) / s.h;
    r.sigmaAtDc = -n * (r.sigmaTop - s.dc * slope);
    r.sigmaAtDt = -n * (r.sigmaTop - s.dt * slope);
}

// Concrete and bar forces of the cracked section, per unit of σc at the
// compressed face, with the neutral axis at x.
double CrackedResultant(const RcSectionGeom& s, double n, double x) {
    return n * s.ac * (x - s.dc) / x + s.b * x / 2.0 - n * s.at * (s.dt - x) / x;
}

// The cracked section compressed from the face at depth 0 (or, with
// farFace, from the opposite face) under the axial force acting at depth yN
// from the face M compresses. The cubic is the moment of the forces about
// that line; of its roots only one that lies within the section and puts
// the concrete in compression carries the force, so the roots are tried in
// turn, the usual middle-or-largest one first. False when none does.
bool Cracked(StressResult& r, const RcSectionGeom& sec, double n, double axial, double yN,
             bool farFace) {
    RcSectionGeom s = sec;
    if (farFace) s.dc = sec.h - sec.dc, s.dt = sec.h - sec.dt, yN = sec.h - yN;
    const double e2 = -yN;
    const double k = 6.0 * n / s.b;
    const double coef[4] = {1.0, 3.0 * e2, k * ((e2 + s.dt) * s.at + (e2 + s.dc) * s.ac),
                            -k * (s.dt * s.at * (e2 + s.dt) + s.dc * s.ac * (e2 + s.dc))};
    // Only real roots: with a complex pair the usual choice can be the
    // pair's real part, which balances nothing.
    double roots[3];
    const int real = CubicValues(coef[0], coef[1], coef[2], coef[3], roots);
    const double usual = SmallestCubicRoot(coef[0], coef[1], coef[2], coef[3]);
    bool found = false, foundUsual = false;
    double best = 0.0, bestSigma = 0.0;
    for (int i = 0; i < real && !foundUsual; ++i) {
        const double x = roots[i];
        if (!std::isfinite(x) || !(x > 0.0) || x > s.h * (1.0 + 1e-12)) continue;
        const double sigma = axial / AtLeastMagnitude(1e-9, CrackedResultant(s, n, x));
        if (!(sigma > 0.0) || !std::isfinite(sigma)) continue;
        // The usual root when it is sound; else the one giving the larger
        // concrete stress.
        foundUsual = x == usual;
        if (foundUsual || !found || sigma > bestSigma) found = true, best = x, bestSigma = sigma;
    }
    if (!found) return false;
    r.concrete = RcConcrete::kCracked;
    r.farFace = farFace;
    std::copy(coef, coef + 4, r.coef);
    r.x = best;
    r.sigmaTop = bestSigma;
    r.sigmaOther = 0.0;
    r.sigmaAtDc = n * bestSigma * (s.dc - best) / best;
    r.sigmaAtDt = n * bestSigma * (s.dt - best) / best;
    return true;
}

// A tensile force between the two layers of bars, the concrete cracked
// through: the lever rule shares it between the layers. It holds only when
// both layers are stretched and the plane through their strains leaves
// both faces stretched too; otherwise a face is compressed and the
// concrete takes part.
bool BarsAlone(StressResult& r, const RcSectionGeom& s, double n, double axial) {
    if (s.ac < 1.0 || s.at < 1.0 || !(s.dt > s.dc)) return false;
    r.yg =
        (n * (s.at * s.dt + s.ac * s.dc) + s.b * s.h * s.h / 2.0) / (n * (s.at + s.ac) + s.b * s.h);
    const double t = std::fabs(axial);
    const double span = s.dt - s.dc;
    const double sc = (s.dt - r.yg + r.e) * t / (s.ac * span);
    const double st = (r.yg - s.dc - r.e) * t / (span * s.at);
    const auto atDepth = [&](double y) { return sc + (st - sc) * (y - s.dc) / span; };
    const double tol = -1e-9 * (sc + st);
    if (sc < 0.0 || st < 0.0 || atDepth(0.0) < tol || atDepth(s.h) < tol) return false;
    r.concrete = RcConcrete::kNone;
    r.sigmaAtDc = sc;
    r.sigmaAtDt = st;
    return true;
}

}  // namespace

RcSideSelection SelectTensionSide(double m, double h, double d2, double as2, double d1,
                                  double as1) {
    RcSideSelection r;
    RcSectionGeom& g = r.geom;
    if (as1 != 0.0 && as2 != 0.0) {
        if (m >= 0.0) {
            g.ac = as1, g.dc = d1, g.at = as2, g.dt = h - d2;
            r.compressionLayer = kLayerOuter, r.tensionLayer = kLayerInner;
        } else {
            g.ac = as2, g.dc = d2, g.at = as1, g.dt = h - d1;
            r.compressionLayer = kLayerInner, r.tensionLayer = kLayerOuter;
        }
    } else if (as1 == 0.0) {
        g.ac = 0.0, g.dc = 1.0, g.at = as2;
        g.dt = m >= 0.0 ? h - d2 : d2;
        r.tensionLayer = as2 != 0.0 ? kLayerInner : kLayerNone;
    } else {
        g.ac = 0.0, g.dc = 1.0, g.at = as1;
        g.dt = m >= 0.0 ? d1 : h - d1;
        r.tensionLayer = kLayerOuter;
    }
    return r;
}

void StressesNoAxial(StressResult& r, const RcSectionGeom& sec, double n, double m) {
    // Floors first: an all-zero section must give zeros, not NaN.
    const RcSectionGeom s = Floored(sec);
    r.label = "⑤.軸力無しの計算"_sj;
    r.sec = s;
    r.m = std::fabs(m);
    const double p = n * (s.at + s.ac) / s.b;
    const double q = 2.0 * n * (s.dc * s.ac + s.dt * s.at) / s.b;
    r.x = AtLeastMagnitude(0.1, std::sqrt(p * p + q) - p);
    const double x = r.x;
    const double lever =
        s.b * x * (s.dt - x / 3.0) + 2.0 * n * s.ac * (x - s.dc) * (s.dt - s.dc) / x;
    r.sigmaTop = 2.0 * r.m / AtLeastMagnitude(1e-9, lever);
    r.sigmaOther = 0.0;
    CrackedBarStresses(r, s, n);
    // Without bars no cracked section resists a moment.
    r.carried = r.m == 0.0 || s.ac + s.at > 0.0;
    FinishStresses(r);
}

void StressesWithAxial(StressResult& r, const RcSectionGeom& sec, double n, double m,
                       double axial) {
    r = StressResult{};
    r.label = "(エラー)"_sj;
    if (std::fabs(axial) < 0.0001) {
        StressesNoAxial(r, sec, n, m);
        return;
    }
    const RcSectionGeom s = Floored(sec);
    r.sec = s;
    r.m = m;
    r.n = axial;
    // Transformed uncracked section, moments about the compression fibre.
    r.ai = n * (s.ac + s.at) + s.b * s.h;
    r.si = n * (s.dt * s.at + s.dc * s.ac) + s.b * s.h * s.h / 2.0;
    r.yc = Round1(r.si / r.ai);
    r.yt = Round1(s.h - r.yc);
    r.e = Round1(m / axial);
    r.ii = s.b * std::pow(r.yc, 3) / 3.0 + s.b * std::pow(r.yt, 3) / 3.0 +
           n * s.at * std::pow(s.dt - r.yc, 2) + n * s.ac * std::pow(r.yc - s.dc, 2);
    r.kt = Round1(r.ii / Floor(r.ai * r.yt, 1e-9));
    r.kc = Round1(r.ii / Floor(r.ai * r.yc, 1e-9));
    r.et1 = Round1((r.yc - s.dc) * (s.dt - r.yc) / AtLeastMagnitude(1e-9, r.yc));
    r.et2 = Round1((s.h - r.yt - s.dc) * (s.dt - r.yc) / AtLeastMagnitude(1e-9, r.yt));
    // The force acts at depth yN from the compression fibre (e about yc).
    const double yN = r.yc - r.e;
    if (axial < 0.0) {
        if (BarsAlone(r, s, n, axial)) {
            r.label = "③.偏心引張力を'心内'に受ける"_sj;
        } else {
            r.label = "④.偏心引張力を'心外'に受ける"_sj;
            // Compressed on the face M compresses when the force passes
            // beyond the bars, on the other face when it passes on the
            // concrete side of a single layer.
            r.carried = Cracked(r, s, n, axial, yN, false) || Cracked(r, s, n, axial, yN, true);
        }
    } else if (r.e <= r.kt) {
        // Inside the kern of the far fibre: no tension anywhere.
        r.label = "①.偏心圧縮力を'心内'に受ける"_sj;
        Uncracked(r, s, n, m, axial);
    } else {
        r.label = "②.偏心圧縮力を'心外'に受ける"_sj;
        const double s1 = axial / r.ai + axial * r.e * r.yc / r.ii;
        const double s2 = axial / r.ai - axial * r.e * r.yt / r.ii;
        if (std::fabs(s2) <= 0.25 * s1) {
            // A little tension at the far fibre: the section stays whole.
            r.label = "②-(1).偏心圧縮力を'心外'に受ける場合でσc≦σc'"_sj;
            Uncracked(r, s, n, m, axial);
        } else {
            r.label = "②-(2).偏心圧縮力を'心外'に受ける場合でσc'＜σc"_sj;
            r.carried = Cracked(r, s, n, axial, yN, false) || Cracked(r, s, n, axial, yN, true);
        }
    }
    FinishStresses(r);
}

namespace {

// The ratio shown when no stress state carries the forces.
constexpr float kUncarriedRatio = 999.999f;

void AllowableStressCheck(RcCaseCheck& c, const RcSideSelection& side, const RcSectionGeom& sec) {
    StressResult r;
    StressesWithAxial(r, sec, kModularRatio, std::fabs(c.bend.m) * 1e6, c.bend.n * 1000.0);
    c.sc = static_cast<float>(Round2(r.sigmaC));
    // Each layer keeps its own stress; a layer without bars has none.
    const auto layerStress = [&](RcLayer layer) -> double {
        if (layer == side.compressionLayer && side.geom.ac != 0.0) return Round1(r.sigmaAtDc);
        if (layer == side.tensionLayer && side.geom.at != 0.0) return Round1(r.sigmaAtDt);
        return 0.0;
    };
    c.ss1 = static_cast<float>(layerStress(kLayerOuter));
    c.ss2 = static_cast<float>(layerStress(kLayerInner));
    c.fc = static_cast<float>(Round3(c.sc / std::max<double>(c.sca, 0.001)));
    c.fs1 = static_cast<float>(Round3(std::fabs(c.ss1) / std::max<double>(c.ssa, 0.001)));
    c.fs2 = static_cast<float>(Round3(std::fabs(c.ss2) / std::max<double>(c.ssa, 0.001)));
    c.fs = std::max(c.fs1, c.fs2);
    if (!r.carried) {
        // Nothing in the section can hold the forces (a tensile force and
        // no bars to take it): failed, whatever the stresses would read.
        c.fc = c.fs = kUncarriedRatio;
    }
    c.ngFc = RatioIsNg(c.fc);
    c.ngFs1 = RatioIsNg(c.fs1);
    c.ngFs2 = RatioIsNg(c.fs2);
    c.ngFs = RatioIsNg(c.fs);
}

void UltimateCheck(RcCaseCheck& c, const RcSectionGeom& sec) {
    // Below this the moment cannot be rated against a capacity floored at
    // the same value (kN·m): the axial force alone rates the point.
    constexpr double kMudFloor = 0.1;
    const double m = std::fabs(c.bend.m);
    UltimateResult u;
    UltimateMoment(u, sec, c.gc, c.gs, c.gbm, c.gbc, c.gbs, c.fck, c.fyk, c.ec, c.es,
                   kUltimateConcreteStrain, m, c.bend.n);
    const double gb = std::max<double>(c.gbm, 0.1);
    c.nu = static_cast<float>(u.nu);
    c.mu = static_cast<float>(u.mu);
    c.mud = static_cast<float>(c.mu / gb);
    // Along the line of the forces M / Mu = N / Nu. The capacity belongs
    // to the line with e kept to 0.1 mm (Mu = Nu e'): M is rated against Mu
    // carried over to the force's own eccentricity, or a moment of 0.14
    // kN·m per 1000 kN would read up to half as much again as N / Nu. With
    // no axial force (Nu tiny) the moment rates; with no moment to speak
    // of, N against the capacity on the centroid's line.
    const double nud = std::fabs(static_cast<double>(c.nu)) / gb;
    const double byN = std::fabs(c.bend.n) * c.gi / std::max(nud, 0.001);
    const double eLine = u.nu != 0.0 ? std::fabs(u.mu / u.nu) : 0.0;                      // m
    const double eForce = m / std::max(std::fabs(static_cast<double>(c.bend.n)), 0.001);  // m
    const double mudLine = eLine > 0.0 ? c.mud * eForce / eLine : 0.0;
    const double byM =
        m >= kMudFloor && mudLine > 0.0 ? m * c.gi / std::max(mudLine, kMudFloor) : 0.0;
    c.fm = static_cast<float>(Round3(std::max(byM, byN)));
    c.ngFm = RatioIsNg(c.fm);
}

}  // namespace

void CheckBending(RcPointCheck& point, int checkCase) {
    if (checkCase < 0 || checkCase >= kRcCaseSlots) return;
    RcCaseCheck& c = point.cases[checkCase];
    c.fc = c.fs = c.fs1 = c.fs2 = c.fm = 0.0f;
    c.ngFc = c.ngFs1 = c.ngFs2 = c.ngFs = c.ngFm = 0;
    point.as1 = static_cast<float>(RebarArea(static_cast<int>(point.outer.d1), point.outer.n1) +
                                   RebarArea(static_cast<int>(point.outer.d2), point.outer.n2));
    point.as2 = static_cast<float>(RebarArea(static_cast<int>(point.inner.d1), point.inner.n1) +
                                   RebarArea(static_cast<int>(point.inner.d2), point.inner.n2));
    point.aw = static_cast<float>(RebarArea(static_cast<int>(point.stirrupD), point.stirrupLegs));
    const RcDepths& g = point.set1;
    const RcSideSelection side = SelectTensionSide(c.bend.m, g.h, g.d2, point.as2, g.d1, point.as1);
    c.d = static_cast<float>(side.geom.dt);
    RcSectionGeom sec = side.geom;
    sec.b = point.b;
    sec.h = g.h;
    if (c.sgCK) AllowableStressCheck(c, side, sec);
    if (c.muCK) UltimateCheck(c, sec);
}
