#include "imageio/BmpCodec.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "imageio/BmpPixels.h"

namespace vesk {
namespace {

using bmp_detail::kReadSlack;
using bmp_detail::Palette;

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kLargestHeaderBytes = 124;  // BITMAPV5HEADER
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kJpeg = 4;
constexpr std::uint32_t kPng = 5;
// Resolution recorded in written files: 100 dpi, as Qt records it.
constexpr std::uint32_t kPixelsPerMetre = 3937;

// File bytes moved per read or write call and converted in one go: enough to
// make system calls rare, small enough to stay in the processor's cache
// between the copy from the kernel and the conversion.
constexpr std::size_t kStripBytes = std::size_t{256} << 10;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

void PutU16(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
}
void PutU32(std::uint8_t* p, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

BmpFailure Fail(BmpFault fault, std::string detail) { return BmpFailure{fault, std::move(detail)}; }

// The failure of a read that came back short: the system's, or the end of the data.
BmpFailure ShortRead(const ByteSource& source, const std::string& what) {
  const std::string reason = source.Failure();
  if (!reason.empty()) return Fail(BmpFault::IoError, "reading " + what + ": " + reason);
  return Fail(BmpFault::Truncated, "the file ends inside " + what);
}

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

// Bytes of one stored row: whole 32-bit words.
std::uint64_t StoredRowBytes(std::uint64_t width, int bits) {
  return (width * static_cast<unsigned>(bits) + 31) / 32 * 4;
}
// Bytes of one stored row that carry pixels.
std::uint64_t UsedRowBytes(std::uint64_t width, int bits) { return (width * static_cast<unsigned>(bits) + 7) / 8; }

// Sizes of the core header, BITMAPINFOHEADER and its V2 to V5 extensions.
bool KnownHeaderSize(std::uint32_t size) {
  return size == kCoreHeaderBytes || size == kInfoHeaderBytes || size == 52 || size == 56 || size == 108 ||
         size == kLargestHeaderBytes;
}

// Why the codec leaves a bitmap to a general decoder; empty when it decodes it.
std::string NotDecodedWhy(const BmpInfo& info, int planes) {
  if (info.Compression == kRle8) return "RLE8 compression";
  if (info.Compression == kRle4) return "RLE4 compression";
  if (info.Compression == kJpeg) return "embedded JPEG";
  if (info.Compression == kPng) return "embedded PNG";
  if (planes != 1) return std::to_string(planes) + " colour planes";
  const int bits = info.BitsPerPixel;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return std::to_string(bits) + " bits per pixel";
  if (info.Compression == kBmpRgb) return {};
  if ((info.Compression == kBmpBitfields || info.Compression == kBmpAlphaBitfields) && bits == 32) {
    if (info.RedMask == 0x00FF0000u && info.GreenMask == 0x0000FF00u && info.BlueMask == 0x000000FFu) return {};
    return "bit masks " + Hex(info.RedMask) + ", " + Hex(info.GreenMask) + ", " + Hex(info.BlueMask);
  }
  return "compression " + std::to_string(info.Compression) + " with " + std::to_string(bits) + " bits per pixel";
}

// Reads the headers; `consumed` receives the bytes taken from the source.
BmpInfoResult ReadHeaders(ByteSource& source, std::uint32_t& consumed) {
  BmpInfoResult result;
  BmpInfo& info = result.Info;
  std::array<std::uint8_t, kFileHeaderBytes + kLargestHeaderBytes + 16> bytes{};
  consumed = static_cast<std::uint32_t>(source.Read(bytes.data(), kFileHeaderBytes + 4));
  if (consumed < 2 || bytes[0] != 'B' || bytes[1] != 'M') {
    const std::string reason = source.Failure();
    result.Failure = reason.empty() ? Fail(BmpFault::NotBmp, "no BMP signature")
                                    : Fail(BmpFault::IoError, "reading the file header: " + reason);
    return result;
  }
  if (consumed < kFileHeaderBytes + 4) {
    result.Failure = ShortRead(source, "its headers");
    return result;
  }
  info.PixelOffset = U32(&bytes[10]);
  info.HeaderSize = U32(&bytes[14]);
  if (info.HeaderSize < kCoreHeaderBytes || (info.HeaderSize > kCoreHeaderBytes && info.HeaderSize < 16)) {
    result.Failure =
        Fail(BmpFault::Malformed, "an information header of " + std::to_string(info.HeaderSize) + " bytes");
    return result;
  }
  // Only the fields known here are read from a longer header.
  const std::uint32_t headerRead = std::min(info.HeaderSize, kLargestHeaderBytes);
  const std::uint32_t rest = headerRead - 4;
  const std::size_t got = source.Read(&bytes[kFileHeaderBytes + 4], rest);
  consumed += static_cast<std::uint32_t>(got);
  if (got < rest) {
    result.Failure = ShortRead(source, "its headers");
    return result;
  }
  const std::uint8_t* h = &bytes[kFileHeaderBytes];
  std::int64_t width = 0;
  std::int64_t height = 0;
  int planes = 1;
  if (info.HeaderSize == kCoreHeaderBytes) {
    width = U16(h + 4);
    height = U16(h + 6);
    planes = U16(h + 8);
    info.BitsPerPixel = U16(h + 10);
  } else {
    width = I32(h + 4);
    height = I32(h + 8);
    planes = U16(h + 12);
    info.BitsPerPixel = U16(h + 14);
    if (headerRead >= kInfoHeaderBytes) info.Compression = U32(h + 16);
  }
  if (headerRead >= kInfoHeaderBytes && (info.Compression == kBmpBitfields || info.Compression == kBmpAlphaBitfields)) {
    if (info.HeaderSize == kInfoHeaderBytes) {
      // The masks follow a plain BITMAPINFOHEADER; longer headers hold them.
      const std::uint32_t masks = info.Compression == kBmpAlphaBitfields ? 16 : 12;
      const std::size_t more = source.Read(&bytes[kFileHeaderBytes + kInfoHeaderBytes], masks);
      consumed += static_cast<std::uint32_t>(more);
      if (more < masks) {
        result.Failure = ShortRead(source, "its bit masks");
        return result;
      }
    }
    info.RedMask = U32(h + 40);
    info.GreenMask = U32(h + 44);
    info.BlueMask = U32(h + 48);
    if (info.HeaderSize >= 56 || info.Compression == kBmpAlphaBitfields) info.AlphaMask = U32(h + 52);
  }
  info.TopDown = height < 0;
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || height > std::numeric_limits<int>::max()) {
    result.Failure = Fail(BmpFault::Malformed, "a picture of " + std::to_string(width) + " x " +
                                                   std::to_string(info.TopDown ? -height : height) + " pixels");
    return result;
  }
  info.Width = static_cast<int>(width);
  info.Height = static_cast<int>(height);
  if (!KnownHeaderSize(info.HeaderSize)) {
    // Its fields beyond the size may mean other things: a general decoder's business.
    info.NotDecodedWhy = "an information header of " + std::to_string(info.HeaderSize) + " bytes";
    return result;
  }
  const bool embedded = info.HeaderSize != kCoreHeaderBytes && (info.Compression == kJpeg || info.Compression == kPng);
  const int bits = info.BitsPerPixel;
  if (!embedded && bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    result.Failure = Fail(BmpFault::Malformed, std::to_string(bits) + " bits per pixel");
    return result;
  }
  if (info.PixelOffset < consumed) {
    result.Failure = Fail(BmpFault::Malformed,
                          "pixels said to start at byte " + std::to_string(info.PixelOffset) + ", inside the headers");
    return result;
  }
  if (bits <= 8) {
    const std::uint32_t entryBytes = info.HeaderSize == kCoreHeaderBytes ? 3 : 4;
    std::uint32_t declared = info.HeaderSize >= kInfoHeaderBytes ? U32(h + 32) : 0;
    const std::uint32_t full = 1u << bits;
    if (declared == 0 || declared > full) declared = full;
    // Some writers store fewer entries than declared; the pixels begin where the file says.
    info.PaletteColours = static_cast<int>(std::min(declared, (info.PixelOffset - consumed) / entryBytes));
  }
  info.NotDecodedWhy = NotDecodedWhy(info, planes);
  info.Decodable = info.NotDecodedWhy.empty();
  return result;
}

// Takes and drops `count` bytes.
bool Skip(ByteSource& source, std::uint64_t count) {
  std::array<std::uint8_t, 4096> scratch;
  while (count > 0) {
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(count, scratch.size()));
    if (source.Read(scratch.data(), want) < want) return false;
    count -= want;
  }
  return true;
}

// Reports the whole percent of `done` out of `total` when it changed.
class PercentReporter {
 public:
  PercentReporter(ProgressSink& sink, std::uint64_t total) : sink_(sink), total_(total) {}
  void Reached(std::uint64_t done) {
    const int percent = total_ == 0 ? 100 : static_cast<int>(done * 100 / total_);
    if (percent != last_) sink_.SetPosition(percent);
    last_ = percent;
  }

