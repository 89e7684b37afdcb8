#pragma once

namespace vesk {

// The ratio of a circle's circumference to its diameter, to double precision.
inline constexpr double kPi = 3.141592653589793;

// Nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3).
int RoundHalfAway(double x);

// n! in double precision; 1 for n <= 0.
double Factorial(int n);

}  // namespace vesk
