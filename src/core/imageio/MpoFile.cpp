#include "imageio/MpoFile.h"

#include <cstring>
#include <limits>
#include <optional>

#include "common/VeskError.h"

namespace vesk {
namespace {

constexpr std::uint8_t kMarker = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kApp0 = 0xE0;
constexpr std::uint8_t kApp1 = 0xE1;
constexpr std::uint8_t kApp2 = 0xE2;
constexpr char kMpfName[4] = {'M', 'P', 'F', '\0'};

// Tags of the index and attribute directories, and their value types.
constexpr std::uint16_t kVersionTag = 0xB000;
constexpr std::uint16_t kNumberOfImagesTag = 0xB001;
constexpr std::uint16_t kEntriesTag = 0xB002;
constexpr std::uint16_t kIndividualNumberTag = 0xB101;
constexpr std::uint16_t kBaseViewpointTag = 0xB204;
constexpr std::uint16_t kUndefinedType = 7;
constexpr std::uint16_t kLongType = 4;
constexpr std::size_t kEntryBytes = 16;

// An image's attribute: the representative flag and the type code in its
// low 24 bits.
constexpr std::uint32_t kRepresentative = 0x20000000;
constexpr std::uint32_t kTypeMask = 0x00FFFFFF;
constexpr std::uint32_t kDisparityType = 0x020002;
constexpr std::uint32_t kThumbnailTypes[] = {0x010001, 0x010002};

// Sizes of what this writer puts in: the byte-order header with its first
// directory's offset; a directory of three entries with its next offset.
constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kDirectoryBytes = 2 + 3 * 12 + 4;
constexpr std::size_t kIndexPayload = kHeaderBytes + kDirectoryBytes + 2 * kEntryBytes + kDirectoryBytes;
constexpr std::size_t kAttributePayload = kHeaderBytes + kDirectoryBytes;
// Marker, length and name before the payload.
constexpr std::size_t kSegmentHead = 2 + 2 + 4;

class BigEndianOut {
 public:
  explicit BigEndianOut(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  void U8(std::uint8_t value) { bytes_.push_back(value); }
  void U16(std::uint16_t value) {
    U8(static_cast<std::uint8_t>(value >> 8));
    U8(static_cast<std::uint8_t>(value));
  }
  void U32(std::uint32_t value) {
    U16(static_cast<std::uint16_t>(value >> 16));
    U16(static_cast<std::uint16_t>(value));
  }
  void Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
    U16(tag);
    U16(type);
    U32(count);
    U32(value);
  }
  // The format version "0100", kept in the entry itself.
  void VersionEntry() {
    U16(kVersionTag);
    U16(kUndefinedType);
    U32(4);
    for (char c : {'0', '1', '0', '0'}) U8(static_cast<std::uint8_t>(c));
  }
  void SegmentHead(std::size_t payload) {
    U8(kMarker);
    U8(kApp2);
    U16(static_cast<std::uint16_t>(2 + 4 + payload));
    for (char c : kMpfName) U8(static_cast<std::uint8_t>(c));
  }
  // Byte order "MM", 42, and the first directory right after.
  void TiffHeader() {
    U8('M');
    U8('M');
    U16(42);
    U32(kHeaderBytes);
  }
  // The attribute directory of picture `number`; both views share the first
  // one's viewpoint as the base.
  void AttributeDirectory(std::uint32_t number) {
    U16(3);
    VersionEntry();
    Entry(kIndividualNumberTag, kLongType, 1, number);
    Entry(kBaseViewpointTag, kLongType, 1, 1);
    U32(0);
  }

