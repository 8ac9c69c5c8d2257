#include "app/small_windows.h"

#include <algorithm>
#include <cmath>

#include "app/change_history.h"
#include "app/grid_helpers.h"
#include "app/main_window.h"
#include "model/text_helpers.h"
#include "platform/paths.h"
#include "platform/qt/bitmap.h"
#include "platform/qt/memo.h"
#include "platform/sjis_literal.h"
#include "report/figure_file.h"

TFormVer2* FormVer2 = nullptr;
TfmOpening* fmOpening = nullptr;
TfmBusy* fmBusy = nullptr;
TfmBaneT* fmBaneT = nullptr;

// --- change history -----------------------------------------------------------

TFormVer2::TFormVer2() {
    SetCaption("変更履歴"_sj);
    SetFormDialogBorder(*this);
    SetFormClientSize(*this, 784, 629);
    Memo1 = MakeControl<TMemo>(this);
    Memo1->SetAlign(alClient);
    Memo1->SetReadOnly(true);
    Memo1->SetColor(10478843);
    Memo1->SetFont("ＭＳ ゴシック"_sj, 13);
    Realign();
    CenterOnScreen();
    FormCreate();
}

void ShowChangeHistory(const std::string& text) {
    if (!FormVer2) FormVer2 = new TFormVer2;
    FormVer2->Memo1->SetText(text);
    FormVer2->Memo1->ScrollToTop();
    FormVer2->Show();
    BringFormToFront(*FormVer2);
}

void ShowChangeHistory() { ShowChangeHistory(ChangeHistoryText()); }

// --- splash ---------------------------------------------------------------------

void DrawOutlinedText(TCanvas& canvas, int x, int y, std::uint32_t textColour,
                      std::uint32_t outlineColour, int fontHeight, int offset,
                      const std::string& text) {
    canvas.SetBrushStyle(bsClear);
    canvas.SetFontHeight(fontHeight);
    canvas.SetFontColor(outlineColour);
    for (int i = 0; i < 9; ++i)
        canvas.TextOut(x + offset * (i % 3 - 1), y + offset * (i / 3 - 1), text);
    canvas.SetFontColor(textColour);
    canvas.TextOut(x, y, text);
}

namespace {

constexpr int kSplashWidth = 480;
constexpr int kSplashHeight = 270;

// The splash picture: a sky, a ground line and a two-bay frame with its
// moment diagram, drawn rather than stored.
void DrawSplashPicture(TBitmap& picture) {
    picture.SetSize(kSplashWidth, kSplashHeight);
    TCanvas& c = picture.Canvas();
    constexpr int kBeamY = 138;  // below the version date
    c.SetPenStyle(psClear);
    for (int y = 0; y < kSplashHeight; y += 6) {
        const int t = 255 - y * 90 / kSplashHeight;
        c.SetBrushColor(static_cast<std::uint32_t>(0xFF0000 | (t << 8) | (t * 3 / 4)));
        c.FillRect({0, y, kSplashWidth, y + 6});
    }
    c.SetPenStyle(psSolid);
    c.SetPenColor(0x205020);
    c.SetPenWidth(2);
    c.MoveTo(20, 200);
    c.LineTo(460, 200);
    c.SetPenColor(0x303030);
    c.SetPenWidth(4);
    const int xs[3] = {110, 250, 390};
    for (int x : xs) {
        c.MoveTo(x, 200);
        c.LineTo(x, kBeamY);
    }
    c.MoveTo(110, kBeamY);
    c.LineTo(390, kBeamY);
    c.SetPenColor(0x0000C0);
    c.SetPenWidth(1);
    // Parabolic moment diagram over each bay.
    for (int bay = 0; bay < 2; ++bay) {
        const int x0 = xs[bay], x1 = xs[bay + 1];
        c.MoveTo(x0, kBeamY);
        for (int k = 1; k <= 20; ++k) {
            const double t = k / 20.0;
            const int depth = static_cast<int>(std::lround(4 * 28 * t * (1 - t) - 10));
            c.LineTo(x0 + static_cast<int>((x1 - x0) * t), kBeamY + depth);
        }
    }
    c.SetBrushColor(0x303030);
    for (int x : xs) {
        const TPoint tri[3] = {{x, 200}, {x - 8, 212}, {x + 8, 212}};
        c.Polygon(tri, 3);
    }
}

}  // namespace