 private:
  ProgressSink& sink_;
  std::uint64_t total_;
  int last_ = -1;
};

// How rows are cut into strips of at most kStripBytes stored bytes: several
// whole rows, or for rows longer than that, pieces of one row that each
// start on a byte.
struct StripPlan {
  std::size_t RowsPerStrip = 0;    // 0 when rows are cut into pieces
  std::size_t PixelsPerPiece = 0;  // a multiple of 8
  std::size_t BufferBytes = 0;

  StripPlan(std::uint64_t storedRowBytes, int width, int height, int bits) {
    if (storedRowBytes <= kStripBytes) {
      RowsPerStrip = std::min<std::size_t>(kStripBytes / storedRowBytes, static_cast<std::size_t>(height));
      BufferBytes = RowsPerStrip * storedRowBytes;
    } else {
      PixelsPerPiece =
          std::min<std::size_t>(kStripBytes * 8 / static_cast<unsigned>(bits) / 8 * 8, static_cast<std::size_t>(width));
      BufferBytes = (PixelsPerPiece * static_cast<unsigned>(bits) + 7) / 8 + 4;
    }
  }
};

// Converts stored pixels of one row (or a piece starting at a byte) to RGB.
class RowConverter {
 public:
  RowConverter(int bits, const Palette& palette) : bits_(bits), palette_(palette) {}
  void operator()(const std::uint8_t* stored, std::uint8_t* rgb, std::size_t pixels) const {
    if (bits_ == 24)
      bmp_detail::SwapRedBlue24(stored, rgb, pixels);
    else if (bits_ == 32)
      bmp_detail::Bgrx32ToRgb(stored, rgb, pixels);
    else
      bmp_detail::PalettedToRgb(stored, rgb, pixels, bits_, palette_);
  }

