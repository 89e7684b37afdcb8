#pragma once

namespace vesk {

// Nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3).
int RoundHalfAway(double x);

// n! in double precision; 1 for n <= 0.
double Factorial(int n);

}  // namespace vesk
