#include "qt/PngWriter.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <QImage>
#include <QImageReader>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "progress/ProgressSink.h"
#include "qt/ImageFiles.h"
#include "support/NoisePhoto.h"
#include "support/TempDir.h"

namespace vesk {
namespace {

std::uint32_t BigEndian(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<std::uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

// A strict reader written from the format alone: every chunk's CRC, IDAT
// chunks joined into one zlib stream that must inflate completely with its
// Adler-32, to exactly the filtered rows, then every filter type undone.
// Fails the test on anything a careful decoder would reject.
RgbImage StrictDecode(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  EXPECT_TRUE(file.size() >= 8 && std::memcmp(file.data(), kSignature, 8) == 0);
  std::size_t at = 8;
  int width = -1, height = -1;
  std::vector<std::uint8_t> stream;
  bool ended = false;
  while (at + 12 <= file.size()) {
    const std::uint32_t length = BigEndian(&file[at]);
    EXPECT_LE(at + 12 + length, file.size());
    const std::string type(reinterpret_cast<const char*>(&file[at + 4]), 4);
    const std::uint8_t* data = &file[at + 8];
    const uLong crc = crc32(crc32(0L, &file[at + 4], 4), data, length);
    EXPECT_EQ(crc, BigEndian(data + length)) << type << " at " << at;
    if (type == "IHDR") {
      width = static_cast<int>(BigEndian(data));
      height = static_cast<int>(BigEndian(data + 4));
      EXPECT_EQ(std::vector<int>(data + 8, data + 13), (std::vector<int>{8, 2, 0, 0, 0}));
    } else if (type == "IDAT") {
      stream.insert(stream.end(), data, data + length);
    } else if (type == "IEND") {
      ended = true;
    }
    at += 12 + length;
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(at, file.size());
  if (width < 0 || height < 0) return RgbImage();
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(width);
  std::vector<std::uint8_t> filtered((rowBytes + 1) * static_cast<std::size_t>(height) + 1);
  z_stream z{};
  EXPECT_EQ(inflateInit(&z), Z_OK);
  z.next_in = stream.data();
  z.avail_in = static_cast<uInt>(stream.size());
  z.next_out = filtered.data();
  z.avail_out = static_cast<uInt>(filtered.size());
  EXPECT_EQ(inflate(&z, Z_FINISH), Z_STREAM_END) << (z.msg ? z.msg : "");
  EXPECT_EQ(z.avail_in, 0u) << "bytes after the end of the stream";
  EXPECT_EQ(z.avail_out, 1u) << "the stream does not hold exactly the filtered rows";
  inflateEnd(&z);
  RgbImage image(width, height);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = &filtered[(rowBytes + 1) * static_cast<std::size_t>(y)];
    std::uint8_t* out = image.Row(y);
    const std::uint8_t* up = y > 0 ? image.Row(y - 1) : nullptr;
    for (std::size_t i = 0; i < rowBytes; ++i) {
      const int a = i >= 3 ? out[i - 3] : 0, b = up ? up[i] : 0, c = (up && i >= 3) ? up[i - 3] : 0;
      const int predictor = row[0] == 0   ? 0
                            : row[0] == 1 ? a
                            : row[0] == 2 ? b
                            : row[0] == 3 ? (a + b) / 2
                                          : Paeth(a, b, c);
      EXPECT_LE(row[0], 4) << "row " << y;
      out[i] = static_cast<std::uint8_t>(row[1 + i] + predictor);
    }
  }
  return image;
}

// Pictures whose strips mix noise (stored as it is) with smooth parts
// (deflated), over several strips and batches of strips.
RgbImage MixedPicture(int width, int height) {
  RgbImage picture = test::NoisePhoto(width, height, 9);
  for (int y = 0; y < height; ++y)
    if ((y / 97) % 2 == 1)
      for (int x = 0; x < width; ++x)
        picture.SetPixel(x, y, Rgb{static_cast<std::uint8_t>(x / 16), static_cast<std::uint8_t>(y), 200});
  return picture;
}

TEST(PngWriterTest, EveryReaderGetsThePixelsBack) {
  test::TempDir dir;
  struct Case {
    const char* Name;
    RgbImage Picture;
  } cases[] = {
      {"one pixel", test::NoisePhoto(1, 1, 1)},
      {"noise over many strips", test::NoisePhoto(4001, 300, 2)},
      {"smooth over many strips", RgbImage(3001, 700, Rgb{10, 20, 30})},
      {"noise and smooth strips", MixedPicture(2500, 1500)},
      {"one tall column", test::NoisePhoto(1, 5000, 3)},
  };
  for (const Case& c : cases) {
    const std::string path = dir.File("r.png");
    ASSERT_TRUE(qt::SaveImage(c.Picture, path)) << c.Name;
    const RgbImage strict = StrictDecode(path);
    ASSERT_FALSE(::testing::Test::HasFailure()) << c.Name;
    EXPECT_TRUE(strict == c.Picture) << c.Name;
    QImageReader reader(QString::fromStdString(path));
    const QImage back = reader.read().convertToFormat(QImage::Format_RGB888);
    ASSERT_FALSE(back.isNull()) << c.Name << ": " << reader.errorString().toStdString();
    for (int y = 0; y < back.height(); ++y)
      ASSERT_EQ(std::memcmp(back.constScanLine(y), c.Picture.Row(y), static_cast<std::size_t>(c.Picture.Stride())), 0)
          << c.Name << " row " << y;
  }
}

TEST(PngWriterTest, SmoothPicturesAreCompressedAndNoiseIsNotInflated) {
  test::TempDir dir;
  const RgbImage smooth(2000, 1000, Rgb{10, 20, 30});
  const RgbImage noise = test::NoisePhoto(2000, 1000, 4);
  ASSERT_TRUE(qt::SaveImage(smooth, dir.File("smooth.png")));
  ASSERT_TRUE(qt::SaveImage(noise, dir.File("noise.png")));
  const auto size = [&](const char* name) {
    std::ifstream in(dir.File(name), std::ios::binary | std::ios::ate);
    return static_cast<double>(in.tellg());
  };
  const double raw = 3.0 * 2000 * 1000;
  EXPECT_LT(size("smooth.png"), raw / 100);
  EXPECT_LT(size("noise.png"), raw * 1.002);
}

}  // namespace
}  // namespace vesk