 private:
  int bits_;
  const Palette& palette_;
};

BmpFailure ReadPixels(ByteSource& source, const BmpInfo& info, const Palette& palette, RgbImage& image,
                      ProgressSink& progress, const CancelToken& cancel) {
  const int bits = info.BitsPerPixel;
  const std::uint64_t stored = StoredRowBytes(static_cast<std::uint64_t>(info.Width), bits);
  const std::uint64_t used = UsedRowBytes(static_cast<std::uint64_t>(info.Width), bits);
  const std::uint64_t total = stored * static_cast<std::uint64_t>(info.Height - 1) + used;
  const StripPlan plan(stored, info.Width, info.Height, bits);
  const RowConverter convert(bits, palette);
  std::vector<std::uint8_t> buffer(plan.BufferBytes + kReadSlack);
  PercentReporter percent(progress, total);
  std::uint64_t done = 0;
  // Reads `count` bytes; false with `failure` set when they do not all come.
  BmpFailure failure;
  const auto fill = [&](std::size_t count) {
    const std::size_t got = source.Read(buffer.data(), count);
    done += got;
    if (got == count) return true;
    const std::string reason = source.Failure();
    failure = reason.empty() ? Fail(BmpFault::Truncated, "the file ends after " + std::to_string(done) + " of the " +
                                                             std::to_string(total) + " bytes of its pixels")
                             : Fail(BmpFault::IoError, "reading the pixels: " + reason);
    return false;
  };
  const auto rowOf = [&](int fileRow) { return info.TopDown ? fileRow : info.Height - 1 - fileRow; };
  const int height = info.Height;
  if (plan.RowsPerStrip > 0) {
    const int rowsPerStrip = static_cast<int>(plan.RowsPerStrip);
    for (int first = 0; first < height; first += rowsPerStrip) {
      if (cancel.Requested()) return Fail(BmpFault::Cancelled, "stopped on request");
      const int rows = std::min(rowsPerStrip, height - first);
      std::size_t bytes = static_cast<std::size_t>(rows) * stored;
      if (first + rows == height) bytes -= static_cast<std::size_t>(stored - used);  // the last padding may be missing
      if (!fill(bytes)) return failure;
      for (int r = 0; r < rows; ++r)
        convert(buffer.data() + static_cast<std::size_t>(r) * stored, image.Row(rowOf(first + r)),
                static_cast<std::size_t>(info.Width));
      percent.Reached(done);
    }
    return {};
  }
  const std::size_t width = static_cast<std::size_t>(info.Width);
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    std::uint8_t* row = image.Row(rowOf(fileRow));
    for (std::size_t x = 0; x < width; x += plan.PixelsPerPiece) {
      if (cancel.Requested()) return Fail(BmpFault::Cancelled, "stopped on request");
      const std::size_t pixels = std::min(plan.PixelsPerPiece, width - x);
      std::size_t bytes = (pixels * static_cast<unsigned>(bits) + 7) / 8;
      if (x + pixels == width && fileRow + 1 < height) bytes += static_cast<std::size_t>(stored - used);
      if (!fill(bytes)) return failure;
      convert(buffer.data(), row + 3 * x, pixels);
      percent.Reached(done);
    }
  }
  return {};
}