 private:
  std::vector<std::uint8_t>& bytes_;
};

std::uint16_t BigEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

// Where the APP0/APP1 headers of a JPEG stream end.
std::size_t HeadersEnd(std::span<const std::uint8_t> jpeg) {
  if (jpeg.size() < 4 || jpeg[0] != kMarker || jpeg[1] != kStartOfImage) throw VeskError(kMpoNotJpeg);
  std::size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == kMarker && (jpeg[at + 1] == kApp0 || jpeg[at + 1] == kApp1)) {
    const std::size_t length = BigEndian16(jpeg, at + 2);
    if (length < 2 || at + 2 + length > jpeg.size()) throw VeskError(kMpoNotJpeg);
    at += 2 + length;
  }
  return at;
}

void Append(std::vector<std::uint8_t>& to, std::span<const std::uint8_t> bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

// Reads the index's numbers in its byte order; a read beyond the segment
// means the index is damaged.
class IndexReader {
 public:
  IndexReader(std::span<const std::uint8_t> block, bool bigEndian) : block_(block), bigEndian_(bigEndian) {}
  std::uint16_t U16(std::size_t at) const {
    Need(at, 2);
    return bigEndian_ ? static_cast<std::uint16_t>(block_[at] << 8 | block_[at + 1])
                      : static_cast<std::uint16_t>(block_[at + 1] << 8 | block_[at]);
  }
  std::uint32_t U32(std::size_t at) const {
    const std::uint32_t first = U16(at);
    const std::uint32_t second = U16(at + 2);
    return bigEndian_ ? (first << 16 | second) : (second << 16 | first);
  }
  void Need(std::size_t at, std::size_t bytes) const {
    if (at > block_.size() || bytes > block_.size() - at) throw VeskError(kMpoIndexDamaged);
  }

 private:
  std::span<const std::uint8_t> block_;
  bool bigEndian_;
};

struct IndexEntry {
  std::uint32_t Attribute = 0;
  MpoPicture Picture;
};

// The MPF segment's block (after its name) in the first stream's headers,
// and where the block begins in the file: the index's offsets count from it.
struct MpfBlock {
  std::span<const std::uint8_t> Bytes;
  std::size_t Start = 0;
};

MpfBlock FindMpfBlock(std::span<const std::uint8_t> file) {
  if (file.size() < 4 || file[0] != kMarker || file[1] != kStartOfImage) throw VeskError(kMpoNotStereo);
  std::size_t at = 2;
  while (true) {
    if (at + 2 > file.size()) throw VeskError(kMpoTruncated);
    if (file[at] != kMarker) throw VeskError(kMpoNotStereo);
    const std::uint8_t marker = file[at + 1];
    if (marker == kMarker) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (marker == kStartOfScan || marker == kEndOfImage) throw VeskError(kMpoNotStereo);
    if (marker == 0x01 || marker == kStartOfImage || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      at += 2;
      continue;
    }
    if (at + 4 > file.size()) throw VeskError(kMpoTruncated);
    const std::size_t length = BigEndian16(file, at + 2);
    if (length < 2) throw VeskError(kMpoNotStereo);
    if (at + 2 + length > file.size()) throw VeskError(kMpoTruncated);
    if (marker == kApp2 && length >= 2 + 4 && std::memcmp(file.data() + at + 4, kMpfName, 4) == 0)
      return MpfBlock{file.subspan(at + kSegmentHead, length - 6), at + kSegmentHead};
    at += 2 + length;
  }
}

std::vector<IndexEntry> ReadIndex(const MpfBlock& mpf) {
  const std::span<const std::uint8_t> block = mpf.Bytes;
  if (block.size() < kHeaderBytes) throw VeskError(kMpoIndexDamaged);
  bool bigEndian = false;
  if (block[0] == 'M' && block[1] == 'M')
    bigEndian = true;
  else if (!(block[0] == 'I' && block[1] == 'I'))
    throw VeskError(kMpoIndexDamaged);
  const IndexReader read(block, bigEndian);
  if (read.U16(2) != 42) throw VeskError(kMpoIndexDamaged);
  const std::size_t directory = read.U32(4);
  const std::size_t count = read.U16(directory);
  read.Need(directory + 2, count * 12);
  std::optional<std::uint32_t> images;
  std::optional<std::size_t> entriesAt;
  std::size_t entriesBytes = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = directory + 2 + 12 * i;
    const std::uint16_t tag = read.U16(entry);
    const std::uint16_t type = read.U16(entry + 2);
    const std::uint32_t values = read.U32(entry + 4);
    if (tag == kNumberOfImagesTag) {
      if (type != kLongType || values != 1) throw VeskError(kMpoIndexDamaged);
      images = read.U32(entry + 8);
    } else if (tag == kEntriesTag) {
      if (type != kUndefinedType || values == 0 || values % kEntryBytes != 0) throw VeskError(kMpoIndexDamaged);
      entriesBytes = values;
      entriesAt = read.U32(entry + 8);
    }
  }
  // A picture's own attributes without an index: not the first picture of a
  // pair, or an index that lost its entries.
  if (!entriesAt) throw VeskError(kMpoIndexDamaged);
  read.Need(*entriesAt, entriesBytes);
  const std::size_t pictures = entriesBytes / kEntryBytes;
  if (images && *images != pictures) throw VeskError(kMpoIndexDamaged);
  std::vector<IndexEntry> entries(pictures);
  for (std::size_t i = 0; i < pictures; ++i) {
    const std::size_t at = *entriesAt + kEntryBytes * i;
    IndexEntry& entry = entries[i];
    entry.Attribute = read.U32(at);
    entry.Picture.Size = read.U32(at + 4);
    const std::size_t offset = read.U32(at + 8);
    // The first picture starts the file and says 0; the others count from
    // the index's byte-order header.
    entry.Picture.Offset = offset == 0 ? 0 : mpf.Start + offset;
  }
  return entries;
}

bool IsThumbnail(std::uint32_t attribute) {
  for (std::uint32_t type : kThumbnailTypes)
    if ((attribute & kTypeMask) == type) return true;
  return false;
}

MpoPicture Checked(std::span<const std::uint8_t> file, const MpoPicture& picture) {
  if (picture.Offset > file.size() || picture.Size > file.size() - picture.Offset) throw VeskError(kMpoTruncated);
  if (picture.Size < 4 || file[picture.Offset] != kMarker || file[picture.Offset + 1] != kStartOfImage)
    throw VeskError(kMpoIndexDamaged);
  return picture;
}

}  // namespace

