#include "rccheck/rc_ultimate.h"

#include <algorithm>
#include <cmath>

#include "model/numeric.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_cubic.h"

namespace {

// The section as the ultimate state sees it. Depths are from the face the
// moment compresses; forces in N, compression positive.
struct Section {
    double b, h, dc, dt, ac, at;
    double fcd, fyd, es, ecu;
};

// Internal forces of one ultimate state.
struct Forces {
    double c = 0, yc = 0;   // concrete block resultant and its depth
    double sc = 0, st = 0;  // bar stresses at dc and at dt
    double n = 0;           // resultant
    // Moment of the forces about the depth y (the line of the axial force).
    double About(const Section& s, double y) const {
        return c * (yc - y) + s.ac * sc * (s.dc - y) + s.at * st * (s.dt - y);
    }
};

// The ultimate state with the neutral axis x (mm) from the crushed face:
// that face at εcu, the block 0.68 f'cd b x at 0.4 x but never deeper than
// the section (0.85 f'cd over a depth of at most h), the bars elastic up to
// ±fyd. farFace crushes the face opposite the one the moment compresses.
Forces StateAt(const Section& s, double x, bool farFace) {
    Forces f;
    const double a = std::min(0.8 * x, s.h);
    f.c = 0.85 * s.fcd * s.b * a;
    f.yc = farFace ? s.h - a / 2.0 : a / 2.0;
    const auto stress = [&](double depth) {
        const double fromFace = farFace ? s.h - depth : depth;
        return std::clamp(s.es * s.ecu * (x - fromFace) / x, -s.fyd, s.fyd);
    };
    f.sc = stress(s.dc);
    f.st = stress(s.dt);
    f.n = f.c + s.ac * f.sc + s.at * f.st;
    return f;
}

// The ultimate state along the line of the axial force n (N) at depth yN:
// the neutral axis at which the internal forces pass through that line
// with a resultant of the same sign as n. Of several, the one reached at
// the smallest load factor. False when there is none.
bool SolveState(const Section& s, double n, double yN, bool farFace, double& x, Forces& out) {
    // Beyond xHigh every stress has reached its limit or its asymptote.
    const double xLow = 1e-6 * s.h;
    const double xHigh = 1e4 * s.h;
    constexpr int kSteps = 48;
    const double ratio = std::pow(xHigh / xLow, 1.0 / kSteps);
    const auto g = [&](double at) { return StateAt(s, at, farFace).About(s, yN); };
    bool found = false;
    double bestFactor = 0.0;
    double xa = xLow;
    double ga = g(xa);
    for (int i = 1; i <= kSteps; ++i) {
        const double xb = i == kSteps ? xHigh : xa * ratio;
        const double gb = g(xb);
        if ((ga < 0.0) != (gb < 0.0) || gb == 0.0) {
            // False position with the Illinois step, and a halving every
            // fourth step, down to a width far below a micrometre.
            double lo = xa, hi = xb, glo = ga, ghi = gb;
            int kept = 0;
            for (int k = 0; k < 200 && hi - lo > 1e-12 * hi && ghi != 0.0; ++k) {
                double mid = k % 4 == 3 ? 0.5 * (lo + hi) : (lo * ghi - hi * glo) / (ghi - glo);
                if (!(mid > lo && mid < hi)) mid = 0.5 * (lo + hi);
                const double gm = g(mid);
                if (gm != 0.0 && (gm < 0.0) == (glo < 0.0)) {
                    lo = mid, glo = gm;
                    if (kept == -1) ghi *= 0.5;
                    kept = -1;
                } else {
                    hi = mid, ghi = gm;
                    if (kept == 1) glo *= 0.5;
                    kept = 1;
                }
            }
            const Forces f = StateAt(s, hi, farFace);
            const double factor = f.n / n;
            if (factor > 0.0 && (!found || factor < bestFactor)) {
                found = true;
                bestFactor = factor;
                x = hi;
                out = f;
            }
        }
        xa = xb;
        ga = gb;
    }
    return found;
}

// A tensile force between the layers with the concrete cracked through:
// the lever rule shares it, and the first layer to yield ends it.
bool BarsOnly(const Section& s, double yN, Forces& out) {
    if (s.ac < 1.0 || s.at < 1.0 || !(yN > s.dc && yN < s.dt)) return false;
    const double span = s.dt - s.dc;
    const double capacity =
        std::min(s.ac * s.fyd * span / (s.dt - yN), s.at * s.fyd * span / (yN - s.dc));
    out = Forces{};
    out.sc = -capacity * (s.dt - yN) / span / s.ac;
    out.st = -capacity * (yN - s.dc) / span / s.at;
    out.n = -capacity;
    return true;
}

}  // namespace