TfmOpening::TfmOpening() {
    SetFormBorderless(*this, true);
    Panel1 = MakeControl<TPanel>(this);
    Panel1->SetAlign(alClient);
    Image1 = MakeControl<TImage>(Panel1);
    Image1->OnClick = [this] { Image1Click(); };
    DrawSplashPicture(Image1->Picture());
    FormCreate();
}

void TfmOpening::FormCreate() {
    // The picture sits inside the lowered bevel.
    Image1->AutoSizeToPicture();
    Image1->SetBounds(2 * kBevelWidth, 2 * kBevelWidth, Image1->Picture().Width(),
                      Image1->Picture().Height());
    Panel1->SetColor(0x808080);
    SetFormClientSize(*this, Image1->Picture().Width() + 4 * kBevelWidth,
                      Image1->Picture().Height() + 4 * kBevelWidth);
    Realign();
    CenterOnScreen();
}

void TfmOpening::FormActivate() {
    TCanvas& c = Image1->Picture().Canvas();
    TFontSpec font;
    font.face = "ＭＳ Ｐゴシック"_sj;
    c.SetFont(font);
    DrawOutlinedText(c, 12, 25, 0x800000, 0xFFFFFF, 38, 2, "平面フレーム構造解析"_sj);
    DrawOutlinedText(c, 280, 100, 0x00FFFF, 0x000000, 20, 1, VersionDateOf(ChangeHistoryText()));
    DrawOutlinedText(c, 60, 220, 0x800000, 0xFFFFFF, 28, 1, "(株)ケー・ブイ・ディー"_sj);
    c.Flush();
    Image1->Repaint();
}

void TfmOpening::Image1Click() { HideForm(*this); }

void ShowSplash() {
    if (!fmOpening) fmOpening = new TfmOpening;
    fmOpening->Show();
    fmOpening->FormActivate();
}

void HideSplash() {
    if (fmOpening) HideForm(*fmOpening);
}

// --- busy figure ---------------------------------------------------------------

TfmBusy::TfmBusy() {
    SetCaption("fmBusy");
    SetFormClientSize(*this, 657, 398);
    Paint1 = MakeControl<TPaintBox>(this);
    Paint1->SetAlign(alClient);
    Paint1->OnPaint = [this] { Paint1Paint(); };
    Realign();
}

std::string BusyFigureFileName() {
    // The program's folder as the main window took it at start-up.
    return (ExeFolder.empty() ? GetExeFolder() : ExeFolder) + "形状寸法２.KRV"_sj;
}

void TfmBusy::Paint1Paint() {
    TBitmap& b = Paint1->Bitmap();
    b.SetSize(std::max(Paint1->Width(), 1), std::max(Paint1->Height(), 1));
    // The background also stands behind the notice of a missing file.
    TCanvas& c = Paint1->Canvas();
    c.SetBrushStyle(bsSolid);
    c.SetBrushColor(0xD0E0E0);
    c.FillRect({0, 0, b.Width(), b.Height()});
    DrawFigureFileFitted(&Paint1->Canvas(), 0xD0E0E0, BusyFigureFileName());
    Paint1->Canvas().Flush();
}

void ShowBusyFigure() {
    if (!fmBusy) fmBusy = new TfmBusy;
    fmBusy->Show();
    fmBusy->Paint1Paint();
}

// --- spring test -----------------------------------------------------------------

double SpringTestI(double H) { return H * H * H / 12.0; }

void SpringFirstReaction(const SpringTestInput& in, double q[kSpringDivisions + 1]) {
    // q = a + b x with  integral q = WL + WR  and  integral q x = WR L.
    const double qLeft = (4 * in.WL - 2 * in.WR) / in.L;
    const double qRight = (4 * in.WR - 2 * in.WL) / in.L;
    for (int i = 0; i <= kSpringDivisions; ++i)
        q[i] = qLeft + (qRight - qLeft) * i / kSpringDivisions;
}

