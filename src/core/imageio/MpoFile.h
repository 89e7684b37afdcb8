#pragma once

// The container of a stereo pair in one file (MPO): two JPEG streams one
// after the other, the first carrying an index of both in an APP2 segment
// ("MPF"), each carrying its own attributes. Only the container is built and
// read here; the JPEG streams come from and go to the caller's codec.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vesk {

// Why a file is no stereo pair, in English as the other image readers' causes.
inline constexpr const char* kMpoNotStereo = "no multi-picture index (MPF) in its first picture: not an MPO file";
inline constexpr const char* kMpoSinglePicture = "the MPO file holds one picture; a stereo pair needs two";
inline constexpr const char* kMpoTruncated = "the file ends before its pictures do (truncated)";
inline constexpr const char* kMpoIndexDamaged = "the multi-picture index of the MPO file is damaged";
inline constexpr const char* kMpoNotJpeg = "a view is no JPEG stream, or too large for an MPO file";

// The MPO file of a stereo pair: the left view's JPEG stream first, the
// right view's second (the order of viewpoints from left to right), both
// typed as multi-frame disparity images, the first as the representative
// one. The segments go after the streams' APP0/APP1 headers. Raises
// VeskError (kMpoNotJpeg) for a stream that does not begin a JPEG, or that is
// too large for the index's 32-bit sizes.
std::vector<std::uint8_t> AssembleStereoMpo(std::span<const std::uint8_t> leftJpeg,
                                            std::span<const std::uint8_t> rightJpeg);

// Where one picture's JPEG stream lies in the file.
struct MpoPicture {
  std::size_t Offset = 0;
  std::size_t Size = 0;
  friend bool operator==(const MpoPicture&, const MpoPicture&) = default;
};

struct MpoPair {
  MpoPicture Left;
  MpoPicture Right;
};

// The two views of an MPO file from its index: the first two disparity
// images, or where the index types none as such, its first two pictures
// that are no preview thumbnails. Every position is checked against the
// file before it is returned. Raises VeskError with the user's message for
// a file without an index (kMpoNotStereo), with fewer than two pictures
// (kMpoSinglePicture), with a picture beyond its end (kMpoTruncated) or with
// an index that cannot be read (kMpoIndexDamaged).
MpoPair FindStereoPictures(std::span<const std::uint8_t> file);

}  // namespace vesk