// Buffered single bytes from a source, for walking a run-length stream.
class ByteReader {
 public:
  explicit ByteReader(ByteSource& source) : source_(source) {}
  std::optional<std::uint8_t> Next() {
    if (at_ == end_) {
      end_ = source_.Read(buffer_.data(), buffer_.size());
      at_ = 0;
      if (end_ == 0) return std::nullopt;
    }
    return buffer_[at_++];
  }
  bool Skip(std::uint64_t count) {
    for (; count > 0; --count)
      if (!Next()) return false;
    return true;
  }

 private:
  ByteSource& source_;
  std::array<std::uint8_t, 4096> buffer_{};
  std::size_t at_ = 0;
  std::size_t end_ = 0;
};

// Walks an RLE4 or RLE8 stream to its end-of-bitmap mark (or past its last
// row): a stream that runs out first is truncated. Pixel values are not
// looked at.
BmpFailure CheckRunLengthStream(ByteSource& source, const BmpInfo& info) {
  ByteReader bytes(source);
  const bool rle4 = info.Compression == kRle4;
  std::uint64_t row = 0;
  const auto ended = [&] {
    const std::string reason = source.Failure();
    if (!reason.empty()) return Fail(BmpFault::IoError, "reading the pixels: " + reason);
    return Fail(BmpFault::Truncated, "the run-length pixels end after " + std::to_string(row) + " of the " +
                                         std::to_string(info.Height) + " rows, without their end mark");
  };
  while (row < static_cast<std::uint64_t>(info.Height)) {
    const auto count = bytes.Next();
    const auto value = bytes.Next();
    if (!count || !value) return ended();
    if (*count > 0) continue;  // a run of `count` pixels
    switch (*value) {
      case 0:  // end of line
        ++row;
        break;
      case 1:  // end of bitmap: the rows left are background
        return {};
      case 2: {  // a jump right and down
        bytes.Next();
        const auto down = bytes.Next();
        if (!down) return ended();
        row += *down;
        break;
      }
      default: {  // `value` pixels stored as they are, padded to a 16-bit boundary
        const std::uint64_t stored = rle4 ? (*value + 1u) / 2 : *value;
        if (!bytes.Skip(stored + stored % 2)) return ended();
        break;
      }
    }
  }
  return {};
}

}  // namespace

