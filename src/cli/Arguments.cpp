#include "Arguments.h"

#include <charconv>
#include <cmath>

#include "CliErrors.h"

namespace vesk::cli {

Arguments::Arguments(std::vector<std::string> args) : args_(std::move(args)), used_(args_.size(), false) {}

std::optional<std::size_t> Arguments::Find(const std::string& name) {
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < args_.size(); ++i) {
    if (used_[i] || args_[i] != name) continue;
    if (found) throw UsageError("option " + name + " given more than once");
    found = i;
  }
  return found;
}

bool Arguments::Flag(const std::string& name) {
  const auto at = Find(name);
  if (at) used_[*at] = true;
  return at.has_value();
}

std::optional<std::vector<std::string>> Arguments::Values(const std::string& name, int count) {
  const auto at = Find(name);
  if (!at) return std::nullopt;
  used_[*at] = true;
  std::vector<std::string> values;
  for (int k = 1; k <= count; ++k) {
    const std::size_t i = *at + static_cast<std::size_t>(k);
    if (i >= args_.size() || used_[i])
      throw UsageError("option " + name + " needs " + std::to_string(count) + (count == 1 ? " value" : " values"));
    used_[i] = true;
    values.push_back(args_[i]);
  }
  return values;
}

std::optional<std::string> Arguments::Value(const std::string& name) {
  auto values = Values(name, 1);
  if (!values) return std::nullopt;
  return values->front();
}

std::string Arguments::RequiredValue(const std::string& name) {
  auto value = Value(name);
  if (!value) throw UsageError("missing option " + name);
  return *value;
}

double Arguments::ToNumber(const std::string& option, const std::string& text) {
  double value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [stop, error] = std::from_chars(first, last, value);
  if (text.empty() || error != std::errc() || stop != last || !std::isfinite(value))
    throw UsageError("option " + option + ": '" + text + "' is not a number (use '.' as the decimal separator)");
  return value;
}

int Arguments::ToInteger(const std::string& option, const std::string& text) {
  int value = 0;
  const char* first = text.data();
  const char* last = first + text.size();
  const auto [stop, error] = std::from_chars(first, last, value);
  if (text.empty() || error != std::errc() || stop != last)
    throw UsageError("option " + option + ": '" + text + "' is not a whole number");
  return value;
}

std::optional<double> Arguments::Number(const std::string& name) {
  const auto text = Value(name);
  if (!text) return std::nullopt;
  return ToNumber(name, *text);
}

std::optional<int> Arguments::Integer(const std::string& name) {
  const auto text = Value(name);
  if (!text) return std::nullopt;
  return ToInteger(name, *text);
}

std::optional<std::vector<double>> Arguments::Numbers(const std::string& name, int count) {
  const auto texts = Values(name, count);
  if (!texts) return std::nullopt;
  std::vector<double> numbers;
  for (const auto& text : *texts) numbers.push_back(ToNumber(name, text));
  return numbers;
}

std::vector<std::string> Arguments::Operands() {
  std::vector<std::string> operands;
  bool afterDoubleDash = false;
  for (std::size_t i = 0; i < args_.size(); ++i) {
    if (used_[i]) continue;
    const std::string& arg = args_[i];
    if (!afterDoubleDash && arg == "--") {
      used_[i] = true;
      afterDoubleDash = true;
      continue;
    }
    if (!afterDoubleDash && arg.size() > 1 && arg[0] == '-') continue;
    used_[i] = true;
    operands.push_back(arg);
  }
  return operands;
}

void Arguments::Finish() {
  for (std::size_t i = 0; i < args_.size(); ++i)
    if (!used_[i]) throw UsageError("unknown option or extra argument: " + args_[i]);
}

}  // namespace vesk::cli
