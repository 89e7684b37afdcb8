#include "imageio/MpoFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/VeskError.h"

namespace vesk {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A stand-in JPEG stream: start of image, a JFIF header, some body bytes
// that tell the streams apart, end of image. The container never decodes it.
Bytes FakeJpeg(std::uint8_t body, std::size_t length) {
  Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
  jpeg.insert(jpeg.end(), length, body);
  jpeg.insert(jpeg.end(), {0xFF, 0xD9});
  return jpeg;
}

void Put16(Bytes& to, std::uint16_t value) {
  to.push_back(static_cast<std::uint8_t>(value));
  to.push_back(static_cast<std::uint8_t>(value >> 8));
}
void Put32(Bytes& to, std::uint32_t value) {
  Put16(to, static_cast<std::uint16_t>(value));
  Put16(to, static_cast<std::uint16_t>(value >> 16));
}

struct HandEntry {
  std::uint32_t Attribute;
  const Bytes* Stream;
};

// An MPO file put together as a camera's might be, independently of the
// writer: little-endian, the index right after SOI, only the index (no
// attribute directories), the streams in the order given.
Bytes HandBuiltMpo(const std::vector<HandEntry>& entries, std::uint32_t declaredImages = 0) {
  const std::size_t n = entries.size();
  Bytes block = {'I', 'I', 42, 0};
  Put32(block, 8);
  Put16(block, 2);  // two entries: NumberOfImages, MPEntry
  Put16(block, 0xB001);
  Put16(block, 4);
  Put32(block, 1);
  Put32(block, declaredImages != 0 ? declaredImages : static_cast<std::uint32_t>(n));
  Put16(block, 0xB002);
  Put16(block, 7);
  Put32(block, static_cast<std::uint32_t>(16 * n));
  Put32(block, 8 + 2 + 24 + 4);
  Put32(block, 0);
  const std::size_t segment = 2 + 2 + 4 + block.size() + 16 * n;
  const std::size_t firstSize = entries[0].Stream->size() + segment;
  std::size_t at = firstSize;
  for (std::size_t i = 0; i < n; ++i) {
    Put32(block, entries[i].Attribute);
    const std::size_t size = i == 0 ? firstSize : entries[i].Stream->size();
    Put32(block, static_cast<std::uint32_t>(size));
    Put32(block, i == 0 ? 0 : static_cast<std::uint32_t>(at - 10));  // from the byte-order header at 10
    Put32(block, 0);
    if (i > 0) at += size;
  }
  Bytes file = {0xFF, 0xD8, 0xFF, 0xE2};
  file.push_back(static_cast<std::uint8_t>((block.size() + 6) >> 8));
  file.push_back(static_cast<std::uint8_t>(block.size() + 6));
  file.insert(file.end(), {'M', 'P', 'F', 0});
  file.insert(file.end(), block.begin(), block.end());
  file.insert(file.end(), entries[0].Stream->begin() + 2, entries[0].Stream->end());
  for (std::size_t i = 1; i < n; ++i) file.insert(file.end(), entries[i].Stream->begin(), entries[i].Stream->end());
  return file;
}

Bytes Slice(const Bytes& file, const MpoPicture& picture) {
  return Bytes(file.begin() + static_cast<std::ptrdiff_t>(picture.Offset),
               file.begin() + static_cast<std::ptrdiff_t>(picture.Offset + picture.Size));
}

// The stream without the MPF segment the writer put into it.
Bytes WithoutMpf(const Bytes& stream) {
  const Bytes name = {'M', 'P', 'F', 0};
  for (std::size_t at = 2; at + 8 <= stream.size(); ++at)
    if (stream[at] == 0xFF && stream[at + 1] == 0xE2 && std::equal(name.begin(), name.end(), stream.begin() + at + 4)) {
      const std::size_t length = static_cast<std::size_t>(stream[at + 2] << 8 | stream[at + 3]);
      Bytes without(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(at));
      without.insert(without.end(), stream.begin() + static_cast<std::ptrdiff_t>(at + 2 + length), stream.end());
      return without;
    }
  return {};
}

TEST(MpoFileTest, AWrittenPairReadsBackAsItsTwoViews) {
  const Bytes left = FakeJpeg(0x11, 300);
  const Bytes right = FakeJpeg(0x22, 123);
  const Bytes file = AssembleStereoMpo(left, right);
  const MpoPair pair = FindStereoPictures(file);
  EXPECT_EQ(pair.Left.Offset, 0u);
  EXPECT_EQ(pair.Left.Offset + pair.Left.Size, pair.Right.Offset);
  EXPECT_EQ(pair.Right.Offset + pair.Right.Size, file.size());
  // Each picture is its stream with the segment after the JFIF header.
  const Bytes first = Slice(file, pair.Left);
  const Bytes second = Slice(file, pair.Right);
  EXPECT_EQ(WithoutMpf(first), left);
  EXPECT_EQ(WithoutMpf(second), right);
  EXPECT_EQ(first[20], 0xFF);
  EXPECT_EQ(first[21], 0xE2);
  EXPECT_EQ(second[20], 0xFF);
  EXPECT_EQ(second[21], 0xE2);
}

TEST(MpoFileTest, AHandBuiltFileOpensAsAPair) {
  const Bytes thumbnail = FakeJpeg(0x33, 40);
  const Bytes left = FakeJpeg(0x44, 90);
  const Bytes right = FakeJpeg(0x55, 70);
  struct Case {
    const char* Name;
    std::vector<HandEntry> Entries;
    std::uint8_t LeftBody, RightBody;
  };
  const std::vector<Case> cases = {
      {"disparity images", {{0x20020002, &left}, {0x00020002, &right}}, 0x44, 0x55},
      // A camera's preview comes before the views in the index but is no view.
      {"baseline image, thumbnail, second view",
       {{0x20030000, &left}, {0x00010001, &thumbnail}, {0, &right}},
       0x44,
       0x55},
      {"disparity views after a primary image",
       {{0x20030000, &thumbnail}, {0x00020002, &left}, {0x00020002, &right}},
       0x44,
       0x55},
  };
  for (const Case& c : cases) {
    const Bytes file = HandBuiltMpo(c.Entries);
    const MpoPair pair = FindStereoPictures(file);
    const Bytes first = Slice(file, pair.Left);
    const Bytes second = Slice(file, pair.Right);
    EXPECT_EQ(first[first.size() - 3], c.LeftBody) << c.Name;
    EXPECT_EQ(second[second.size() - 3], c.RightBody) << c.Name;
    EXPECT_EQ(second, c.RightBody == 0x55 ? right : left) << c.Name;
  }
}

TEST(MpoFileTest, FilesThatAreNoStereoPairAreRefusedWithTheirReason) {
  const Bytes left = FakeJpeg(0x11, 200);
  const Bytes right = FakeJpeg(0x22, 200);
  const Bytes good = AssembleStereoMpo(left, right);
  const Bytes single = HandBuiltMpo({{0x20030000, &left}});
  Bytes garbage = good;
  // The byte-order header and the first directory overwritten.
  for (std::size_t i = 28; i < 60; ++i) garbage[i] = static_cast<std::uint8_t>(i * 37);
  Bytes farEntry = HandBuiltMpo({{0x20020002, &left}, {0x00020002, &right}});
  farEntry[10 + 38 + 16 + 8 + 3] = 0x7F;  // the top byte of the second entry's offset
  Bytes notAPicture = good;
  notAPicture[good.size() - right.size() - 58] = 0;  // the second stream's start of image
  struct Case {
    const char* Name;
    Bytes File;
    const char* Message;
  };
  const std::vector<Case> cases = {
      {"plain JPEG", left, kMpoNotStereo},
      {"not a JPEG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0}, kMpoNotStereo},
      {"empty", Bytes{}, kMpoNotStereo},
      {"one picture", single, kMpoSinglePicture},
      {"index counts three", HandBuiltMpo({{0x20020002, &left}, {0x00020002, &right}}, 3), kMpoIndexDamaged},
      {"garbage index", garbage, kMpoIndexDamaged},
      {"truncated in the second picture", Bytes(good.begin(), good.end() - 50), kMpoTruncated},
      {"truncated in the header", Bytes(good.begin(), good.begin() + 30), kMpoTruncated},
      {"entry beyond the file", farEntry, kMpoTruncated},
      {"entry on no picture", notAPicture, kMpoIndexDamaged},
  };
  for (const Case& c : cases) {
    try {
      FindStereoPictures(c.File);
      ADD_FAILURE() << c.Name << " was accepted";
    } catch (const VeskError& error) {
      EXPECT_STREQ(error.what(), c.Message) << c.Name;
    }
  }
}

TEST(MpoFileTest, OnlyJpegStreamsAreAssembled) {
  const Bytes jpeg = FakeJpeg(0x11, 10);
  EXPECT_THROW(AssembleStereoMpo(Bytes{'B', 'M', 0, 0, 0}, jpeg), VeskError);
  Bytes brokenHeader = jpeg;
  brokenHeader[5] = 0xFF;  // the JFIF header claims to run past the stream
  EXPECT_THROW(AssembleStereoMpo(jpeg, brokenHeader), VeskError);
}

}  // namespace
}  // namespace vesk
