// The metafile writer behind a recording DC: every call on the DC becomes an
// enhanced-metafile record, drawn objects are created in the metafile's own
// object table when first selected, and the bounds of everything drawn are
// collected in device units of the reference device.
//
// Calls without a record of their own: FillRect, FrameRect and InvertRect
// become region records of their rectangle (a frame one device pixel wide
// at the time of recording, at least one logical unit); offsets of origins
// become the new origins; transfers store the source rectangle's pixels as a
// 24-bit bitmap. Not recorded: bitmap selection, and transfers whose source
// DC has no pixels (another recording DC). Extended pens lose user dash
// entries (the device layer does not report them).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/emf/emf_format.h"
#include "platform/gdi/dc_recorder.h"

namespace vx::plat::emf {

// What a recording needs to know at its start.
struct RecordingSetup {
  DeviceDesc Device;              // the reference device
  std::optional<RECT> Frame;      // 0.01 mm, as the caller gave it
  std::u16string Description;     // "app\0title\0\0" with its terminators, or empty
  std::u16string FileName;        // written when the recording closes, or empty
};

class EmfRecorder final : public gdi::DcRecorder {
public:
  explicit EmfRecorder(RecordingSetup setup);

  // The recording DC, needed to map coordinates for the bounds.
  void Attach(HDC dc) { FDc = dc; }
  // The complete metafile: header, the records so far and the end-of-file record.
  std::vector<std::uint8_t> Finish() const;
  const std::u16string& FileName() const { return FSetup.FileName; }

  void SaveDC() override;
  void RestoreDC(int savedDC) override;
  void SetMapMode(int mode) override;
  void SetWindowOrgEx(int x, int y) override;
  void SetWindowExtEx(int cx, int cy) override;
  void SetViewportOrgEx(int x, int y) override;
  void SetViewportExtEx(int cx, int cy) override;
  void OffsetWindowOrgEx(int dx, int dy) override;
  void OffsetViewportOrgEx(int dx, int dy) override;
  void ScaleViewportExtEx(int xNum, int xDenom, int yNum, int yDenom) override;
  void ScaleWindowExtEx(int xNum, int xDenom, int yNum, int yDenom) override;
  void SetROP2(int rop2) override;
  void SetBkMode(int mode) override;
  void SetBkColor(COLORREF color) override;
  void SetTextColor(COLORREF color) override;
  void SetTextAlign(UINT align) override;
  void SetPolyFillMode(int mode) override;
  void SetStretchBltMode(int mode) override;
  void SetBrushOrgEx(int x, int y) override;
  void MoveToEx(int x, int y) override;

  void SelectObject(HGDIOBJ object) override;
  void DeleteObject(HGDIOBJ object) override;

  void LineTo(int x, int y) override;
  void Polyline(const POINT* points, int count) override;
  void PolylineTo(const POINT* points, DWORD count) override;
  void PolyPolyline(const POINT* points, const DWORD* counts, DWORD polylines) override;
  void Polygon(const POINT* points, int count) override;
  void PolyPolygon(const POINT* points, const int* counts, int polygons) override;
  void PolyBezier(const POINT* points, DWORD count) override;
  void PolyBezierTo(const POINT* points, DWORD count) override;
  void Rectangle(int left, int top, int right, int bottom) override;
  void Ellipse(int left, int top, int right, int bottom) override;
  void RoundRect(int left, int top, int right, int bottom, int width, int height) override;
  void Arc(const RECT& box, POINT start, POINT end) override;
  void ArcTo(const RECT& box, POINT start, POINT end) override;
  void Chord(const RECT& box, POINT start, POINT end) override;
  void Pie(const RECT& box, POINT start, POINT end) override;
  void FillRect(const RECT& rect, HBRUSH brush) override;
  void FrameRect(const RECT& rect, HBRUSH brush) override;
  void InvertRect(const RECT& rect) override;
  void SetPixel(int x, int y, COLORREF color) override;

  void FillRgn(HRGN region, HBRUSH brush) override;
  void FrameRgn(HRGN region, HBRUSH brush, int width, int height) override;
  void PaintRgn(HRGN region) override;
  void InvertRgn(HRGN region) override;
  void ExtSelectClipRgn(HRGN region, int mode) override;
  void IntersectClipRect(int left, int top, int right, int bottom) override;
  void ExcludeClipRect(int left, int top, int right, int bottom) override;
  void OffsetClipRgn(int dx, int dy) override;

