#include "qt/StereoFiles.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "imageio/MpoFile.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

// A smooth picture in one dominant colour, so that JPEG keeps it close and
// the two views cannot be mistaken for each other.
RgbImage Gradient(int width, int height, bool reddish) {
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto level = static_cast<std::uint8_t>(40 + 3 * x + 2 * y);
      image.SetPixel(x, y, reddish ? Rgb{220, level, 30} : Rgb{30, level, 220});
    }
  return image;
}

// The largest difference of any channel between two pictures of one size.
int LargestDifference(const RgbImage& a, const RgbImage& b) {
  int largest = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const Rgb p = a.Pixel(x, y);
      const Rgb q = b.Pixel(x, y);
      largest = std::max({largest, std::abs(p.R - q.R), std::abs(p.G - q.G), std::abs(p.B - q.B)});
    }
  return largest;
}

EyeViews Pair(int width = 24, int height = 16) {
  EyeViews views;
  views.Left = Gradient(width, height, true);
  views.Right = Gradient(width, height, false);
  return views;
}

// JPEG at its highest quality keeps these pictures within a few levels.
constexpr int kJpegTolerance = 12;

TEST(StereoFilesTest, AnMpoWrittenByVeskReadsBackAsTheTwoViews) {
  test::TempDir dir;
  const EyeViews views = Pair();
  const std::string path = dir.File("pair.MPO");
  ASSERT_EQ(qt::WriteStereoPair(views, path).Status, qt::SaveStatus::Saved);
  const qt::StereoPhotoLoad load = qt::LoadStereoPhoto(path);
  ASSERT_EQ(load.Problem, qt::PhotoProblem::None) << load.Failure;
  ASSERT_EQ(load.Left->Width(), 24);
  ASSERT_EQ(load.Right->Height(), 16);
  EXPECT_LE(LargestDifference(*load.Left, views.Left), kJpegTolerance);
  EXPECT_LE(LargestDifference(*load.Right, views.Right), kJpegTolerance);
  // Viewers that know nothing of MPO show the first, left, view.
  const QImage plain(QString::fromStdString(path), "JPEG");
  ASSERT_FALSE(plain.isNull());
  EXPECT_GT(qRed(plain.pixel(5, 5)), 150);
}

TEST(StereoFilesTest, AJpsHoldsTheRightViewBesideTheLeft) {
  test::TempDir dir;
  const EyeViews views = Pair();
  const std::string path = dir.File("pair.jps");
  ASSERT_EQ(qt::WriteStereoPair(views, path).Status, qt::SaveStatus::Saved);
  QImage image(QString::fromStdString(path), "JPEG");
  ASSERT_EQ(image.width(), 48);
  ASSERT_EQ(image.height(), 16);
  EXPECT_GT(qBlue(image.pixel(5, 8)), 150);  // right view
  EXPECT_GT(qRed(image.pixel(29, 8)), 150);  // left view
}

TEST(StereoFilesTest, AHandBuiltMpoFromTwoJpegsOpensAsAPair) {
  // Two JPEG files of Qt's encoder, joined with the multi-picture index a
  // camera writes: little-endian, right after SOI, no attribute directories.
  std::string error;
  const QByteArray left = qt::EncodeJpeg(Gradient(20, 12, true), 90, error);
  const QByteArray right = qt::EncodeJpeg(Gradient(20, 12, false), 90, error);
  ASSERT_FALSE(left.isEmpty()) << error;
  QByteArray block("II*\0", 4);
  const auto put16 = [&](std::uint16_t v) {
    block.append(static_cast<char>(v & 0xFF));
    block.append(static_cast<char>(v >> 8));
  };
  const auto put32 = [&](std::uint32_t v) {
    put16(static_cast<std::uint16_t>(v));
    put16(static_cast<std::uint16_t>(v >> 16));
  };
  put32(8);
  put16(2);
  put16(0xB001), put16(4), put32(1), put32(2);
  put16(0xB002), put16(7), put32(32), put32(8 + 2 + 24 + 4);
  put32(0);
  const std::uint32_t segment = 2 + 2 + 4 + static_cast<std::uint32_t>(block.size()) + 32;
  const std::uint32_t firstSize = static_cast<std::uint32_t>(left.size()) + segment;
  put32(0x20020002), put32(firstSize), put32(0), put32(0);
  put32(0x00020002), put32(static_cast<std::uint32_t>(right.size())), put32(firstSize - 10), put32(0);
  QByteArray file("\xFF\xD8\xFF\xE2", 4);
  file.append(static_cast<char>((block.size() + 6) >> 8));
  file.append(static_cast<char>(block.size() + 6));
  file.append(QByteArray("MPF\0", 4));
  file.append(block);
  file.append(left.mid(2));
  file.append(right);
  test::TempDir dir;
  const std::string path = dir.Write("camera.mpo", std::string_view(file.constData(), file.size()));
  const qt::StereoPhotoLoad load = qt::LoadStereoPhoto(path);
  ASSERT_EQ(load.Problem, qt::PhotoProblem::None) << load.Failure;
  EXPECT_GT(load.Left->Pixel(3, 3).R, 150);
  EXPECT_GT(load.Right->Pixel(3, 3).B, 150);
}

