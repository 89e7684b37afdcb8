#pragma once

// imageio/: the system's own picture file format, 24-bit BMP, read and
// written straight into and out of the core's picture, streaming and
// bounded. Includes render/ (the picture type), progress/, files/ (safe
// opening and atomic writing) and the standard library (POSIX for files).

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "imageio/ByteStreams.h"
#include "progress/ProgressSink.h"
#include "render/RgbImage.h"

namespace vesk {

// Reading and writing Windows bitmap files straight into and out of an
// RgbImage, in strips of rows, with no second picture-sized buffer.
//
// Decoded here: uncompressed 24-bit pixels (the usual photograph), 32-bit
// pixels stored as B, G, R, X (BI_RGB, or BI_BITFIELDS with the standard
// masks; the fourth byte, alpha or not, is dropped) and 1-, 4- and 8-bit
// paletted pixels, each in bottom-up or top-down row order, behind a
// BITMAPINFOHEADER, its V2 to V5 extensions or the OS/2 core header.
// Anything else the format allows (RLE, 16-bit, other masks, embedded JPEG
// or PNG) is reported as Unsupported so that the caller can hand the file to
// a general decoder. Written here: 24-bit bottom-up BI_RGB files, byte for
// byte what Qt 6 writes for a 24-bit picture (so results stay comparable
// with those vesk wrote through Qt).
//
// Threads: none are started; every call runs on the caller's thread and
// reports progress there. Distinct calls share nothing.

enum class BmpFault {
  None,
  NotBmp,       // no "BM" signature
  Malformed,    // the headers contradict themselves: no pixels, an unknown depth, pixels inside the headers
  Unsupported,  // a valid bitmap this codec does not decode (see above); a general decoder may
  TooLarge,     // the picture exceeds the caller's limits, or a result the format's 32-bit sizes cannot hold
  Truncated,    // the data ends inside the headers, or before the last pixel row does
  IoError,      // the system refused to read or write
  Cancelled,    // the caller asked to stop; nothing was produced
};

// Why a call produced nothing. Detail is an English sentence for logs and
// the command line (with the system's text for I/O errors); the words shown
// in a window are the caller's.
struct BmpFailure {
  BmpFault Fault = BmpFault::None;
  std::string Detail;
  bool Failed() const { return Fault != BmpFault::None; }
};

// Short name of a fault: "not a BMP", "truncated", "too large", ...
const char* BmpFaultName(BmpFault fault);
// "<name>: <detail>", for printing.
std::string DescribeBmpFailure(const BmpFailure& failure);

// BMP compression codes that matter here.
inline constexpr std::uint32_t kBmpRgb = 0;
inline constexpr std::uint32_t kBmpBitfields = 3;
inline constexpr std::uint32_t kBmpAlphaBitfields = 6;

// What the headers of a bitmap file say.
struct BmpInfo {
  int Width = 0;
  int Height = 0;  // always positive; see TopDown
  int BitsPerPixel = 0;
  std::uint32_t Compression = kBmpRgb;
  bool TopDown = false;           // rows stored from the top (a negative height in the file)
  std::uint32_t PixelOffset = 0;  // file position of the first pixel byte
  std::uint32_t HeaderSize = 0;   // 12 (OS/2 core), 40, 52, 56, 108 or 124
  int PaletteColours = 0;         // entries present in the file's colour table
  std::uint32_t RedMask = 0, GreenMask = 0, BlueMask = 0, AlphaMask = 0;  // BI_BITFIELDS only
  // Whether DecodeBmp decodes the pixels itself; when not, NotDecodedWhy
  // says what it lacks ("RLE8 compression", "16 bits per pixel", ...).
  bool Decodable = false;
  std::string NotDecodedWhy;
};

// The largest photograph the rendering job accepts, in bytes of 24-bit
// pixels: it addresses pictures with 32-bit signed byte offsets.
inline constexpr std::uint64_t kMaxPhotographBytes =
    static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());

// Sizes a decoder refuses (TooLarge) from the headers alone, before it
// allocates anything.
struct BmpLimits {
  int MaxWidth = std::numeric_limits<int>::max();
  int MaxHeight = std::numeric_limits<int>::max();
  std::uint64_t MaxBytes = kMaxPhotographBytes;  // of the decoded picture: 3 x width x height
};

struct BmpInfoResult {
  BmpInfo Info;
  BmpFailure Failure;  // NotBmp, Malformed, Truncated or IoError; None when Info holds the headers
};

struct BmpDecodeResult {
  RgbImage Image;  // empty unless Failure.Fault is None
  BmpInfo Info;    // the headers, as far as they could be read
  BmpFailure Failure;
};

// Reads the file header and the information header (with the bit masks
// that follow a BITMAPINFOHEADER) from the start of `source`, nothing of
// the colour table or the pixels. Unsupported pixel formats are not a
// failure here: Info.Decodable tells.
BmpInfoResult ReadBmpInfo(ByteSource& source);

// Decodes a whole bitmap file from the start of `source` into a new
// picture, rows from the top as RgbImage keeps them.
//
// The declared size is checked against `limits`, and against the bytes the
// source still holds where it knows them, before the picture is allocated:
// a small file declaring a huge picture is refused at once, with little
// memory. The pixels are read in strips of rows into a buffer of at most a
// few hundred kilobytes and converted from there into the picture. A file
// that ends before its last pixel row is Truncated (only the padding of the
// last row may be missing); bytes after the pixels are ignored.
//
// Progress: the whole percent of rows decoded, after each strip when it
// changed, ending with 100. Cancellation is looked at before every strip.
BmpDecodeResult DecodeBmp(ByteSource& source, const BmpLimits& limits = {}, ProgressSink& progress = SilentProgress(),
                          const CancelToken& cancel = NeverCancelled());

// Checks, from the start of `source`, that a bitmap's pixel data is all
// there without decoding it: uncompressed rows of any depth up to the last
// row, a run-length (RLE4, RLE8) stream up to its end-of-bitmap mark or its
// last row. Truncated when they end early; None when complete and for
// embedded JPEG or PNG pixels, whose own decoder tells.
BmpFailure CheckBmpPixelData(ByteSource& source);

// Size in bytes of the 24-bit bitmap file of a width x height picture, or
// nothing when the format's 32-bit size fields cannot hold it.
std::optional<std::uint64_t> EncodedBmpSize(int width, int height);

// Writes `image` to `sink` as a 24-bit bottom-up BI_RGB bitmap with a
// BITMAPINFOHEADER and 3937 pixels per metre (100 dpi, what Qt records for
// a picture made without a screen). The rows go out in strips of at most a few hundred
// kilobytes, so the file never exists in memory whole. Refuses an empty
// picture (Malformed) and one EncodedBmpSize cannot give (TooLarge) before
// writing anything; IoError when the sink refuses bytes, Cancelled when a
// stop was asked for: the sink may then hold part of a file, which the
// caller discards.
//
// Progress: the whole percent of rows written, after each strip when it
// changed, ending with 100. Cancellation is looked at before every strip.
BmpFailure EncodeBmp(const RgbImage& image, ByteSink& sink, ProgressSink& progress = SilentProgress(),
                     const CancelToken& cancel = NeverCancelled());

}  // namespace vesk
