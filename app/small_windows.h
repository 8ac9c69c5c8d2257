// The small windows: the change-history dialog, the splash window, the
// busy figure (a Korvo figure file) and the spring test window, with the
// spring test's calculation as plain functions.
#pragma once
#include <memory>
#include <string>

#include "platform/qt/controls.h"

class TCanvas;
class TEdit;
class TImage;
class TMemo;

// --- change history ---------------------------------------------------------

class TFormVer2 : public TForm {
  public:
    TFormVer2();
    void FormCreate() {}
    TMemo* Memo1 = nullptr;
};
extern TFormVer2* FormVer2;

// Fills the history dialog with the text (CP932, lines split at "\n") and
// shows it without waiting; an open dialog is refilled and stays open.
void ShowChangeHistory(const std::string& text);
// The program's own change history.
void ShowChangeHistory();

// --- splash -----------------------------------------------------------------

// Draws text with an outline: nine times in the outline colour in a 3 x 3
// block of offset `offset` px, then once in the text colour at (x, y).
void DrawOutlinedText(TCanvas& canvas, int x, int y, std::uint32_t textColour,
                      std::uint32_t outlineColour, int fontHeight, int offset,
                      const std::string& text);

class TfmOpening : public TForm {
  public:
    TfmOpening();
    void FormCreate();
    void FormActivate();
    void Image1Click();
    TPanel* Panel1 = nullptr;
    TImage* Image1 = nullptr;
    static constexpr int kBevelWidth = 3;
};
extern TfmOpening* fmOpening;

void ShowSplash();
void HideSplash();

// --- busy figure ------------------------------------------------------------

class TfmBusy : public TForm {
  public:
    TfmBusy();
    void Paint1Paint();
    TPaintBox* Paint1 = nullptr;
};
extern TfmBusy* fmBusy;

// The figure file shown, looked for in the program's folder (ExeFolder).
std::string BusyFigureFileName();
void ShowBusyFigure();

// --- spring test ------------------------------------------------------------
// A member of length L (m) and depth H (m, unit width) resting on springs Kv
// (kN/m per m of length and m of settlement), loaded downwards by WL at its
// left end and WR at its right end (kN); E in kN/m2. Reactions q are kN/m,
// upwards, at the 101 points x = i L / 100.

constexpr int kSpringDivisions = 100;

struct SpringTestInput {
    double L = 2.0, H = 0.3, WL = 100.0, WR = 100.0, E = 2.5e7, Kv = 5.0e4;
};

struct SpringTestCurves {
    double q0[kSpringDivisions + 1] = {};          // first (linear) reaction
    double q1[kSpringDivisions + 1] = {};          // reaction after one iteration
    double settlement[kSpringDivisions + 1] = {};  // m, downwards
};

// Second moment of area of the depth H per unit width: H^3 / 12 (m4).
double SpringTestI(double H);
// The reaction of a rigid member: linear, in equilibrium with WL and WR.
void SpringFirstReaction(const SpringTestInput& in, double q[kSpringDivisions + 1]);
// One iteration: the member's bending under the loads and the reaction q
// gives the settlement shape; the new reaction is Kv times it plus the
// linear part that restores equilibrium of forces and moments.
void SpringIterate(const SpringTestInput& in, const double q[kSpringDivisions + 1],
                   double qNext[kSpringDivisions + 1], double settlement[kSpringDivisions + 1]);

class TfmBaneT : public TForm {
  public:
    TfmBaneT();
    // Reads the edits (L and H at least 0.001 m) and shows I.
    SpringTestInput ReadInputs();
    void Button1Click();
    void Button2Click();
    void Paint1Paint();
    void EditExit(TEdit& edit);
    void EditEnter(TEdit& edit);
    const SpringTestCurves& Curves() const { return curves_; }

    TEdit* Ed_L = nullptr;
    TEdit* Ed_H = nullptr;
    TEdit* EdWL = nullptr;
    TEdit* EdWR = nullptr;
    TEdit* Ed_E = nullptr;
    TEdit* EdKv = nullptr;
    TLabel* lbI = nullptr;
    TPaintBox* Paint1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;

  private:
    SpringTestCurves curves_;
    bool haveFirst_ = false, haveNext_ = false;
};
extern TfmBaneT* fmBaneT;

void ShowSpringTest();