TEST(StereoFilesTest, BadStereoPhotosAreRefusedWithTheirReason) {
  test::TempDir dir;
  std::string error;
  const QByteArray jpeg = qt::EncodeJpeg(Gradient(8, 8, true), 90, error);
  ASSERT_EQ(qt::WriteStereoPair(Pair(), dir.File("good.mpo")).Status, qt::SaveStatus::Saved);
  const std::string good = dir.Read("good.mpo");
  // A second view whose headers are wiped after its start of image: the
  // index is sound, the picture is not.
  std::string brokenView = good;
  const std::span<const std::uint8_t> goodBytes(reinterpret_cast<const std::uint8_t*>(good.data()), good.size());
  const MpoPicture second = FindStereoPictures(goodBytes).Right;
  brokenView.replace(second.Offset + 2, 300, std::string(300, '\0'));
  struct Case {
    const char* Name;
    std::string Path;
    qt::PhotoProblem Problem;
    std::string Failure;
  };
  const std::vector<Case> cases = {
      {"missing", dir.File("none.mpo"), qt::PhotoProblem::Missing, ""},
      {"folder", dir.Path().string(), qt::PhotoProblem::NotAFile, ""},
      {"plain JPEG", dir.Write("plain.mpo", std::string_view(jpeg.constData(), jpeg.size())),
       qt::PhotoProblem::NotAnImage, kMpoNotStereo},
      {"truncated", dir.Write("cut.mpo", good.substr(0, good.size() / 2)), qt::PhotoProblem::NotAnImage, kMpoTruncated},
  };
  for (const Case& c : cases) {
    const qt::StereoPhotoLoad load = qt::LoadStereoPhoto(c.Path);
    EXPECT_EQ(load.Problem, c.Problem) << c.Name;
    EXPECT_FALSE(load.Left || load.Right) << c.Name;
    if (!c.Failure.empty()) {
      EXPECT_EQ(load.Failure, c.Failure) << c.Name;
    }
  }
  const qt::StereoPhotoLoad broken = qt::LoadStereoPhoto(dir.Write("broken.mpo", brokenView));
  EXPECT_EQ(broken.Problem, qt::PhotoProblem::NotAnImage);
  EXPECT_NE(broken.Failure.find("second (right)"), std::string::npos) << broken.Failure;
}

TEST(StereoFilesTest, OnlyPairsOfOneSizeAreWritten) {
  test::TempDir dir;
  EyeViews views = Pair();
  views.Right = Gradient(10, 16, false);
  const qt::ImageSave saved = qt::WriteStereoPair(views, dir.File("pair.mpo"));
  EXPECT_EQ(saved.Status, qt::SaveStatus::Failed);
  EXPECT_FALSE(std::filesystem::exists(dir.File("pair.mpo")));
  EXPECT_TRUE(qt::IsStereoPairFileName("a.JPS"));
  EXPECT_TRUE(qt::IsStereoPairFileName("b.mpo"));
  EXPECT_FALSE(qt::IsStereoPairFileName("c.jpg"));
}

}  // namespace
}  // namespace vesk
