#include "support/TempDir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace vesk::test {

TempDir::TempDir() {
  std::random_device seed;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("vesk-test-" + std::to_string(seed()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, std::string_view bytes) const {
  const auto full = path_ / name;
  std::filesystem::create_directories(full.parent_path());
  std::ofstream out(full, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return full.string();
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream in(path_ / name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::filesystem::path ExamplesDir() {
  const char* dir = std::getenv("VESK_TEST_DATA");
  if (!dir) throw std::runtime_error("VESK_TEST_DATA is not set; run the tests through ctest");
  return dir;
}

}  // namespace vesk::test
