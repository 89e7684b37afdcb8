#include "qt/PngWriter.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vesk::qt {
namespace {

void PutBigEndian(std::uint8_t* to, std::uint32_t value) {
  to[0] = static_cast<std::uint8_t>(value >> 24);
  to[1] = static_cast<std::uint8_t>(value >> 16);
  to[2] = static_cast<std::uint8_t>(value >> 8);
  to[3] = static_cast<std::uint8_t>(value);
}

// One chunk: length, type, data, the CRC of type and data.
bool WriteChunk(AtomicFileWriter& writer, const char type[4], const std::uint8_t* data, std::size_t size) {
  std::uint8_t head[8];
  PutBigEndian(head, static_cast<std::uint32_t>(size));
  std::copy(type, type + 4, head + 4);
  uLong crc = crc32(0L, head + 4, 4);
  if (size > 0) crc = crc32(crc, data, static_cast<uInt>(size));
  std::uint8_t tail[4];
  PutBigEndian(tail, static_cast<std::uint32_t>(crc));
  return writer.Write(std::string_view(reinterpret_cast<const char*>(head), 8)) &&
         (size == 0 || writer.Write(std::string_view(reinterpret_cast<const char*>(data), size))) &&
         writer.Write(std::string_view(reinterpret_cast<const char*>(tail), 4));
}

// The filtered form of one row: the filter type "Sub", then each byte minus
// the byte of the pixel to its left.
void FilterRow(const std::uint8_t* row, std::size_t bytes, std::uint8_t* out) {
  out[0] = 1;
  const std::size_t first = std::min<std::size_t>(3, bytes);
  for (std::size_t i = 0; i < first; ++i) out[1 + i] = row[i];
  for (std::size_t i = 3; i < bytes; ++i) out[1 + i] = static_cast<std::uint8_t>(row[i] - row[i - 3]);
}

}  // namespace

PngWrite WritePng(const RgbImage& image, AtomicFileWriter& writer, ProgressSink& progress, const CancelToken& cancel,
                  std::string& failure) {
  const auto fail = [&](std::string why) {
    failure = std::move(why);
    return PngWrite::Failed;
  };
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (!writer.Write(std::string_view(reinterpret_cast<const char*>(kSignature), sizeof kSignature)))
    return fail(writer.Error());
  std::uint8_t header[13];
  PutBigEndian(header, static_cast<std::uint32_t>(image.Width()));
  PutBigEndian(header + 4, static_cast<std::uint32_t>(image.Height()));
  header[8] = 8;   // bits per channel
  header[9] = 2;   // RGB
  header[10] = 0;  // deflate
  header[11] = 0;  // adaptive filtering
  header[12] = 0;  // no interlace
  if (!WriteChunk(writer, "IHDR", header, sizeof header)) return fail(writer.Error());

  z_stream stream{};
  if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK)
    return fail("the compressor did not start");
  struct Ender {
    z_stream& Stream;
    ~Ender() { deflateEnd(&Stream); }
  } ender{stream};

  const std::size_t rowBytes = static_cast<std::size_t>(image.Stride());
  constexpr int kStripRows = 64;
  std::vector<std::uint8_t> filtered((rowBytes + 1) * kStripRows);
  std::vector<std::uint8_t> compressed(std::size_t{1} << 20);
  const int height = image.Height();
  progress.SetPosition(0);
  for (int y0 = 0;;) {
    const bool last = y0 >= height;
    if (!last) {
      if (cancel.Requested()) return PngWrite::Cancelled;
      const int rows = std::min(kStripRows, height - y0);
      for (int r = 0; r < rows; ++r) FilterRow(image.Row(y0 + r), rowBytes, &filtered[(rowBytes + 1) * r]);
      stream.next_in = filtered.data();
      stream.avail_in = static_cast<uInt>((rowBytes + 1) * static_cast<std::size_t>(rows));
      y0 += rows;
    }
    int status = Z_OK;
    do {
      stream.next_out = compressed.data();
      stream.avail_out = static_cast<uInt>(compressed.size());
      status = deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
      if (status == Z_STREAM_ERROR) return fail("the compressor failed");
      const std::size_t produced = compressed.size() - stream.avail_out;
      if (produced > 0 && !WriteChunk(writer, "IDAT", compressed.data(), produced)) return fail(writer.Error());
    } while (stream.avail_out == 0 || (last && status != Z_STREAM_END));
    if (last) break;
    progress.SetPosition(static_cast<int>(static_cast<long long>(y0) * 100 / height));
  }
  if (!WriteChunk(writer, "IEND", nullptr, 0)) return fail(writer.Error());
  return PngWrite::Written;
}

}  // namespace vesk::qt