BmpFailure CheckBmpPixelData(ByteSource& source) {
  std::uint32_t consumed = 0;
  BmpInfoResult headers = ReadHeaders(source, consumed);
  if (headers.Failure.Failed()) return headers.Failure;
  const BmpInfo& info = headers.Info;
  if (!KnownHeaderSize(info.HeaderSize) || info.Compression == kJpeg || info.Compression == kPng) return {};
  if (!Skip(source, info.PixelOffset - consumed)) return ShortRead(source, "the bytes before its pixels");
  if (info.Compression == kRle8 || info.Compression == kRle4) return CheckRunLengthStream(source, info);
  // Uncompressed rows of any depth: all but the last row's padding must be there.
  const std::uint64_t pixelBytes = StoredRowBytes(static_cast<std::uint64_t>(info.Width), info.BitsPerPixel) *
                                       static_cast<std::uint64_t>(info.Height - 1) +
                                   UsedRowBytes(static_cast<std::uint64_t>(info.Width), info.BitsPerPixel);
  std::uint64_t present = 0;
  if (const auto remaining = source.Remaining()) {
    present = *remaining;
  } else {
    std::array<std::uint8_t, 4096> scratch;
    while (present < pixelBytes) {
      const std::size_t got = source.Read(scratch.data(), scratch.size());
      if (got == 0) break;
      present += got;
    }
  }
  if (present < pixelBytes)
    return Fail(BmpFault::Truncated, "the file holds " + std::to_string(present) + " of the " +
                                         std::to_string(pixelBytes) + " pixel bytes its " + std::to_string(info.Width) +
                                         " x " + std::to_string(info.Height) + " pixels at " +
                                         std::to_string(info.BitsPerPixel) + " bits need");
  if (const std::string reason = source.Failure(); !reason.empty())
    return Fail(BmpFault::IoError, "reading the pixels: " + reason);
  return {};
}

const char* BmpFaultName(BmpFault fault) {
  switch (fault) {
    case BmpFault::None:
      return "no failure";
    case BmpFault::NotBmp:
      return "not a BMP";
    case BmpFault::Malformed:
      return "malformed";
    case BmpFault::Unsupported:
      return "unsupported";
    case BmpFault::TooLarge:
      return "too large";
    case BmpFault::Truncated:
      return "truncated";
    case BmpFault::IoError:
      return "I/O error";
    case BmpFault::Cancelled:
      return "cancelled";
  }
  return "unknown failure";
}

std::string DescribeBmpFailure(const BmpFailure& failure) {
  std::string text = BmpFaultName(failure.Fault);
  if (!failure.Detail.empty()) text += ": " + failure.Detail;
  return text;
}

BmpInfoResult ReadBmpInfo(ByteSource& source) {
  std::uint32_t consumed = 0;
  return ReadHeaders(source, consumed);
}

