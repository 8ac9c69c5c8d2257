#include "rccheck/rc_ultimate.h"

#include <algorithm>
#include <cmath>

#include "model/numeric.h"
#include "platform/sjis_literal.h"
#include "rccheck/rc_cubic.h"

namespace {

// The larger root of x² + k2 x + k1 = 0 without cancellation; 0.001 when
// there is no real root, and never below 0.001.
double LargerQuadraticRoot(double k2, double k1) {
    const double disc = k2 * k2 - 4.0 * k1;
    if (!(disc >= 0.0)) return 0.001;
    const double s = std::sqrt(disc);
    double x;
    if (k2 >= 0.0) {
        const double den = k2 + s;
        x = den != 0.0 ? -2.0 * k1 / den : 0.0;
    } else {
        x = (-k2 + s) / 2.0;
    }
    return std::isfinite(x) && x > 0.001 ? x : 0.001;
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
    // 3. Axial force only.
    if (std::fabs(m) < 0.001) {
        r.label = "① 軸力のみが作用する場合"_sj;
        r.nu = (n >= 0.0 ? 0.85 * fcd * b * h + fyd * (ac + at) : -fyd * (ac + at)) * 0.001;
        r.mu = 0.001;
        return;
    }
    // 4.-5.
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
    // 7. Eccentricity from the tension bars.
    r.e2 = Round1(e + dt - yg);
    const double e2 = r.e2;
    const double c0 = 0.272 * fcd * b;
    const double k2 = (e2 - dt) * 0.68 * fcd * b / c0;
    const double block = 0.68 * fcd * b;
    double x, nu, mu;
    if (e >= 0.0 && e < r.eb) {
        // 8. Concrete crushes first: compression bars at fyd, tension bars elastic.
        r.label = "② コンクリート圧縮の破壊"_sj;
        const double k1 = ((at * es * ecu + ac * fyd) * e2 - (dt - dc) * ac * fyd) / c0;
        const double k0 = -at * es * ecu * e2 * dt / c0;
        r.coef[0] = 1, r.coef[1] = k2, r.coef[2] = k1, r.coef[3] = k0;
        CubicValues(1.0, k2, k1, k0, r.roots);
        x = LargestCubicRoot(1.0, k2, k1, k0);
        const double ss = (dt - x) * es * ecu / x;
        nu = ac * fyd + block * x - at * ss;
        mu = (dt - yg) * at * ss + (yg - dc) * ac * fyd + block * x * (yg - 0.4 * x);
    } else {
        // 9. Tension bars yield; first assume the compression bars yield too.
        r.label = "③-○鉄筋の引張破壊のケース"_sj;
        const double k1q = ((ac * fyd - at * fyd) * e2 - (dt - dc) * ac * fyd) / c0;
        const double xq = LargerQuadraticRoot(k2, k1q);
        r.esQuadratic = (xq - dc) / xq * ecu;
        if (e < 0.0 || r.esQuadratic < r.eyd) {
            r.label = "③-(2) 鉄筋の引張破壊で圧縮鉄筋は降伏していない ε's＜ε'yd"_sj;
            const double k1 = ((ac * es * ecu - at * fyd) * e2 - (dt - dc) * ac * es * ecu) / c0;
            const double k0 = -ac * es * ecu * dc * (e2 - (dt - dc)) / c0;
            r.coef[0] = 1, r.coef[1] = k2, r.coef[2] = k1, r.coef[3] = k0;
            CubicValues(1.0, k2, k1, k0, r.roots);
            x = SmallestCubicRoot(1.0, k2, k1, k0);
            r.esCubic = (x - dc) / x * ecu;
            const double ssc = std::min(fyd, (x - dc) * es * ecu / x);
            nu = ac * ssc + block * x - at * fyd;
            mu = (dt - yg) * at * fyd + (yg - dc) * ac * ssc + block * x * (yg - 0.4 * x);
        } else {
            r.label = "③-(1) 鉄筋の引張破壊で圧縮鉄筋が降伏している   ε's≧ε'yd"_sj;
            r.coef[0] = 0, r.coef[1] = 1, r.coef[2] = k2, r.coef[3] = k1q;
            x = xq;
            nu = ac * fyd + block * x - at * fyd;
            mu = (dt - yg) * at * fyd + (yg - dc) * ac * fyd + block * x * (yg - 0.4 * x);
        }
    }
    // 10. kN and kN·m.
    r.x = x;
    r.nu = nu * 0.001;
    r.mu = std::max(mu * 1e-6, -0.1);
}