std::vector<std::uint8_t> AssembleStereoMpo(std::span<const std::uint8_t> leftJpeg,
                                            std::span<const std::uint8_t> rightJpeg) {
  const std::size_t leftHeaders = HeadersEnd(leftJpeg);
  const std::size_t rightHeaders = HeadersEnd(rightJpeg);
  const std::uint64_t leftSize = leftJpeg.size() + kSegmentHead + kIndexPayload;
  const std::uint64_t rightSize = rightJpeg.size() + kSegmentHead + kAttributePayload;
  constexpr std::uint64_t kLargest = std::numeric_limits<std::uint32_t>::max();
  if (leftSize > kLargest || rightSize > kLargest || leftSize + rightSize > kLargest) throw VeskError(kMpoNotJpeg);
  // Offsets count from the byte-order header of the first picture's index.
  const std::uint64_t headerAt = leftHeaders + kSegmentHead;

  std::vector<std::uint8_t> file;
  file.reserve(static_cast<std::size_t>(leftSize + rightSize));
  BigEndianOut out(file);
  Append(file, leftJpeg.first(leftHeaders));
  out.SegmentHead(kIndexPayload);
  out.TiffHeader();
  constexpr std::uint32_t kEntriesAt = kHeaderBytes + kDirectoryBytes;
  constexpr std::uint32_t kAttributesAt = kEntriesAt + 2 * kEntryBytes;
  out.U16(3);
  out.VersionEntry();
  out.Entry(kNumberOfImagesTag, kLongType, 1, 2);
  out.Entry(kEntriesTag, kUndefinedType, 2 * kEntryBytes, kEntriesAt);
  out.U32(kAttributesAt);
  out.U32(kRepresentative | kDisparityType);
  out.U32(static_cast<std::uint32_t>(leftSize));
  out.U32(0);
  out.U32(0);  // no dependent pictures
  out.U32(kDisparityType);
  out.U32(static_cast<std::uint32_t>(rightSize));
  out.U32(static_cast<std::uint32_t>(leftSize - headerAt));
  out.U32(0);
  out.AttributeDirectory(1);
  Append(file, leftJpeg.subspan(leftHeaders));

  Append(file, rightJpeg.first(rightHeaders));
  out.SegmentHead(kAttributePayload);
  out.TiffHeader();
  out.AttributeDirectory(2);
  Append(file, rightJpeg.subspan(rightHeaders));
  return file;
}

MpoPair FindStereoPictures(std::span<const std::uint8_t> file) {
  const std::vector<IndexEntry> entries = ReadIndex(FindMpfBlock(file));
  std::vector<MpoPicture> views;
  for (const IndexEntry& entry : entries)
    if ((entry.Attribute & kTypeMask) == kDisparityType) views.push_back(entry.Picture);
  if (views.size() < 2) {
    views.clear();
    for (const IndexEntry& entry : entries)
      if (!IsThumbnail(entry.Attribute)) views.push_back(entry.Picture);
  }
  if (views.size() < 2) throw VeskError(kMpoSinglePicture);
  return MpoPair{Checked(file, views[0]), Checked(file, views[1])};
}

}  // namespace vesk
