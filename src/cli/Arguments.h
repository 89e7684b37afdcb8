#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vesk::cli {

// The options and operands of one command. Every option a command reads must
// be taken through this class; Finish() then rejects any option nobody took,
// so a misspelt option is a usage error rather than silently ignored.
// Numbers given as arguments always use '.' whatever the locale.
class Arguments {
 public:
  explicit Arguments(std::vector<std::string> args);

  bool Flag(const std::string& name);
  std::optional<std::string> Value(const std::string& name);
  std::string RequiredValue(const std::string& name);
  // An option followed by `count` values (--size1 W H).
  std::optional<std::vector<std::string>> Values(const std::string& name, int count);

  std::optional<double> Number(const std::string& name);
  std::optional<int> Integer(const std::string& name);
  std::optional<std::vector<double>> Numbers(const std::string& name, int count);

  // Operands that are not options, in order.
  std::vector<std::string> Operands();

  void Finish();

  static double ToNumber(const std::string& option, const std::string& text);
  static int ToInteger(const std::string& option, const std::string& text);

 private:
  std::vector<std::string> args_;
  std::vector<bool> used_;
  std::optional<std::size_t> Find(const std::string& name);
};

}  // namespace vesk::cli
