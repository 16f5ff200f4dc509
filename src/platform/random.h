// The program's one random generator: Park-Miller minimal standard (multiplier 48271) on a
// 31-bit state, computed by Schrage's method. A given seed always gives the same sequence.
#pragma once

namespace platform {

// Sets the state to the low 31 bits of seed; all zeros or all ones give the start state 4660.
void SeedRnd(int seed);
// The current state, for tests and for saving.
int RndState();
// Uniform real between a and b (either order).
double Rnd(double a = 1.0, double b = 0.0);
// Uniform integer between a and b inclusive (either order).
int Rand(int a, int b);

// Degree-based trigonometry and the small number helpers of the layer.
double Sin(double degrees);
double Cos(double degrees);

}  // namespace platform
