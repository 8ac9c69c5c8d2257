// Numeric helpers of the whole program: safe square root and arctangent,
// rounding to fixed decimals, small dense matrix routines, determinants and
// Cramer's rule, the dense Gauss solver of the stiffness equations, a cubic
// solver, a least-squares polynomial fit, plane geometry and interpolation.
//
// All arithmetic is in doubles. Matrices are dense, row-major arrays owned
// by the caller: element (i, j) of an r x c matrix is at i * c + j, rows and
// columns counted from 0. No routine keeps state between calls.
#pragma once
#include <cstdio>

// +1 for x >= 0 (0 included), -1 otherwise.
double Sign(double x);

// x^y with the small integer powers 0..3 by multiplication.
double PowerFast(double x, double y);

// 0 for a negative or NaN argument, the square root otherwise.
double SafeSqrt(double x);

// Angle of (x, y) in radians, 0 when both are 0.
double SafeAtan2(double y, double x);

void SwapDouble(double& a, double& b);
void SwapInt(int& a, int& b);

// Exchange sort of n floats: ascending, or descending when direction < 0.
void SortFloats(float* values, int n, int direction);

// dst (b x a) = transpose of src (a x b). dst must not overlap src.
void MatTranspose(double* dst, const double* src, int a, int b);

// Copies a x b doubles.
void MatCopy(double* dst, const double* src, int a, int b);

// R (n x p) = A (n x m) * B (m x p). Each element is clamped to +/-1e88 and
// a magnitude below 1e-88 becomes 0. R must not overlap A or B.
void MatMultiply(double* R, const double* A, const double* B, int n, int m, int p);

// Copies the n x m src without the given row and column into the
// (n - 1) x (m - 1) dst. Returns n; 0, with nothing copied, for n <= 0 or a
// row or column outside the matrix.
int MatMinor(double* dst, const double* src, int n, int m, int row, int column);

// Determinant by cofactor expansion along row 0 with stack buffers; meant for
// n <= 5 (a larger n is handed to Determinant). 0 for n <= 0.
double DeterminantSmall(const double* A, int n);

// Determinant of the n x n matrix A: A[0] for n == 1, cofactor expansion
// otherwise. Cost grows as n!, so keep n small. 0 for n <= 0.
double Determinant(const double* A, int n);

// Cramer's rule: x = A^-1 b for the n x n matrix A. x is all 0 when
// |det A| < 1e-29.
void SolveCramer(double* x, const double* A, const double* b, int n);

// Gauss elimination without row exchanges on the n x n matrix A, in place
// (A and b are overwritten; nothing is allocated). A pivot below 1e-9 in
// magnitude is repaired by adding the following rows, one at a time, to the
// pivot row; a row whose multiplier is 1e-9 or less is not eliminated. Back
// substitution sums A(i, j) x(j) for j = i+1 .. n-1 in increasing j. Any
// faster solver must keep this order of operations to give the same bits.
// Returns false when the system is singular or x, A or b is null (n > 0);
// x then holds nothing meaningful. n == 0 is an empty system: true.
bool SolveGauss(double* x, double* A, double* b, int n);

// Diagnostic listing of A (n x n) and b into file; any of file, A, b and
// title may be null (no file: nothing written).
void DumpMatrix(std::FILE* file, const double* A, const double* b, int n, const char* title);

// Least-squares polynomial of the given order through count points
// (xs[k], ys[k]); coefficients[0..order], constant term first. When the
// normal equations are (nearly) singular, every coefficient is 0 except the
// constant term, which takes the y of the second point.
void FitPolynomial(double* coefficients, int order, const double* xs, const double* ys, int count);

// Roots of a x^3 + b x^2 + c x + d = 0 by Cardano's method. root1 is always
// real. When the other two are complex, root2 = root3 is their real part and
// imaginary1 = -imaginary2 > 0 their imaginary parts; otherwise both
// imaginary parts are 0.
void SolveCubic(double& root1, double& root2, double& root3, double& imaginary1, double& imaginary2,
                double a, double b, double c, double d);

// Rounding to k decimals by adding 0.49999 (not 0.5: Round0(2.5) is 2) and
// truncating toward zero. Never returns -0.
double Round0(double x);
double Round1(double x);
double Round2(double x);
double Round3(double x);
double Round5(double x);
double Round9(double x);

// Distance between two points.
double Distance(double x1, double y1, double x2, double y2);

// Distance of p from the segment a-b.
double DistanceToSegment(double px, double py, double ax, double ay, double bx, double by);

// Crossing of the line through c-d with the line of a-b. Returns 0 when they
// do not cross (x, y untouched), else 16 * P + S with P the position along
// a-b (1 before a, 2 between a and b, 3 beyond b) and S the side code of c-d
// (2 when c and d lie on both sides or on the line, 1 when both lie on one
// side with c the nearer, 3 when d is the nearer); (x, y) is the crossing.
int IntersectSegments(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                      double dy, double& x, double& y);

// Linear interpolation at x between (x1, y1) and (x2, y2); the mean of y1 and
// y2 when x1 and x2 are within 1e-6.
double Interpolate(double x1, double y1, double x2, double y2, double x);