  void ExtTextOutW(int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count,
                   const int* dx) override;

  void BitBlt(int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) override;
  void StretchBlt(int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int widthSrc, int heightSrc,
                  DWORD rop) override;
  void PatBlt(int x, int y, int width, int height, DWORD rop) override;
  void StretchDIBits(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                     int srcHeight, const void* bits, std::size_t bitsSize, const BITMAPINFO* info, UINT usage,
                     DWORD rop) override;
  void SetDIBitsToDevice(int xDest, int yDest, DWORD width, DWORD height, int xSrc, int ySrc, UINT startScan,
                         UINT scanLines, const void* bits, std::size_t bitsSize, const BITMAPINFO* info,
                         UINT usage) override;

private:
  // An object of the metafile's table: the caller's handle and the
  // description it was created from (a recycled handle value shows as a
  // changed description).
  struct TableEntry {
    std::uint32_t Index = 0;
    std::vector<std::uint8_t> Description;
  };
  // Bounds of everything drawn, inclusive, device units.
  struct Bounds {
    bool Any = false;
    std::int64_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  };

  void Append(const void* record, std::size_t size);
  // Appends a fixed record part followed by a bitmap's info block and bits.
  template <class Record>
  void AppendWithDib(const Record& r, const void* info, std::size_t infoSize, const void* bits,
                     std::size_t bitsSize);
  void AppendWithTail(const void* fixed, std::size_t fixedSize, const void* tail, std::size_t tailSize);
  void EmitDword(DWORD type, DWORD value);
  void EmitPoint(DWORD type, LONG x, LONG y);
  void EmitBox(DWORD type, LONG left, LONG top, LONG right, LONG bottom);
  void EmitPoints(DWORD type, const POINT* points, std::size_t count, const RECT& bounds);
  void EmitPolyPoints(DWORD type, const POINT* points, const DWORD* counts, std::size_t polys,
                      const RECT& bounds);
  void EmitArc(DWORD type, const RECT& box, POINT start, POINT end);
  void EmitRegion(DWORD type, const std::vector<RECT>& rects, std::uint32_t brush, SIZE stroke);
  void EmitDib(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
               int srcHeight, const BITMAPINFO* info, std::size_t infoSize, const void* bits,
               std::size_t bitsSize, UINT usage, DWORD rop);

  // Object table.
  std::uint32_t IndexFor(HGDIOBJ object);
  std::uint32_t AllocateIndex();
  void ReleaseIndex(std::uint32_t index);
  bool EmitCreate(HGDIOBJ object, std::uint32_t index, const std::vector<std::uint8_t>& description);
  static std::vector<std::uint8_t> Describe(HGDIOBJ object);

  // Bounds, from logical coordinates of the recording DC.
  void AddDevicePoint(std::int64_t x, std::int64_t y, std::int64_t inflate);
  void AddDeviceRect(const RECT& r);
  RECT LogicalPointsBounds(const POINT* points, std::size_t count, bool withCurrentPosition);
  RECT FigureBounds(int left, int top, int right, int bottom);
  RECT TextBounds(int x, int y, UINT options, const RECT* rect, const WCHAR* text, UINT count, const int* dx);
  std::int64_t PenInflation() const;
  POINT ToDevice(POINT p) const;
  RECT DeviceRect(int left, int top, int right, int bottom) const;
  void AddBounds(const RECT& r) { AddDeviceRect(r); }

  RecordingSetup FSetup;
  HDC FDc = nullptr;
  std::vector<std::uint8_t> FRecords;
  std::uint32_t FRecordCount = 0;
  std::map<HGDIOBJ, TableEntry> FObjects;
  std::vector<bool> FUsed;  // index -> in use (index 0 is the metafile itself)
  std::uint32_t FHandles = 1;
  Bounds FBounds;
};

// The rectangles (device units) that make up a region, merged into bands.
std::vector<RECT> RegionRects(HRGN region);

}  // namespace vx::plat::emf
