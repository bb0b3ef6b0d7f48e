// Helpers shared by the metafile tests: recording, reading records back,
// raster DCs and pixel comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/emf/emf_format.h"
#include "platform/emf/enhmetafile.h"
#include "platform/gdi/gdi.h"

namespace vx::plat::emftest {

// One record as read back: its type and its bytes.
struct Record {
  DWORD Type = 0;
  std::vector<std::uint8_t> Bytes;
  template <class T>
  T At(std::size_t offset) const {
    T v{};
    if (offset + sizeof(T) <= Bytes.size()) std::memcpy(&v, Bytes.data() + offset, sizeof(T));
    return v;
  }
  std::int32_t I32(std::size_t offset) const { return At<std::int32_t>(offset); }
  std::uint32_t U32(std::size_t offset) const { return At<std::uint32_t>(offset); }
};

// Frees a metafile handle.
struct MetafileDeleter {
  void operator()(HENHMETAFILE__* h) const {
    if (h) DeleteEnhMetaFile(h);
  }
};
using Metafile = std::unique_ptr<HENHMETAFILE__, MetafileDeleter>;

// Frees a DC.
struct DcDeleter {
  void operator()(HDC__* dc) const {
    if (dc) DeleteDC(dc);
  }
};
using DcHandle = std::unique_ptr<HDC__, DcDeleter>;

// Records what `draw` does on a recording DC of the default screen.
inline Metafile RecordMetafile(const std::function<void(HDC)>& draw, const RECT* frame = nullptr,
                               HDC reference = nullptr) {
  HDC dc = CreateEnhMetaFileW(reference, nullptr, frame, nullptr);
  EXPECT_NE(dc, nullptr);
  draw(dc);
  return Metafile(CloseEnhMetaFile(dc));
}

// Every record of a metafile, in order (read without a DC).
inline std::vector<Record> ReadRecords(HENHMETAFILE metafile) {
  std::vector<Record> out;
  emf::EnumEnhMetaFile(
      nullptr, metafile,
      [&](HDC, HANDLETABLE*, const ENHMETARECORD* r, int) {
        Record rec;
        rec.Type = r->iType;
        const auto* p = reinterpret_cast<const std::uint8_t*>(r);
        rec.Bytes.assign(p, p + r->nSize);
        out.push_back(std::move(rec));
        return 1;
      },
      nullptr);
  return out;
}

// The records between header and end-of-file.
inline std::vector<Record> BodyRecords(HENHMETAFILE metafile) {
  std::vector<Record> all = ReadRecords(metafile);
  if (all.size() >= 2) return std::vector<Record>(all.begin() + 1, all.end() - 1);
  return {};
}

inline std::vector<DWORD> Types(const std::vector<Record>& records) {
  std::vector<DWORD> types;
  for (const Record& r : records) types.push_back(r.Type);
  return types;
}

inline ENHMETAHEADER HeaderOf(HENHMETAFILE metafile) {
  ENHMETAHEADER h;
  GetEnhMetaFileHeader(metafile, sizeof h, &h);
  return h;
}

inline std::vector<std::uint8_t> BytesOf(HENHMETAFILE metafile) {
  std::vector<std::uint8_t> bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
  GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data());
  return bytes;
}

// A white raster DC.
inline DcHandle RasterDc(int width, int height) { return DcHandle(CreateRasterDC(width, height)); }

// The pixels of a raster DC, row by row (0x00RRGGBB).
inline std::vector<std::uint32_t> Pixels(HDC dc) {
  int w = 0, h = 0, stride = 0;
  const std::uint32_t* p = RasterPixels(dc, &w, &h, &stride);
  std::vector<std::uint32_t> out;
  if (!p) return out;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) out.push_back(p[static_cast<std::ptrdiff_t>(y) * stride + x] & 0x00FFFFFFu);
  return out;
}

inline std::uint32_t PixelAt(HDC dc, int x, int y) {
  int w = 0, h = 0, stride = 0;
  const std::uint32_t* p = RasterPixels(dc, &w, &h, &stride);
  if (!p || x < 0 || y < 0 || x >= w || y >= h) return 0xFFFFFFFFu;
  return p[static_cast<std::ptrdiff_t>(y) * stride + x] & 0x00FFFFFFu;
}

// Number of pixels that differ between two DCs of the same size.
inline std::size_t DifferentPixels(HDC a, HDC b) {
  const auto pa = Pixels(a), pb = Pixels(b);
  if (pa.size() != pb.size()) return static_cast<std::size_t>(-1);
  std::size_t n = 0;
  for (std::size_t i = 0; i < pa.size(); ++i) n += pa[i] != pb[i];
  return n;
}

// Number of non-white pixels.
inline std::size_t InkPixels(HDC dc) {
  std::size_t n = 0;
  for (std::uint32_t p : Pixels(dc)) n += p != 0x00FFFFFFu;
  return n;
}

// Builds a metafile image record by record (for hand-made and malformed files).
class EmfBuilder {
public:
  EmfBuilder() {
    ENHMETAHEADER h;
    h.rclBounds = RECT{0, 0, 99, 99};
    h.rclFrame = RECT{0, 0, 2646, 2646};
    h.szlDevice = SIZE{1920, 1080};
    h.szlMillimeters = SIZE{508, 286};
    h.szlMicrometers = SIZE{508000, 285750};
    h.nHandles = 4;
    Header = h;
  }
  // Appends a record given as its fixed struct (size filled in) and a tail.
  template <class T>
  EmfBuilder& Add(T record, const void* tail = nullptr, std::size_t tailSize = 0) {
    const auto* fixed = reinterpret_cast<const std::uint8_t*>(&record);
    std::vector<std::uint8_t> bytes(fixed, fixed + sizeof(T));
    const auto* extra = static_cast<const std::uint8_t*>(tail);
    if (extra) bytes.insert(bytes.end(), extra, extra + tailSize);
    while (bytes.size() % 4) bytes.push_back(0);
    const auto size = static_cast<std::uint32_t>(bytes.size());
    std::memcpy(bytes.data() + 4, &size, 4);
    Body.insert(Body.end(), bytes.begin(), bytes.end());
    ++Count;
    return *this;
  }
  EmfBuilder& AddRaw(const std::vector<std::uint8_t>& bytes) {
    Body.insert(Body.end(), bytes.begin(), bytes.end());
    ++Count;
    return *this;
  }
  // The complete file image with consistent counts.
  std::vector<std::uint8_t> Build() const {
    ENHMETAHEADER h = Header;
    h.nSize = sizeof(ENHMETAHEADER);
    h.nRecords = Count + 2;
    h.nBytes = static_cast<DWORD>(sizeof(ENHMETAHEADER) + Body.size() + sizeof(EMREOF));
    const auto* head = reinterpret_cast<const std::uint8_t*>(&h);
    std::vector<std::uint8_t> out;
    out.reserve(sizeof h + Body.size() + sizeof(EMREOF));
    out.insert(out.end(), head, head + sizeof h);
    out.insert(out.end(), Body.begin(), Body.end());
    EMREOF eof;
    const auto* e = reinterpret_cast<const std::uint8_t*>(&eof);
    out.insert(out.end(), e, e + sizeof eof);
    return out;
  }
  ENHMETAHEADER Header;
  std::vector<std::uint8_t> Body;
  std::uint32_t Count = 0;
};

}  // namespace vx::plat::emftest
