#include "qt/PngWriter.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "render/WorkerTeam.h"

namespace vesk::qt {
namespace {

// Filtered bytes per strip: enough to keep the compressor's per-call costs
// small, few enough that a stop request is seen quickly and the strips in
// flight hold a few MiB.
constexpr std::size_t kStripBytes = std::size_t{1} << 20;
// Strips compressed at once per member of the team before they are written,
// and the most members: more would outrun the disk and only hold memory.
constexpr int kStripsPerMember = 2;
constexpr int kMaxMembers = 8;
// A strip whose bytes carry at least this many bits of information each
// (order-0 entropy) cannot shrink by more than about one per cent: it is
// stored as it is instead of being run through the compressor, which on a
// noisy picture would spend most of the write for nothing.
constexpr double kStoredEntropyBits = 7.92;
constexpr std::size_t kMaxStoredBlock = 65535;

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
  if (size > 0) crc = crc32_z(crc, data, size);
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

bool LooksIncompressible(const std::uint8_t* bytes, std::size_t size) {
  if (size < 4096) return false;
  std::uint32_t counts[4][256] = {};
  std::size_t i = 0;
  for (; i + 4 <= size; i += 4) {
    ++counts[0][bytes[i]];
    ++counts[1][bytes[i + 1]];
    ++counts[2][bytes[i + 2]];
    ++counts[3][bytes[i + 3]];
  }
  for (; i < size; ++i) ++counts[0][bytes[i]];
  double sum = 0;
  for (int b = 0; b < 256; ++b) {
    const double c = static_cast<double>(counts[0][b]) + counts[1][b] + counts[2][b] + counts[3][b];
    if (c > 0) sum += c * std::log2(c);
  }
  const double n = static_cast<double>(size);
  const double bits = n * std::log2(n) - sum;
  return bits >= kStoredEntropyBits * n;
}

// One strip of rows on its way into the file: filtered, then a piece of raw
// deflate data that ends on a byte boundary and is not the stream's last
// block, so the pieces of all strips joined in order are one stream.
struct Strip {
  std::vector<std::uint8_t> Filtered;
  std::vector<std::uint8_t> Deflated;
  uLong Adler = 1;
  std::size_t FilteredSize = 0;
};

// Each member's own compressor, started once and reset per strip.
class StripCompressor {
 public:
  StripCompressor() {
    // Raw deflate (no zlib wrapper: the writer puts one around the whole
    // stream), fastest level, run-length matches only.
    ok_ = deflateInit2(&stream_, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_RLE) == Z_OK;
  }
  ~StripCompressor() {
    if (ok_) deflateEnd(&stream_);
  }
  StripCompressor(const StripCompressor&) = delete;
  StripCompressor& operator=(const StripCompressor&) = delete;

  bool Compress(Strip& strip) {
    const std::uint8_t* data = strip.Filtered.data();
    const std::size_t size = strip.FilteredSize;
    strip.Adler = adler32_z(1L, data, size);
    if (LooksIncompressible(data, size)) {
      Store(data, size, strip.Deflated);
      return true;
    }
    if (!ok_ || deflateReset(&stream_) != Z_OK) return false;
    // A sync flush ends the piece with an empty stored block: byte aligned,
    // not final.
    strip.Deflated.resize(deflateBound(&stream_, static_cast<uLong>(size)) + 16);
    stream_.next_in = const_cast<std::uint8_t*>(data);
    stream_.avail_in = static_cast<uInt>(size);
    stream_.next_out = strip.Deflated.data();
    stream_.avail_out = static_cast<uInt>(strip.Deflated.size());
    const int status = deflate(&stream_, Z_SYNC_FLUSH);
    if (status != Z_OK || stream_.avail_in != 0 || stream_.avail_out == 0) return false;
    strip.Deflated.resize(strip.Deflated.size() - stream_.avail_out);
    return true;
  }

