#include "model/NumericHelpers.h"

#include <cmath>

namespace vesk {

int RoundHalfAway(double x) {
  const double magnitude = std::fabs(x);
  double c = std::ceil(magnitude);
  if (c - magnitude > 0.5) c -= 1.0;
  const int sign = (x > 0) - (x < 0);
  return sign * static_cast<int>(c);
}

double Factorial(int n) {
  double result = 1.0;
  for (int k = 2; k <= n; ++k) result *= k;
  return result;
}

}  // namespace vesk