void SpringIterate(const SpringTestInput& in, const double q[kSpringDivisions + 1],
                   double qNext[kSpringDivisions + 1], double settlement[kSpringDivisions + 1]) {
    const int n = kSpringDivisions;
    const double h = in.L / n;
    const double EI = in.E * SpringTestI(in.H);
    // Shear V (downward load on the left of the cut) and sagging moment M
    // from the left end, then the settlement shape s with s'' = -M / EI,
    // all by the trapezoid rule; s and s' start at 0 (the rigid part of the
    // settlement is fixed by equilibrium below).
    double V = -in.WL, M = 0, slope = 0, s = 0;
    double kappa = 0;  // -M / EI at the previous point
    double elastic[kSpringDivisions + 1];
    elastic[0] = 0;
    for (int i = 1; i <= n; ++i) {
        const double Vnew = V + (q[i - 1] + q[i]) / 2 * h;
        const double Mnew = M + (V + Vnew) / 2 * h;
        const double kappaNew = -Mnew / EI;
        const double slopeNew = slope + (kappa + kappaNew) / 2 * h;
        s += (slope + slopeNew) / 2 * h;
        V = Vnew;
        M = Mnew;
        kappa = kappaNew;
        slope = slopeNew;
        elastic[i] = s;
    }
    // Equilibrium correction: qNext = Kv s + a + b x with the force and the
    // moment about the left end matching the loads. The linear part is
    // integrated exactly (so without springs the rigid reaction returns),
    // the settlement by Simpson's rule (n is even).
    const double sw = in.L, swx = in.L * in.L / 2, swxx = in.L * in.L * in.L / 3;
    double sq = 0, sqx = 0;
    for (int i = 0; i <= n; ++i) {
        const double w = (i == 0 || i == n) ? h / 3 : (i % 2 ? 4 * h / 3 : 2 * h / 3);
        sq += w * in.Kv * elastic[i];
        sqx += w * i * h * in.Kv * elastic[i];
    }
    const double F = in.WL + in.WR - sq;
    const double Mo = in.WR * in.L - sqx;
    const double det = sw * swxx - swx * swx;
    const double a = (F * swxx - Mo * swx) / det;
    const double b = (sw * Mo - swx * F) / det;
    for (int i = 0; i <= n; ++i) {
        const double x = i * h;
        qNext[i] = in.Kv * elastic[i] + a + b * x;
        // The settlement that carries qNext; without springs only the shape.
        settlement[i] = in.Kv > 0 ? qNext[i] / in.Kv : elastic[i];
    }
}

namespace {

TEdit* AddEdit(TfmBaneT& form, const std::string& caption, const std::string& text, int tag,
               int row) {
    auto* label = form.MakeControl<TLabel>(&form, caption);
    label->SetBounds(10, 12 + row * 30, 90, 22);
    auto* edit = form.MakeControl<TEdit>(&form, text);
    edit->SetBounds(100, 10 + row * 30, 110, 24);
    edit->Tag = tag;
    return edit;
}

}  // namespace

TfmBaneT::TfmBaneT() {
    SetCaption("fmBaneT");
    SetFormClientSize(*this, 760, 420);
    // Tags: width * 10 + decimals for the re-formatting on exit.
    Ed_L = AddEdit(*this, "部材長 (m)"_sj, "   2.000", 83, 0);
    Ed_H = AddEdit(*this, "断面高 (m)"_sj, "   0.300", 83, 1);
    EdWL = AddEdit(*this, "左荷重 (kN)"_sj, "   100.0", 81, 2);
    EdWR = AddEdit(*this, "右荷重 (kN)"_sj, "   100.0", 81, 3);
    Ed_E = AddEdit(*this, "ヤング"_sj, "25000000", 0, 4);
    EdKv = AddEdit(*this, "Kv"_sj, "50000", 0, 5);
    lbI = MakeControl<TLabel>(this, "");
    lbI->SetBounds(10, 200, 200, 22);
    Button1 = MakeControl<TButton>(this, "初期反力"_sj);
    Button1->SetBounds(10, 240, 95, 30);
    Button1->OnClick = [this] { Button1Click(); };
    Button2 = MakeControl<TButton>(this, "反復計算"_sj);
    Button2->SetBounds(115, 240, 95, 30);
    Button2->OnClick = [this] { Button2Click(); };
    Paint1 = MakeControl<TPaintBox>(this);
    Paint1->SetBounds(220, 10, 530, 400);
    Paint1->OnPaint = [this] { Paint1Paint(); };
    TEdit* edits[6] = {Ed_L, Ed_H, EdWL, EdWR, Ed_E, EdKv};
    for (TEdit* e : edits) {
        e->OnExit = [this, e] { EditExit(*e); };
        e->OnEnterKey = [this, e] { EditEnter(*e); };
    }
    ReadInputs();
}

