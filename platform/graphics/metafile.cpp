// TMetafile and TMetafileCanvas.
#include "platform/graphics/metafile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/emf/emf_format.h"
#include "platform/emf/wmf_convert.h"

namespace vx::plat {

VX_DEFINE_CLASS(TMetafile, TGraphic)
VX_DEFINE_CLASS(TMetafileCanvas, TCanvas)

namespace {

// 0.01 mm <-> pixels at 96 per inch (2540 / 96 = 26.46 units per pixel, so
// both directions round trip), rounded halves away from zero.
std::int32_t MMToPixels(std::int32_t mm) {
  const std::int64_t v = std::int64_t{mm} * 96;
  return static_cast<std::int32_t>(v >= 0 ? (v + 1270) / 2540 : -((-v + 1270) / 2540));
}
std::int32_t PixelsToMM(std::int32_t px) {
  const std::int64_t v = std::int64_t{px} * 2540;
  return static_cast<std::int32_t>(v >= 0 ? (v + 48) / 96 : -((-v + 48) / 96));
}

std::uint32_t U32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

bool SniffEmf(std::span<const std::uint8_t> head) {
  return head.size() >= 44 && U32(head.data()) == EMR_HEADER && U32(head.data() + 40) == ENHMETA_SIGNATURE;
}

bool SniffWmf(std::span<const std::uint8_t> head) { return emf::LooksLikeWmf(head); }

[[maybe_unused]] const bool kRegistered = [] {
  RegisterFileFormat("emf", u"Enhanced Metafiles", TMetafile::StaticClass(), SniffEmf);
  RegisterFileFormat("wmf", u"Metafiles", TMetafile::StaticClass(), SniffWmf);
  return true;
}();

// Reads exactly `size` bytes or raises EInvalidGraphic (the stream is left
// where it was by the caller on failure).
std::vector<std::uint8_t> ReadExactly(TStream& stream, std::uint64_t size, const char* what) {
  if (size > static_cast<std::uint64_t>(stream.Remaining()) || size > emf::kMaxMetafileBytes)
    throw EInvalidGraphic(std::string("Invalid ") + what + ": the data end before the size the header gives");
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  stream.ReadBuffer(data.data(), static_cast<std::int64_t>(size));
  return data;
}

// The stream image of one metafile at the stream's position, as enhanced bytes.
std::vector<std::uint8_t> ReadImage(TStream& stream, bool& enhanced) {
  std::uint8_t head[sizeof(ENHMETAHEADER)] = {};
  const std::int64_t start = stream.GetPosition();
  const auto got = static_cast<std::size_t>(stream.Read(head, static_cast<std::int32_t>(sizeof head)));
  stream.SetPosition(start);
  const std::span<const std::uint8_t> peek(head, got);
  if (SniffEmf(peek)) {
    if (got < kEmfHeaderBaseSize) throw EInvalidGraphic("Invalid EMF: data too short for a header");
    const std::uint32_t bytes = U32(head + offsetof(ENHMETAHEADER, nBytes));
    std::vector<std::uint8_t> data = ReadExactly(stream, bytes, "EMF");
    emf::ValidateEnhMetaFile(data);
    enhanced = true;
    return data;
  }
  if (emf::LooksLikeWmf(peek)) {
    const bool placeable = got >= 4 && U32(head) == WMF_PLACEABLE_KEY;
    const std::size_t base = placeable ? sizeof(WMFPLACEABLEHEADER) : 0;
    if (got < base + sizeof(WMFHEADER)) throw EInvalidGraphic("Invalid WMF: data too short for a header");
    const std::uint64_t words = U32(head + base + offsetof(WMFHEADER, Size));
    std::vector<std::uint8_t> data = ReadExactly(stream, base + words * 2, "WMF");
    std::vector<std::uint8_t> converted = emf::WmfToEmf(data);
    enhanced = false;
    return converted;
  }
  throw EInvalidGraphic("Invalid metafile: the data are neither an enhanced nor an old-style metafile");
}

}  // namespace

TMetafile::TMetafile() = default;

TMetafile::~TMetafile() {
  if (FHandle) DeleteEnhMetaFile(FHandle);
}

bool TMetafile::GetEmpty() const { return FHandle == nullptr; }

std::int32_t TMetafile::GetWidth() const { return MMToPixels(FMMWidth); }
std::int32_t TMetafile::GetHeight() const { return MMToPixels(FMMHeight); }

void TMetafile::SetWidth(std::int32_t value) { SetMMWidth(PixelsToMM(value)); }
void TMetafile::SetHeight(std::int32_t value) { SetMMHeight(PixelsToMM(value)); }

void TMetafile::SetMMWidth(std::int32_t value) {
  if (value == FMMWidth) return;
  FMMWidth = value;
  Changed(this);
}

void TMetafile::SetMMHeight(std::int32_t value) {
  if (value == FMMHeight) return;
  FMMHeight = value;
  Changed(this);
}

void TMetafile::SetEnhanced(bool value) {
  if (value == FEnhanced) return;
  FEnhanced = value;
  Changed(this);
}

void TMetafile::TakeFrame() {
  ENHMETAHEADER h;
  if (!FHandle || GetEnhMetaFileHeader(FHandle, sizeof h, &h) == 0) {
    FMMWidth = FMMHeight = 0;
    return;
  }
  const auto extent = [](LONG from, LONG to) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{to} - from, 0, INT32_MAX));
  };
  FMMWidth = extent(h.rclFrame.Left, h.rclFrame.Right);
  FMMHeight = extent(h.rclFrame.Top, h.rclFrame.Bottom);
  if (FMMWidth <= 0 || FMMHeight <= 0) {
    // No frame: the drawn bounds in pixels of the reference device.
    const auto toMM = [](std::int64_t px, LONG device, LONG micrometres, LONG mm) -> std::int32_t {
      const long double per = device > 0 && micrometres > 0 ? micrometres / 10.0L / device
                              : device > 0 && mm > 0     ? mm * 100.0L / device
                                                         : 2540.0L / 96;
      return static_cast<std::int32_t>(std::clamp<long double>(std::round(px * per), 0, INT32_MAX));
    };
    FMMWidth = toMM(std::int64_t{h.rclBounds.Right} - h.rclBounds.Left + 1, h.szlDevice.cx, h.szlMicrometers.cx,
                    h.szlMillimeters.cx);
    FMMHeight = toMM(std::int64_t{h.rclBounds.Bottom} - h.rclBounds.Top + 1, h.szlDevice.cy, h.szlMicrometers.cy,
                     h.szlMillimeters.cy);
  }
}