void UltimateMoment(UltimateResult& r, const RcSectionGeom& sec, double gc, double gs, double gb,
                    double gbc, double gbs, double fck, double fyk, double ec, double es,
                    double ecu, double m, double n) {
    r = UltimateResult{};
    r.gc = gc, r.gs = gs, r.gb = gb, r.gbc = gbc, r.gbs = gbs;
    r.fck = fck, r.fyk = fyk, r.ec = ec, r.es = es, r.ecu = ecu, r.m = m;
    // 1. Floors: a zero section or material (an unset slot) must not give NaN.
    const double b = std::max(sec.b, 1.0);
    const double h = std::max(sec.h, 1.0);
    n = AtLeastMagnitude(0.001, n);
    r.n = n;
    es = std::max(es, 1.0);
    ec = std::max(ec, 1.0);
    r.label = "(エラー)"_sj;
    const double ac = sec.ac, at = sec.at, dt = sec.dt;
    double dc = sec.dc;
    // 2. Eccentricity in mm (negative under tension); design strengths.
    r.e = Round1(std::fabs(m) * 1000.0 / n);
    const double e = r.e;
    const double fcd = std::max(fck / std::max(gc, 0.1), 1.0);
    const double fyd = fyk / std::max(gs, 0.1);
    r.fcd = fcd, r.fyd = fyd;
    // 3. Axial force only: the force acts at the centroid (e = 0) and the
    // capacity comes from the same search as any other line of force, so
    // that nothing jumps as a small moment appears.
    const bool axialOnly = std::fabs(m) < 0.001;
    if (ac < 1.0) dc = 0.0;
    r.eyd = fyk / es;
    // 6. Balanced state and the centroid of the transformed section.
    const double xb = Round1(ecu / (fyd / es + ecu) * dt);
    r.nb = AtLeastMagnitude(1.0, ac * fyd + 0.68 * fcd * b * xb - at * fyd);
    r.modular = es / ec;
    const double nm = r.modular;
    r.yg = Round1((nm * at * dt + nm * ac * dc + b * h * h / 2.0) / (nm * at + nm * ac + b * h));
    const double yg = r.yg;
    r.mb = (dt - yg) * at * fyd + (yg - dc) * ac * fyd + 0.68 * fcd * b * xb * (yg - 0.4 * xb);
    r.eb = Round1(r.mb / r.nb);
    // 7. Eccentricity from the tension bars; the force acts at depth yN.
    r.e2 = Round1(e + dt - yg);
    const double yN = dt - r.e2;
    // 8. The ultimate state by strain compatibility.
    const Section s{b, h, dc, dt, ac, at, fcd, fyd, es, ecu};
    const double force = n * 1000.0;
    // Of the states that carry the line (the face M compresses crushing,
    // the bars alone between the layers, the other face crushing) the one
    // reached at the smallest load factor ends the loading.
    Forces f;
    int kind = 0;  // 0 none, 1 near face, 2 bars alone, 3 far face
    double bestFactor = 0.0;
    const auto offer = [&](const Forces& g, double x, int k) {
        const double factor = g.n / force;
        if (!(factor > 0.0) || (kind != 0 && factor >= bestFactor)) return;
        f = g, r.x = x, kind = k, bestFactor = factor;
    };
    Forces g;
    double x = 0.0;
    if (SolveState(s, force, yN, false, x, g)) offer(g, x, 1);
    if (force < 0.0 && BarsOnly(s, yN, g)) offer(g, 0.0, 2);
    if (SolveState(s, force, yN, true, x, g)) offer(g, x, 3);
    if (kind == 1) {
        if (f.st > -fyd)
            r.label = "② コンクリート圧縮の破壊"_sj;
        else if (f.sc >= fyd)
            r.label = "③-(1) 鉄筋の引張破壊で圧縮鉄筋が降伏している   ε's≧ε'yd"_sj;
        else
            r.label = "③-(2) 鉄筋の引張破壊で圧縮鉄筋は降伏していない ε's＜ε'yd"_sj;
    } else if (kind == 2) {
        r.label = "④ 全断面が引張となる場合（鉄筋のみで抵抗）"_sj;
    } else if (kind == 3) {
        r.label = "⑤ 反対側の縁が圧縮となる場合"_sj;
    } else {
        // No state carries this line (a tensile force off the only layer of
        // bars with no concrete to balance it): no capacity.
        f = Forces{};
    }
    if (axialOnly) r.label = "① 軸力のみが作用する場合"_sj;
    r.sigmaComp = f.sc;
    r.sigmaTens = f.st;
    // 9. The capacity: the resultant, and its moment about the centroid
    // (which, the forces passing through yN, is Nu times the eccentricity).
    r.nu = f.n * 0.001;
    r.mu = std::max(-f.About(s, yg) * 1e-6, -0.1);
}
