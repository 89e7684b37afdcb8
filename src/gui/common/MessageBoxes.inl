#pragma once

#include <exception>
#include <new>

namespace vesk::gui {

QString DescribeException(std::exception_ptr error);

template <typename Action>
bool RunGuarded(MessageBoxes& boxes, Action&& action) {
  try {
    action();
    return true;
  } catch (...) {
    ShowStandardError(boxes, DescribeException(std::current_exception()));
    return false;
  }
}

}  // namespace vesk::gui