SpringTestInput TfmBaneT::ReadInputs() {
    SpringTestInput in;
    in.L = std::max(TextToDouble(Ed_L->Text()), 0.001);
    in.H = std::max(TextToDouble(Ed_H->Text()), 0.001);
    in.WL = TextToDouble(EdWL->Text());
    in.WR = TextToDouble(EdWR->Text());
    // A member without stiffness bends without bound; 1 kN/m2 keeps the
    // iteration finite and shows the effect plainly.
    in.E = std::max(TextToDouble(Ed_E->Text()), 1.0);
    in.Kv = std::max(TextToDouble(EdKv->Text()), 0.0);
    const double limit = 1e12;  // typing slips give huge numbers, not overflow
    for (double* v : {&in.L, &in.H, &in.WL, &in.WR, &in.E, &in.Kv})
        if (!(std::fabs(*v) <= limit)) *v = *v < 0 ? -limit : limit;
    lbI->SetCaption("I = "_sj + FormatStr("%0.6f", SpringTestI(in.H)));
    return in;
}

void TfmBaneT::Button1Click() {
    SpringFirstReaction(ReadInputs(), curves_.q0);
    haveFirst_ = true;
    haveNext_ = false;
    Paint1Paint();
}

void TfmBaneT::Button2Click() {
    if (!haveFirst_) SpringFirstReaction(ReadInputs(), curves_.q0);
    haveFirst_ = true;
    SpringIterate(ReadInputs(), curves_.q0, curves_.q1, curves_.settlement);
    haveNext_ = true;
    Paint1Paint();
}

void TfmBaneT::Paint1Paint() {
    TCanvas& c = Paint1->Canvas();
    const int w = std::max(Paint1->Width(), 40), h = std::max(Paint1->Height(), 40);
    c.SetPenStyle(psSolid);
    c.SetBrushStyle(bsSolid);
    c.SetBrushColor(0xFFFFFF);
    c.FillRect({0, 0, w, h});
    const int left = 20, right = w - 20, base = h / 3;
    c.SetPenColor(0);
    c.SetPenWidth(3);
    c.MoveTo(left, base);
    c.LineTo(right, base);
    double qMax = 1e-9;
    for (int i = 0; i <= kSpringDivisions; ++i) {
        if (haveFirst_) qMax = std::max(qMax, std::fabs(curves_.q0[i]));
        if (haveNext_) qMax = std::max(qMax, std::fabs(curves_.q1[i]));
    }
    // Reactions drawn below the member, the largest 55 % of the height down.
    const double scale = (h - base - 20) / qMax;
    auto curve = [&](const double* q, std::uint32_t colour) {
        c.SetPenColor(colour);
        c.SetPenWidth(1);
        for (int i = 0; i <= kSpringDivisions; ++i) {
            const int x = left + (right - left) * i / kSpringDivisions;
            const int y = base + static_cast<int>(std::lround(q[i] * scale));
            if (i == 0)
                c.MoveTo(x, y);
            else
                c.LineTo(x, y);
        }
    };
    if (haveFirst_) curve(curves_.q0, 0xC00000);
    if (haveNext_) curve(curves_.q1, 0x0000FF);
    c.Flush();
}

void TfmBaneT::EditExit(TEdit& edit) { edit.SetText(FormatTextByTag(edit.Text(), edit.Tag)); }

void TfmBaneT::EditEnter(TEdit& edit) {
    EditExit(edit);
    TEdit* order[6] = {Ed_L, Ed_H, EdWL, EdWR, Ed_E, EdKv};
    for (int i = 0; i < 6; ++i)
        if (order[i] == &edit) order[(i + 1) % 6]->SetFocus();
    Button1Click();
    Button2Click();
}

void ShowSpringTest() {
    if (!fmBaneT) fmBaneT = new TfmBaneT;
    fmBaneT->Show();
}
