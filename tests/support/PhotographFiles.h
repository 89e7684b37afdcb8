#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "qt/ImageFiles.h"
#include "render/RgbImage.h"
#include "support/TempDir.h"

namespace vesk::test {

// Two photographs written into a temporary folder, one as BMP and one as PNG,
// for the command-line tests that build from photograph files.
struct PhotographFiles {
  PhotographFiles(RgbImage first, RgbImage second) : First(std::move(first)), Second(std::move(second)) {
    EXPECT_TRUE(qt::SaveImage(First, FirstPath));
    EXPECT_TRUE(qt::SaveImage(Second, SecondPath));
  }
  TempDir Dir;
  RgbImage First;
  RgbImage Second;
  std::string FirstPath = Dir.File("first.bmp");
  std::string SecondPath = Dir.File("second.png");
};

}  // namespace vesk::test