void TMetafile::SetHandle(HENHMETAFILE value) {
  if (value == FHandle) return;
  if (FHandle) DeleteEnhMetaFile(FHandle);
  FHandle = value;
  TakeFrame();
  Changed(this);
}

HENHMETAFILE TMetafile::ReleaseHandle() {
  HENHMETAFILE handle = FHandle;
  FHandle = nullptr;
  FMMWidth = FMMHeight = 0;
  Changed(this);
  return handle;
}

void TMetafile::Clear() {
  if (FHandle) DeleteEnhMetaFile(FHandle);
  FHandle = nullptr;
  FMMWidth = FMMHeight = 0;
  Changed(this);
}

String TMetafile::GetDescription() const {
  const UINT length = GetEnhMetaFileDescriptionW(FHandle, 0, nullptr);
  if (length == 0) return {};
  String text(length, u'\0');
  GetEnhMetaFileDescriptionW(FHandle, length, text.data());
  while (!text.empty() && text.back() == u'\0') text.pop_back();
  return text;
}

void TMetafile::Draw(TCanvas& canvas, const TRect& r) {
  if (!FHandle) return;
  PlayEnhMetaFile(canvas.GetHandle(), FHandle, &r);
}

void TMetafile::LoadFromStream(TStream& stream) {
  const std::int64_t start = stream.GetPosition();
  bool enhanced = true;
  HENHMETAFILE handle = nullptr;
  try {
    const std::vector<std::uint8_t> data = ReadImage(stream, enhanced);
    handle = emf::CreateEnhMetaFileFromBytes(data);
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
  if (FHandle) DeleteEnhMetaFile(FHandle);
  FHandle = handle;
  FEnhanced = enhanced;
  TakeFrame();
  Changed(this);
}

void TMetafile::SaveToStream(TStream& stream) {
  const std::vector<std::uint8_t>* bytes = emf::EnhMetaFileBytes(FHandle);
  if (!bytes) throw EInvalidGraphic("Cannot save an empty metafile");
  if (FEnhanced) {
    stream.WriteBuffer(bytes->data(), static_cast<std::int64_t>(bytes->size()));
    return;
  }
  const std::vector<std::uint8_t> wmf = emf::EmfToWmf(*bytes);
  stream.WriteBuffer(wmf.data(), static_cast<std::int64_t>(wmf.size()));
}

void TMetafile::Assign(const TPersistent* Source) {
  if (!Source) {
    Clear();
    return;
  }
  const auto* other = dynamic_cast<const TMetafile*>(Source);
  if (!other) {
    TGraphic::Assign(Source);
    return;
  }
  if (other == this) return;
  HENHMETAFILE copy = other->FHandle ? CopyEnhMetaFileW(other->FHandle, nullptr) : nullptr;
  if (FHandle) DeleteEnhMetaFile(FHandle);
  FHandle = copy;
  FMMWidth = other->FMMWidth;
  FMMHeight = other->FMMHeight;
  FEnhanced = other->FEnhanced;
  Changed(this);
}

// ---------------------------------------------------------------------------
// TMetafileCanvas
// ---------------------------------------------------------------------------

namespace {

HDC StartRecording(const TMetafile& metafile, HDC reference, const String& description) {
  const RECT frame{0, 0, metafile.GetMMWidth(), metafile.GetMMHeight()};
  const bool sized = frame.Right > 0 && frame.Bottom > 0;
  HDC dc = CreateEnhMetaFileW(reference, nullptr, sized ? &frame : nullptr,
                              description.empty() ? nullptr : description.c_str());
  if (!dc) throw EInvalidGraphic("Cannot start recording a metafile");
  return dc;
}

String Comment(const String& createdBy, const String& description) {
  String text = createdBy;
  text.push_back(u'\0');
  text += description;
  text.push_back(u'\0');
  text.push_back(u'\0');
  return text;
}

}  // namespace

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, HDC referenceDevice) : FMetafile(metafile) {
  SetHandle(StartRecording(*metafile, referenceDevice, String()));
}

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, HDC referenceDevice, const String& createdBy,
                                 const String& description)
    : FMetafile(metafile) {
  SetHandle(StartRecording(*metafile, referenceDevice, Comment(createdBy, description)));
}

TMetafileCanvas::~TMetafileCanvas() {
  HDC dc = HandleAllocated() ? GetHandle() : nullptr;
  SetHandle(nullptr);  // the canvas's objects leave the recording first
  if (!dc) return;
  HENHMETAFILE picture = CloseEnhMetaFile(dc);
  if (picture && FMetafile) FMetafile->SetHandle(picture);
  else if (picture) DeleteEnhMetaFile(picture);
}

}  // namespace vx::plat
