// Reads arbitrary bytes as a bitmap file, from memory and as a stream that
// cannot see its size: both must give the same verdict and pixels, the
// header alone what the decoder saw, and a decoded picture must come back
// unchanged from the encoder. A picture made of the bytes must also survive
// encoding and decoding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "imageio/BmpCodec.h"

namespace {

// Keeps pictures small enough for the fuzzer's memory limit even where the
// stream form allocates before it meets the end of the data.
constexpr vesk::BmpLimits kLimits{4096, 4096, std::uint64_t{1} << 22};

class StreamSource : public vesk::ByteSource {
 public:
  explicit StreamSource(std::span<const std::uint8_t> bytes) : inner_(bytes) {}
  std::size_t Read(void* buffer, std::size_t size) override { return inner_.Read(buffer, size); }

 private:
  vesk::MemoryByteSource inner_;
};

void Check(bool condition) {
  if (!condition) std::abort();
}

vesk::RgbImage DecodeAgain(const vesk::RgbImage& picture) {
  vesk::VectorByteSink sink;
  Check(!vesk::EncodeBmp(picture, sink).Failed());
  Check(vesk::EncodedBmpSize(picture.Width(), picture.Height()) == sink.Bytes().size());
  vesk::MemoryByteSource source(sink.Bytes());
  vesk::BmpDecodeResult decoded = vesk::DecodeBmp(source, kLimits);
  Check(!decoded.Failure.Failed());
  return std::move(decoded.Image);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);

  vesk::MemoryByteSource headerSource(bytes);
  const vesk::BmpInfoResult header = vesk::ReadBmpInfo(headerSource);

  vesk::MemoryByteSource memory(bytes);
  const vesk::BmpDecodeResult fromMemory = vesk::DecodeBmp(memory, kLimits);
  StreamSource stream(bytes);
  const vesk::BmpDecodeResult fromStream = vesk::DecodeBmp(stream, kLimits);

  Check(fromMemory.Failure.Fault == fromStream.Failure.Fault);
  Check(fromMemory.Image == fromStream.Image);
  if (header.Failure.Failed()) {
    Check(fromMemory.Failure.Fault == header.Failure.Fault);
  } else {
    Check(header.Info.Width == fromMemory.Info.Width && header.Info.Height == fromMemory.Info.Height);
    Check(header.Info.Decodable == (fromMemory.Failure.Fault != vesk::BmpFault::Unsupported));
    Check(fromMemory.Failure.Fault != vesk::BmpFault::NotBmp && fromMemory.Failure.Fault != vesk::BmpFault::Malformed);
  }
  if (!fromMemory.Failure.Failed()) {
    const vesk::RgbImage& picture = fromMemory.Image;
    Check(picture.Width() == fromMemory.Info.Width && picture.Height() == fromMemory.Info.Height);
    Check(DecodeAgain(picture) == picture);
  } else {
    Check(fromMemory.Image.Empty());
    Check(!fromMemory.Failure.Detail.empty());
  }

  // A picture of the input's own bytes.
  const int width = 1 + static_cast<int>(size % 13);
  const int height = 1 + static_cast<int>(size / 13 % 7);
  vesk::RgbImage picture = vesk::RgbImage::Unfilled(width, height);
  for (std::size_t i = 0; i < picture.ByteCount(); ++i)
    picture.Data()[i] = size == 0 ? 0 : static_cast<std::uint8_t>(data[i % size] + i / size);
  Check(DecodeAgain(picture) == picture);
  return 0;
}
