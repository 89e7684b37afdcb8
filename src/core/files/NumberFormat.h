#pragma once

// files/: the data files on disk: the one number conversion, coordinate,
// calibration, shooting-geometry, correction-table and project files, their
// bounded readers and atomic writers, and the workspaces' path-name rules.
// Includes common/, model/ and the standard library (POSIX for files).

#include <optional>
#include <string>
#include <string_view>

namespace vesk {

// The one rule by which every number of every data file and dialog field is
// read and written. The decimal separator is always passed in: core never
// takes it from the process's global locale.
struct NumberFormat {
  char DecimalSeparator = '.';

  static NumberFormat Dot() { return NumberFormat{'.'}; }
  static NumberFormat Comma() { return NumberFormat{','}; }
};

// Reads optional blanks, an optional sign, digits with an optional fraction
// after the separator, an optional exponent, optional blanks. Only the space
// counts as a blank. Anything else, and a result that is not finite, fails.
std::optional<double> TryParseNumber(std::string_view text, const NumberFormat& format);

// As TryParseNumber; a failure raises VeskError naming the text.
double ParseNumber(std::string_view text, const NumberFormat& format);

// General form with at most 15 significant digits: 2, 1,5, -0,125, 0,0001;
// exponent form (1,5E-7, 9E-5, 1E20) below 0.0001 in magnitude or beyond 15
// integer digits. A value that is not finite raises VeskError.
std::string FormatNumber(double value, const NumberFormat& format);

}  // namespace vesk
