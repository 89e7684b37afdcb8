#include "progress/ElapsedTime.h"

#include <chrono>
#include <ctime>

namespace vesk {

TimeOfDay CurrentTimeOfDay() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  return TimeOfDay{local.tm_hour, local.tm_min, local.tm_sec};
}

std::string ElapsedTimeText(const TimeOfDay& start, const TimeOfDay& now) {
  int hours = now.Hours - start.Hours;
  int minutes = now.Minutes - start.Minutes;
  int seconds = now.Seconds - start.Seconds;
  if (seconds < 0) {
    seconds += 60;
    minutes -= 1;
  }
  if (minutes < 0) {
    minutes += 60;
    hours -= 1;
  }
  if (hours < 0) hours += 24;
  return std::to_string(hours) + " : " + std::to_string(minutes) + " : " + std::to_string(seconds);
}

}  // namespace vesk
