// Internals of the metafile module shared by its .cpp files: reading and
// writing little-endian values in byte buffers, the layout check of single
// records, region data and device-independent bitmap sizes. Nothing outside
// platform/emf includes this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/emf/emf_format.h"

namespace vx::plat::emf {

// A value of type T read from possibly unaligned memory.
template <class T>
T Load(const std::uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof(T));
  return v;
}

// Appends little-endian values and records to a growing byte buffer.
class ByteWriter {
public:
  explicit ByteWriter(std::vector<std::uint8_t>& out) : FOut(out) {}
  std::size_t Size() const { return FOut.size(); }
  template <class T>
  void Put(const T& value) {
    PutBytes(&value, sizeof(T));
  }
  void PutBytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    FOut.insert(FOut.end(), p, p + size);
  }
  void PutZeros(std::size_t count) { FOut.insert(FOut.end(), count, 0); }
  // Pads with zeros to a multiple of `unit` bytes counted from `start`.
  void PadFrom(std::size_t start, std::size_t unit) {
    while ((FOut.size() - start) % unit != 0) FOut.push_back(0);
  }
  template <class T>
  void PatchAt(std::size_t offset, const T& value) {
    std::memcpy(FOut.data() + offset, &value, sizeof(T));
  }

private:
  std::vector<std::uint8_t>& FOut;
};

// One record inside a metafile's bytes.
struct RecordRef {
  const std::uint8_t* Data = nullptr;
  std::uint32_t Type = 0;
  std::uint32_t Size = 0;
};

// The layout check of one record of `size` bytes (size >= 8, a multiple of 4):
// nullptr when every count, offset and object number fits, else what is wrong
// ("holds fewer points than its count"). `handles` is the header's object
// table size (object numbers must lie in 1..handles-1).
const char* CheckRecordLayout(const std::uint8_t* record, std::size_t size, std::uint32_t handles);

// Whether the object number of a select/delete record names a stock object,
// and which.
constexpr bool IsStockIndex(std::uint32_t ih) { return (ih & ENHMETA_STOCK_OBJECT) != 0; }
constexpr int StockIndexOf(std::uint32_t ih) { return static_cast<int>(ih & 0x7FFFFFFFu); }
// The stock index of a stock object handle, or -1 for other handles.
int StockIndexOfHandle(HGDIOBJ object);

// The rectangles of region data (header and rectangles) of `size` bytes;
// an empty list for data that do not hold a rectangle list.
std::vector<RECT> ReadRegionRects(const std::uint8_t* data, std::size_t size);
// Whether `size` bytes at `data` hold region data whose rectangles fit.
bool RegionDataFits(const std::uint8_t* data, std::size_t size);
// Region data (header and rectangles) for `rects`.
std::vector<std::uint8_t> MakeRegionData(const std::vector<RECT>& rects);

// Bytes of the info header with its masks and colour table that `header`
// announces (at least the header's own size), or 0 for a header that makes no
// sense (negative sizes, more than 256 colours, unknown bit depth).
std::size_t DibInfoSize(const BITMAPINFOHEADER& header);
// Bytes of pixel data an uncompressed DIB of that header needs (0 for
// compressed ones, whose size is what the record says).
std::uint64_t DibBitsSize(const BITMAPINFOHEADER& header);
// Whether a bitmap at [offBmi, offBmi+cbBmi) and bits at [offBits,
// offBits+cbBits) inside a record of `size` bytes are consistent; a record
// without a bitmap has cbBmi 0. With `wholeImage` the bits must hold every
// row the header announces.
bool DibFits(const std::uint8_t* record, std::size_t size, std::uint32_t offBmi, std::uint32_t cbBmi,
             std::uint32_t offBits, std::uint32_t cbBits, bool wholeImage = true);

// A complete metafile file image: `header` (bounds, frame, device sizes and
// handle count set by the caller), the description (terminators included),
// the records and an end-of-file record; sizes, offsets and counts are set here.
std::vector<std::uint8_t> AssembleEnhMetaFile(ENHMETAHEADER header, std::u16string_view description,
                                              std::span<const std::uint8_t> records, std::uint32_t recordCount);

// Appends one record to a record buffer: pads it to 4 bytes and sets its size.
void AppendRecord(std::vector<std::uint8_t>& records, const void* record, std::size_t size);

// A readable name for messages: "polygon", "create wide font", or "type 123".
std::string RecordName(std::uint32_t type);

}  // namespace vx::plat::emf
