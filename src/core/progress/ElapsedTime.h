#pragma once

#include <string>

namespace vesk {

// A wall-clock time of day, milliseconds dropped.
struct TimeOfDay {
  int Hours = 0;
  int Minutes = 0;
  int Seconds = 0;
};

// The local time of day now.
TimeOfDay CurrentTimeOfDay();

// "h : m : s" since `start`: fields subtracted one by one with borrows from
// seconds to minutes and from minutes to hours ("0 : 0 : 0" at the start).
// A run across midnight counts on into the next day instead of showing a
// negative hour.
std::string ElapsedTimeText(const TimeOfDay& start, const TimeOfDay& now);

}  // namespace vesk