BmpDecodeResult DecodeBmp(ByteSource& source, const BmpLimits& limits, ProgressSink& progress,
                          const CancelToken& cancel) {
  BmpDecodeResult result;
  std::uint32_t consumed = 0;
  BmpInfoResult headers = ReadHeaders(source, consumed);
  result.Info = std::move(headers.Info);
  const BmpInfo& info = result.Info;
  if (headers.Failure.Failed()) {
    result.Failure = std::move(headers.Failure);
    return result;
  }
  if (!info.Decodable) {
    result.Failure = Fail(BmpFault::Unsupported, info.NotDecodedWhy);
    return result;
  }
  const std::string size = std::to_string(info.Width) + " x " + std::to_string(info.Height) + " pixels";
  const std::uint64_t pictureBytes =
      3 * static_cast<std::uint64_t>(info.Width) * static_cast<std::uint64_t>(info.Height);
  if (info.Width > limits.MaxWidth || info.Height > limits.MaxHeight || pictureBytes > limits.MaxBytes) {
    result.Failure =
        Fail(BmpFault::TooLarge, "a picture of " + size + " exceeds the limit of " + std::to_string(limits.MaxWidth) +
                                     " x " + std::to_string(limits.MaxHeight) + " pixels and " +
                                     std::to_string(limits.MaxBytes) + " bytes");
    return result;
  }
  // Refused before allocating when the source already knows it is too short.
  const int bits = info.BitsPerPixel;
  const std::uint64_t stored = StoredRowBytes(static_cast<std::uint64_t>(info.Width), bits);
  if (stored > std::numeric_limits<std::uint64_t>::max() / 2 / static_cast<std::uint64_t>(info.Height)) {
    result.Failure = Fail(BmpFault::TooLarge, "a picture of " + size + " is beyond any memory");
    return result;
  }
  const std::uint64_t pixelBytes =
      stored * static_cast<std::uint64_t>(info.Height - 1) + UsedRowBytes(static_cast<std::uint64_t>(info.Width), bits);
  const std::uint64_t gap = info.PixelOffset - consumed;
  if (const auto remaining = source.Remaining(); remaining && *remaining < gap + pixelBytes) {
    result.Failure =
        Fail(BmpFault::Truncated, "the file holds " + std::to_string(consumed + *remaining) + " bytes; its " + size +
                                      " need " + std::to_string(info.PixelOffset + pixelBytes));
    return result;
  }
  Palette palette{};  // black where the file has no entry
  if (info.PaletteColours > 0) {
    const std::uint32_t entryBytes = info.HeaderSize == kCoreHeaderBytes ? 3 : 4;
    std::array<std::uint8_t, 256 * 4> entries{};
    const std::size_t count = static_cast<std::size_t>(info.PaletteColours) * entryBytes;
    if (source.Read(entries.data(), count) < count) {
      result.Failure = ShortRead(source, "its colour table");
      return result;
    }
    for (int i = 0; i < info.PaletteColours; ++i) {
      const std::uint8_t* entry = &entries[static_cast<std::size_t>(i) * entryBytes];
      palette[3 * static_cast<std::size_t>(i)] = entry[2];
      palette[3 * static_cast<std::size_t>(i) + 1] = entry[1];
      palette[3 * static_cast<std::size_t>(i) + 2] = entry[0];
    }
    consumed += static_cast<std::uint32_t>(count);
  }
  if (!Skip(source, info.PixelOffset - consumed)) {
    result.Failure = ShortRead(source, "the bytes before its pixels");
    return result;
  }
  RgbImage image;
  try {
    image = RgbImage::Unfilled(info.Width, info.Height);
  } catch (const std::bad_alloc&) {
    result.Failure = Fail(BmpFault::TooLarge, "not enough memory for a picture of " + size);
    return result;
  }
  result.Failure = ReadPixels(source, info, palette, image, progress, cancel);
  if (!result.Failure.Failed()) result.Image = std::move(image);
  return result;
}

