// Loads arbitrary bytes as a photograph file: nothing may crash, hang or
// allocate beyond the loader's bounds, and a loaded photograph must hold
// every pixel its size promises.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "qt/ImageFiles.h"

namespace {

// One file per process, rewritten for every input: the loader reads files
// by path, as the programs do.
const std::string& InputPath() {
  static const std::string path = [] {
    char name[] = "/tmp/vesk-photo-fuzz-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    return std::string(name);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = InputPath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  const vesk::qt::PhotoLoad load = vesk::qt::LoadPhoto(path);
  if (load.Photo) {
    const vesk::RgbImage& photo = *load.Photo;
    if (photo.Empty() || load.Problem != vesk::qt::PhotoProblem::None) std::abort();
    // Touch the last pixel: the buffer must hold the whole picture.
    volatile std::uint8_t last = photo.Row(photo.Height() - 1)[photo.Stride() - 1];
    (void)last;
  } else if (load.Problem == vesk::qt::PhotoProblem::None || load.Failure.empty()) {
    std::abort();
  }
  return 0;
}