  // Stored (uncompressed, non-final) deflate blocks of at most 65535 bytes.
  static void Store(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& out) {
    out.clear();
    out.reserve(size + 5 * (size / kMaxStoredBlock + 1));
    for (std::size_t at = 0; at < size;) {
      const std::size_t length = std::min(kMaxStoredBlock, size - at);
      const auto len = static_cast<std::uint16_t>(length);
      const auto nlen = static_cast<std::uint16_t>(~len);
      const std::uint8_t head[5] = {0, static_cast<std::uint8_t>(len), static_cast<std::uint8_t>(len >> 8),
                                    static_cast<std::uint8_t>(nlen), static_cast<std::uint8_t>(nlen >> 8)};
      out.insert(out.end(), head, head + 5);
      out.insert(out.end(), data + at, data + at + length);
      at += length;
    }
  }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

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

  // The zlib wrapper: deflate with a 32 KiB window, fastest level.
  static constexpr std::uint8_t kZlibHeader[2] = {0x78, 0x01};
  if (!WriteChunk(writer, "IDAT", kZlibHeader, sizeof kZlibHeader)) return fail(writer.Error());

  const std::size_t rowBytes = static_cast<std::size_t>(image.Stride());
  const int height = image.Height();
  const int stripRows = static_cast<int>(std::max<std::size_t>(1, kStripBytes / (rowBytes + 1)));
  const int strips = height == 0 ? 0 : (height + stripRows - 1) / stripRows;
  WorkerTeam team(std::min({AvailableCores(), kMaxMembers, std::max(1, strips)}));
  const int batch = team.Size() * kStripsPerMember;
  std::vector<Strip> pieces(static_cast<std::size_t>(std::min(batch, std::max(1, strips))));
  std::vector<std::unique_ptr<StripCompressor>> compressors(static_cast<std::size_t>(team.Size()));
  uLong adler = 1;
  progress.SetPosition(0);
  for (int first = 0; first < strips; first += batch) {
    if (cancel.Requested()) return PngWrite::Cancelled;
    const int count = std::min(batch, strips - first);
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    team.Run([&](int member) {
      auto& compressor = compressors[static_cast<std::size_t>(member)];
      if (!compressor) compressor = std::make_unique<StripCompressor>();
      for (int k = next++; k < count; k = next++) {
        Strip& strip = pieces[static_cast<std::size_t>(k)];
        const int y0 = (first + k) * stripRows;
        const int rows = std::min(stripRows, height - y0);
        strip.FilteredSize = (rowBytes + 1) * static_cast<std::size_t>(rows);
        strip.Filtered.resize(strip.FilteredSize);
        for (int r = 0; r < rows; ++r) FilterRow(image.Row(y0 + r), rowBytes, &strip.Filtered[(rowBytes + 1) * r]);
        if (!compressor->Compress(strip)) failed = true;
      }
    });
    if (failed) return fail("the compressor failed");
    for (int k = 0; k < count; ++k) {
      const Strip& strip = pieces[static_cast<std::size_t>(k)];
      adler = adler32_combine(adler, strip.Adler, static_cast<z_off_t>(strip.FilteredSize));
      if (!strip.Deflated.empty() && !WriteChunk(writer, "IDAT", strip.Deflated.data(), strip.Deflated.size()))
        return fail(writer.Error());
    }
    const long long done = std::min<long long>(height, static_cast<long long>(first + count) * stripRows);
    progress.SetPosition(static_cast<int>(done * 100 / height));
  }
  // The stream's last block (empty, stored), then the checksum of all the
  // filtered bytes.
  std::uint8_t end[9] = {1, 0, 0, 0xFF, 0xFF};
  PutBigEndian(end + 5, static_cast<std::uint32_t>(adler));
  if (!WriteChunk(writer, "IDAT", end, sizeof end)) return fail(writer.Error());
  if (!WriteChunk(writer, "IEND", nullptr, 0)) return fail(writer.Error());
  return PngWrite::Written;
}

}  // namespace vesk::qt
