#include "qt/PngReader.h"

#include <zlib.h>

#include <QFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <string_view>
#include <vector>

namespace vesk::qt {
namespace {

using Outcome = PlainPngRead::Outcome;

constexpr std::size_t kReadPiece = std::size_t{1} << 18;
// Rows inflated at a time before they are unfiltered; the stop is looked at
// between them.
constexpr std::size_t kStripBytes = std::size_t{1} << 20;

std::uint32_t BigEndian(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// Undoes one row's filter (types 0..4) with 3 bytes per pixel; `up` is the
// row above, already unfiltered, or null for the first row. False for an
// unknown filter type.
bool Unfilter(std::uint8_t type, const std::uint8_t* in, const std::uint8_t* up, std::size_t bytes, std::uint8_t* out) {
  const std::size_t lead = std::min<std::size_t>(3, bytes);
  switch (type) {
    case 0:
      std::memcpy(out, in, bytes);
      return true;
    case 1:
      std::memcpy(out, in, lead);
      for (std::size_t i = 3; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(in[i] + out[i - 3]);
      return true;
    case 2:
      if (up == nullptr) {
        std::memcpy(out, in, bytes);
      } else {
        for (std::size_t i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(in[i] + up[i]);
      }
      return true;
    case 3:
      for (std::size_t i = 0; i < bytes; ++i) {
        const int left = i >= 3 ? out[i - 3] : 0;
        const int above = up != nullptr ? up[i] : 0;
        out[i] = static_cast<std::uint8_t>(in[i] + ((left + above) >> 1));
      }
      return true;
    case 4:
      for (std::size_t i = 0; i < bytes; ++i) {
        const int a = i >= 3 ? out[i - 3] : 0;
        const int b = up != nullptr ? up[i] : 0;
        const int c = (i >= 3 && up != nullptr) ? up[i - 3] : 0;
        const int p = a + b - c;
        const int pa = p > a ? p - a : a - p;
        const int pb = p > b ? p - b : b - p;
        const int pc = p > c ? p - c : c - p;
        out[i] = static_cast<std::uint8_t>(in[i] + (pa <= pb && pa <= pc ? a : pb <= pc ? b : c));
      }
      return true;
    default:
      return false;
  }
}

class PlainDecoder {
 public:
  PlainDecoder(int width, int height)
      : height_(height),
        rowBytes_(3 * static_cast<std::size_t>(width)),
        stripRows_(std::max<std::size_t>(1, kStripBytes / (rowBytes_ + 1))),
        filtered_(stripRows_ * (rowBytes_ + 1)),
        pixels_(RgbImage::Unfilled(width, height)) {
    ok_ = inflateInit(&stream_) == Z_OK;
  }
  ~PlainDecoder() {
    if (ok_) inflateEnd(&stream_);
  }
  PlainDecoder(const PlainDecoder&) = delete;
  PlainDecoder& operator=(const PlainDecoder&) = delete;

  // Inflates one piece of the stream; false once anything is wrong (data
  // beyond the last row or after the stream's end, a bad filter type).
  bool Feed(const std::uint8_t* data, std::size_t size, const CancelToken& cancel, bool& cancelled) {
    if (!ok_) return false;
    stream_.next_in = const_cast<std::uint8_t*>(data);
    stream_.avail_in = static_cast<uInt>(size);
    while (stream_.avail_in > 0) {
      if (ended_) return false;  // bytes after the stream's end
      if (row_ == height_) {
        // Every row is there: what may follow is the end of the stream.
        std::uint8_t spare;
        stream_.next_out = &spare;
        stream_.avail_out = 1;
        const int status = inflate(&stream_, Z_NO_FLUSH);
        if (status == Z_STREAM_END && stream_.avail_out == 1) {
          ended_ = true;
          continue;
        }
        if (status != Z_OK || stream_.avail_out == 0) return false;
        continue;
      }
      const std::size_t rows = std::min<std::size_t>(stripRows_, static_cast<std::size_t>(height_ - row_));
      const std::size_t want = rows * (rowBytes_ + 1);
      stream_.next_out = filtered_.data() + filled_;
      stream_.avail_out = static_cast<uInt>(want - filled_);
      const int status = inflate(&stream_, Z_NO_FLUSH);
      filled_ = want - stream_.avail_out;
      if (status == Z_STREAM_END) {
        ended_ = true;
        if (filled_ != want) return false;  // ends early
      } else if (status != Z_OK && status != Z_BUF_ERROR) {
        return false;
      }
      if (filled_ == want) {
        if (cancel.Requested()) {
          cancelled = true;
          return false;
        }
        for (std::size_t r = 0; r < rows; ++r, ++row_) {
          const std::uint8_t* in = filtered_.data() + r * (rowBytes_ + 1);
          if (!Unfilter(in[0], in + 1, row_ > 0 ? pixels_.Row(row_ - 1) : nullptr, rowBytes_, pixels_.Row(row_)))
            return false;
        }
        filled_ = 0;
      } else if (status == Z_BUF_ERROR && stream_.avail_in > 0) {
        return false;
      }
    }
    return true;
  }

  bool Complete() const { return ended_ && row_ == height_; }
  RgbImage TakePixels() { return std::move(pixels_); }

 private:
  int height_;
  std::size_t rowBytes_;
  std::size_t stripRows_;
  std::vector<std::uint8_t> filtered_;
  std::size_t filled_ = 0;
  int row_ = 0;
  bool ended_ = false;
  RgbImage pixels_;
  z_stream stream_{};
  bool ok_ = false;
};

bool IsCritical(const char* type) { return type[0] >= 'A' && type[0] <= 'Z'; }

}  // namespace

namespace {

PlainPngRead Read(const std::string& path, std::uint64_t maxBytes, const CancelToken& cancel) {
  PlainPngRead read;
  QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
  if (!file.open(QIODevice::ReadOnly)) return read;
  const auto readExactly = [&file](std::uint8_t* to, std::size_t size) {
    return file.read(reinterpret_cast<char*>(to), static_cast<qint64>(size)) == static_cast<qint64>(size);
  };
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::uint8_t head[8];
  if (!readExactly(head, 8) || std::memcmp(head, kSignature, 8) != 0) return read;

  std::optional<PlainDecoder> decoder;
  std::vector<std::uint8_t> piece(kReadPiece);
  bool idatSeen = false, idatDone = false;
  for (;;) {
    if (!readExactly(head, 8)) return read;
    const std::uint32_t length = BigEndian(head);
    if (length > 0x7FFFFFFFu) return read;
    char type[5] = {static_cast<char>(head[4]), static_cast<char>(head[5]), static_cast<char>(head[6]),
                    static_cast<char>(head[7]), 0};
    const std::string_view name(type, 4);
    uLong crc = crc32(0L, head + 4, 4);
    if (!decoder) {
      // The header comes first and says whether this is the plain kind.
      if (name != "IHDR" || length != 13) return read;
      std::uint8_t ihdr[13];
      if (!readExactly(ihdr, 13)) return read;
      crc = crc32(crc, ihdr, 13);
      std::uint8_t tail[4];
      if (!readExactly(tail, 4) || BigEndian(tail) != crc) return read;
      const std::uint32_t width = BigEndian(ihdr), height = BigEndian(ihdr + 4);
      if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return read;
      if (std::uint64_t{width} * height * 3 > maxBytes) return read;
      if (ihdr[8] != 8 || ihdr[9] != 2 || ihdr[10] != 0 || ihdr[11] != 0 || ihdr[12] != 0) return read;
      decoder.emplace(static_cast<int>(width), static_cast<int>(height));
      continue;
    }
    const bool idat = name == "IDAT";
    if (idat && idatDone) return read;  // IDAT chunks must follow one another
    if (!idat && idatSeen) idatDone = true;
    if (name == "tRNS" || name == "IHDR") return read;
    if (IsCritical(type) && !idat && name != "PLTE" && name != "IEND") return read;
    std::size_t left = length;
    while (left > 0) {
      const std::size_t size = std::min(left, piece.size());
      if (!readExactly(piece.data(), size)) return read;
      crc = crc32_z(crc, piece.data(), size);
      if (idat) {
        bool cancelled = false;
        if (!decoder->Feed(piece.data(), size, cancel, cancelled)) {
          if (cancelled) read.Result = Outcome::Cancelled;
          return read;
        }
      }
      left -= size;
    }
    std::uint8_t tail[4];
    if (!readExactly(tail, 4) || BigEndian(tail) != crc) return read;
    idatSeen = idatSeen || idat;
    if (name == "IEND") break;
  }
  if (!decoder->Complete()) return read;
  read.Result = Outcome::Decoded;
  read.Pixels = decoder->TakePixels();
  return read;
}

}  // namespace

PlainPngRead ReadPlainRgbPng(const std::string& path, std::uint64_t maxBytes, const CancelToken& cancel) {
  try {
    return Read(path, maxBytes, cancel);
  } catch (const std::bad_alloc&) {
    return PlainPngRead{};  // the general reader says what it makes of the size
  }
}

}  // namespace vesk::qt
