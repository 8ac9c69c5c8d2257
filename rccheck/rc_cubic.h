// Cubic roots for the neutral-axis equations of the RC checks.
//
// The equations reach coefficients near 1e9 when the axial force is tiny
// (the eccentricity M/N grows without bound), and Cardano's formula then
// loses the small physical root entirely. The roots here start from
// SolveCubic, take the root of largest magnitude (which Cardano gets
// right), polish it by Newton's method, divide it out and solve the
// remaining quadratic in its cancellation-free form, polishing again.
#pragma once

// The three values in SolveCubic's manner: the real roots, or one real root
// and twice the real part of a complex pair. Returns the number of real
// roots (1 or 3). a must not be 0.
int CubicValues(double a, double b, double c, double d, double values[3]);

// Neutral-axis depth from x³ + b x² + c x + d = 0 (coefficients a..d): the
// three values sorted ascending, each rounded to 3 decimals for the choice
// (when its magnitude is below 1e6); the middle one when it is >= 0, else
// the largest; returned unrounded, at least 0.001.
double SmallestCubicRoot(double a, double b, double c, double d);

// The largest of the three values, unrounded, at least 0.001.
double LargestCubicRoot(double a, double b, double c, double d);

// v with its magnitude raised to at least m, sign kept (0 gives +m).
double AtLeastMagnitude(double m, double v);