std::optional<std::uint64_t> EncodedBmpSize(int width, int height) {
  if (width <= 0 || height <= 0) return std::nullopt;
  const std::uint64_t size = kFileHeaderBytes + kInfoHeaderBytes +
                             StoredRowBytes(static_cast<std::uint64_t>(width), 24) * static_cast<std::uint64_t>(height);
  if (size > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return size;
}

BmpFailure EncodeBmp(const RgbImage& image, ByteSink& sink, ProgressSink& progress, const CancelToken& cancel) {
  const int width = image.Width();
  const int height = image.Height();
  if (image.Empty()) return Fail(BmpFault::Malformed, "an empty picture has no bitmap file");
  const auto fileBytes = EncodedBmpSize(width, height);
  if (!fileBytes)
    return Fail(BmpFault::TooLarge, "a picture of " + std::to_string(width) + " x " + std::to_string(height) +
                                        " pixels does not fit the 4 GB size fields of a bitmap file");
  const std::uint64_t stored = StoredRowBytes(static_cast<std::uint64_t>(width), 24);
  const std::uint64_t used = static_cast<std::uint64_t>(width) * 3;

  std::array<std::uint8_t, kFileHeaderBytes + kInfoHeaderBytes> header{};
  header[0] = 'B';
  header[1] = 'M';
  PutU32(&header[2], static_cast<std::uint32_t>(*fileBytes));
  PutU32(&header[10], kFileHeaderBytes + kInfoHeaderBytes);
  std::uint8_t* info = &header[kFileHeaderBytes];
  PutU32(info, kInfoHeaderBytes);
  PutU32(info + 4, static_cast<std::uint32_t>(width));
  PutU32(info + 8, static_cast<std::uint32_t>(height));  // positive: rows stored from the bottom
  PutU16(info + 12, 1);
  PutU16(info + 14, 24);
  PutU32(info + 16, kBmpRgb);
  PutU32(info + 20, static_cast<std::uint32_t>(*fileBytes - header.size()));
  PutU32(info + 24, kPixelsPerMetre);
  PutU32(info + 28, kPixelsPerMetre);
  const auto refused = [&] { return Fail(BmpFault::IoError, "writing the file: " + sink.Failure()); };
  if (cancel.Requested()) return Fail(BmpFault::Cancelled, "stopped on request");
  if (!sink.Write(header.data(), header.size())) return refused();

  const StripPlan plan(stored, width, height, 24);
  std::vector<std::uint8_t> buffer(plan.BufferBytes + kReadSlack, 0);
  const std::uint64_t total = stored * static_cast<std::uint64_t>(height);
  PercentReporter percent(progress, total);
  std::uint64_t done = 0;
  if (plan.RowsPerStrip > 0) {
    const int rowsPerStrip = static_cast<int>(plan.RowsPerStrip);
    for (int first = 0; first < height; first += rowsPerStrip) {
      if (cancel.Requested()) return Fail(BmpFault::Cancelled, "stopped on request");
      const int rows = std::min(rowsPerStrip, height - first);
      for (int r = 0; r < rows; ++r) {
        std::uint8_t* out = buffer.data() + static_cast<std::size_t>(r) * stored;
        bmp_detail::SwapRedBlue24(image.Row(height - 1 - (first + r)), out, static_cast<std::size_t>(width));
        std::memset(out + used, 0, static_cast<std::size_t>(stored - used));
      }
      const std::size_t bytes = static_cast<std::size_t>(rows) * stored;
      if (!sink.Write(buffer.data(), bytes)) return refused();
      done += bytes;
      percent.Reached(done);
    }
    return {};
  }
  const std::size_t pixelsInRow = static_cast<std::size_t>(width);
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const std::uint8_t* row = image.Row(height - 1 - fileRow);
    for (std::size_t x = 0; x < pixelsInRow; x += plan.PixelsPerPiece) {
      if (cancel.Requested()) return Fail(BmpFault::Cancelled, "stopped on request");
      const std::size_t pixels = std::min(plan.PixelsPerPiece, pixelsInRow - x);
      bmp_detail::SwapRedBlue24(row + 3 * x, buffer.data(), pixels);
      std::size_t bytes = 3 * pixels;
      if (x + pixels == pixelsInRow) {
        std::memset(buffer.data() + bytes, 0, static_cast<std::size_t>(stored - used));
        bytes += static_cast<std::size_t>(stored - used);
      }
      if (!sink.Write(buffer.data(), bytes)) return refused();
      done += bytes;
      percent.Reached(done);
    }
  }
  return {};
}

}  // namespace vesk
