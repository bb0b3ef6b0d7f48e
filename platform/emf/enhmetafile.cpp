// Metafile handles, files, validation, recording DCs and enumeration.
#include "platform/emf/enhmetafile.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/core/unicode.h"
#include "platform/emf/emf_player.h"
#include "platform/emf/emf_recorder.h"
#include "platform/emf/emf_records.h"

namespace vx::plat {
namespace emf {
namespace {

using Bytes = std::shared_ptr<const std::vector<std::uint8_t>>;

// Live handles: a handle is the address of its entry's key object, looked up
// before use, so stale handles are recognised instead of followed.
struct Registry {
  std::mutex Lock;
  std::unordered_map<HENHMETAFILE, std::pair<std::unique_ptr<HENHMETAFILE__>, Bytes>> Live;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

HENHMETAFILE Register(Bytes bytes) {
  auto key = std::make_unique<HENHMETAFILE__>();
  HENHMETAFILE handle = key.get();
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  r.Live.emplace(handle, std::make_pair(std::move(key), std::move(bytes)));
  return handle;
}

Bytes Lookup(HENHMETAFILE handle) {
  if (!handle) return nullptr;
  Registry& r = TheRegistry();
  std::lock_guard guard(r.Lock);
  auto it = r.Live.find(handle);
  return it == r.Live.end() ? nullptr : it->second.second;
}

[[noreturn]] void Fail(const std::string& what) { throw EInvalidGraphic("Invalid EMF: " + what); }

std::string Utf8Name(const WCHAR* fileName) { return StringToUtf8(std::u16string_view(fileName)); }

// The default reference: a 96-dpi screen.
DeviceDesc ScreenDevice() {
  DeviceDesc d;
  d.Width = 1920;
  d.Height = 1080;
  d.DpiX = d.DpiY = 96;
  d.WidthMM = 508;   // 1920 px at 96 dpi
  d.HeightMM = 286;  // 1080 px at 96 dpi, rounded
  d.Technology = DT_RASDISPLAY;
  return d;
}

DeviceDesc ReferenceDevice(HDC reference) {
  if (!reference || GetDeviceCaps(reference, HORZRES) <= 0 || GetDeviceCaps(reference, VERTRES) <= 0)
    return ScreenDevice();
  DeviceDesc d;
  d.Width = GetDeviceCaps(reference, HORZRES);
  d.Height = GetDeviceCaps(reference, VERTRES);
  d.DpiX = std::max(GetDeviceCaps(reference, LOGPIXELSX), 1);
  d.DpiY = std::max(GetDeviceCaps(reference, LOGPIXELSY), 1);
  d.WidthMM = GetDeviceCaps(reference, HORZSIZE);
  d.HeightMM = GetDeviceCaps(reference, VERTSIZE);
  if (d.WidthMM <= 0) d.WidthMM = std::max(1, static_cast<int>(d.Width * 25.4 / d.DpiX + 0.5));
  if (d.HeightMM <= 0) d.HeightMM = std::max(1, static_cast<int>(d.Height * 25.4 / d.DpiY + 0.5));
  d.PhysicalWidth = GetDeviceCaps(reference, PHYSICALWIDTH);
  d.PhysicalHeight = GetDeviceCaps(reference, PHYSICALHEIGHT);
  d.PhysicalOffsetX = GetDeviceCaps(reference, PHYSICALOFFSETX);
  d.PhysicalOffsetY = GetDeviceCaps(reference, PHYSICALOFFSETY);
  d.Technology = GetDeviceCaps(reference, TECHNOLOGY);
  return d;
}

// The description as stored: up to and including the double terminator.
std::u16string DescriptionOf(const WCHAR* description) {
  std::u16string out;
  if (!description) return out;
  constexpr std::size_t kMaxUnits = 4096;
  for (std::size_t i = 0; i < kMaxUnits; ++i) {
    out.push_back(description[i]);
    if (description[i] == 0 && i > 0 && description[i - 1] == 0) return out;
  }
  out.append(2, u'\0');
  return out;
}

void WriteFileAtomically(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
  TSafeFileStream file(fileName);
  file.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  file.Commit();
}

// An 8-byte aligned copy of a record for a callback; create-wide-font
// records are widened to 332 bytes, zero filled.
const ENHMETARECORD* CallbackCopy(const RecordRef& ref, std::vector<std::uint64_t>& buffer) {
  std::size_t size = ref.Size;
  const bool font = ref.Type == EMR_EXTCREATEFONTINDIRECTW && size < kEmrExtCreateFontSize;
  if (font) size = kEmrExtCreateFontSize;
  buffer.assign((size + 7) / 8, 0);
  std::memcpy(buffer.data(), ref.Data, ref.Size);
  if (font) {
    const auto widened = static_cast<std::uint32_t>(kEmrExtCreateFontSize);
    std::memcpy(reinterpret_cast<std::uint8_t*>(buffer.data()) + 4, &widened, 4);
  }
  return reinterpret_cast<const ENHMETARECORD*>(buffer.data());
}

// Walks the records of validated bytes; `visit` returns false to stop.
template <class Visit>
bool ForEachRecord(const std::vector<std::uint8_t>& bytes, Visit visit) {
  std::size_t offset = 0;
  while (offset + 8 <= bytes.size()) {
    RecordRef ref{bytes.data() + offset, Load<std::uint32_t>(bytes.data() + offset),
                  Load<std::uint32_t>(bytes.data() + offset + 4)};
    if (ref.Size < 8 || ref.Size > bytes.size() - offset) return true;  // never for validated bytes
    if (!visit(ref)) return false;
    if (ref.Type == EMR_EOF) return true;
    offset += ref.Size;
  }
  return true;
}

BOOL Enumerate(HDC dc, HENHMETAFILE metafile, const RecordCallback& callback, const RECT* dest) {
  const Bytes bytes = Lookup(metafile);
  if (!bytes || !callback) return FALSE;
  if (dc && !dest) return FALSE;
  std::unique_ptr<Playback> playback;
  std::vector<HGDIOBJ> readTable;
  HANDLETABLE* table = nullptr;
  int handles = std::max<int>(Load<WORD>(bytes->data() + offsetof(ENHMETAHEADER, nHandles)), 1);
  if (dc) {
    playback = std::make_unique<Playback>(dc, *bytes, *dest);
    if (playback->Empty()) return TRUE;  // nothing to draw into
    table = playback->Table();
    handles = static_cast<int>(playback->Handles());
  } else {
    readTable.assign(static_cast<std::size_t>(handles), nullptr);
    table = reinterpret_cast<HANDLETABLE*>(readTable.data());
  }
  std::vector<std::uint64_t> buffer;
  const bool completed = ForEachRecord(*bytes, [&](const RecordRef& ref) {
    return callback(dc, table, CallbackCopy(ref, buffer), handles) != 0;
  });
  return completed ? TRUE : FALSE;
}

}  // namespace

// ---------------------------------------------------------------------------
// Validation
// ---------------------------------------------------------------------------

void ValidateEnhMetaFile(std::span<const std::uint8_t> data) {
  if (data.size() > kMaxMetafileBytes) Fail("larger than the 1 GiB limit");
  if (data.size() < kEmfHeaderBaseSize) Fail("data too short for a header (" + std::to_string(data.size()) + " bytes)");
  const std::uint8_t* p = data.data();
  if (Load<std::uint32_t>(p) != EMR_HEADER) Fail("the first record is not a header");
  const std::uint32_t headerSize = Load<std::uint32_t>(p + 4);
  if (Load<std::uint32_t>(p + offsetof(ENHMETAHEADER, dSignature)) != ENHMETA_SIGNATURE)
    Fail("wrong signature (not \" EMF\")");
  if (headerSize < kEmfHeaderBaseSize || headerSize % 4 != 0 || headerSize > data.size())
    Fail("header record size " + std::to_string(headerSize) + " is not valid");
  const std::uint32_t nBytes = Load<std::uint32_t>(p + offsetof(ENHMETAHEADER, nBytes));
  if (nBytes != data.size())
    Fail("the header's byte count (" + std::to_string(nBytes) + ") disagrees with the data (" +
         std::to_string(data.size()) + " bytes)");
  const std::uint32_t nDescription = Load<std::uint32_t>(p + offsetof(ENHMETAHEADER, nDescription));
  const std::uint32_t offDescription = Load<std::uint32_t>(p + offsetof(ENHMETAHEADER, offDescription));
  if (nDescription != 0 && (offDescription < kEmfHeaderBaseSize || offDescription > headerSize ||
                            std::uint64_t{nDescription} * 2 > headerSize - offDescription))
    Fail("the description lies outside the header");
  const std::uint32_t handles = std::max<std::uint32_t>(Load<WORD>(p + offsetof(ENHMETAHEADER, nHandles)), 1);

  std::size_t offset = 0;
  std::uint64_t count = 0;
  std::int64_t depth = 0;
  bool sawEof = false;
  while (offset < data.size()) {
    const std::size_t left = data.size() - offset;
    const std::string where = "record " + std::to_string(count + 1);
    if (left < 8) Fail(where + " is cut off at the end of the data");
    const std::uint32_t type = Load<std::uint32_t>(p + offset);
    const std::uint32_t size = Load<std::uint32_t>(p + offset + 4);
    if (size < 8 || size % 4 != 0) Fail(where + " (" + RecordName(type) + ") has size " + std::to_string(size) + ", not a multiple of 4 of at least 8");
    if (size > left) Fail(where + " (" + RecordName(type) + ") runs past the end of the data");
    if (count > 0 && type == EMR_HEADER) Fail(where + " is a second header");
    if (const char* fault = CheckRecordLayout(p + offset, size, handles))
      Fail(where + " (" + RecordName(type) + ") " + fault);
    if (type == EMR_SAVEDC && ++depth > kMaxSaveDepth) Fail("more than " + std::to_string(kMaxSaveDepth) + " nested SaveDC records");
    if (type == EMR_RESTOREDC) {
      const std::int32_t n = Load<std::int32_t>(p + offset + 8);
      depth = n < 0 ? std::max<std::int64_t>(depth + n, 0) : std::clamp<std::int64_t>(n - 1, 0, depth);
    }
    ++count;
    offset += size;
    if (type == EMR_EOF) {
      sawEof = true;
      break;
    }
  }
  if (!sawEof) Fail("no end-of-file record");
  if (offset != data.size()) Fail("data follow the end-of-file record");
  const std::uint32_t nRecords = Load<std::uint32_t>(p + offsetof(ENHMETAHEADER, nRecords));
  if (nRecords != count)
    Fail("the header's record count (" + std::to_string(nRecords) + ") disagrees with the " + std::to_string(count) +
         " records");
}

HENHMETAFILE CreateEnhMetaFileFromBytes(std::span<const std::uint8_t> data) {
  ValidateEnhMetaFile(data);
  return Register(std::make_shared<const std::vector<std::uint8_t>>(data.begin(), data.end()));
}

const std::vector<std::uint8_t>* EnhMetaFileBytes(HENHMETAFILE metafile) {
  // The registry keeps the bytes alive until the handle is deleted.
  const Bytes bytes = Lookup(metafile);
  return bytes.get();
}

BOOL EnumEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RecordCallback& callback, const RECT* dest) {
  return Enumerate(dc, metafile, callback, dest);
}

}  // namespace emf

// ---------------------------------------------------------------------------
// Recording
// ---------------------------------------------------------------------------

HDC CreateEnhMetaFileW(HDC reference, const WCHAR* fileName, const RECT* frame, const WCHAR* description) {
  emf::RecordingSetup setup;
  setup.Device = emf::ReferenceDevice(reference);
  if (frame) setup.Frame = *frame;
  setup.Description = emf::DescriptionOf(description);
  if (fileName) setup.FileName = fileName;
  DeviceDesc desc = setup.Device;
  desc.Surface = SurfaceKind::None;
  HDC dc = CreateDeviceDC(desc);
  if (!dc) return nullptr;
  auto recorder = std::make_unique<emf::EmfRecorder>(std::move(setup));
  emf::EmfRecorder* raw = recorder.get();
  if (!SetDCRecorder(dc, std::move(recorder))) {
    DeleteDC(dc);
    return nullptr;
  }
  raw->Attach(dc);
  return dc;
}

HENHMETAFILE CloseEnhMetaFile(HDC dc) {
  auto* recorder = dynamic_cast<emf::EmfRecorder*>(GetDCRecorder(dc));
  if (!recorder) return nullptr;
  auto bytes = std::make_shared<const std::vector<std::uint8_t>>(recorder->Finish());
  const std::u16string fileName = recorder->FileName();
  SetDCRecorder(dc, nullptr);
  DeleteDC(dc);
  if (!fileName.empty()) {
    try {
      emf::WriteFileAtomically(StringToUtf8(fileName), *bytes);
    } catch (const Exception&) {
      return nullptr;
    }
  }
  return emf::Register(std::move(bytes));
}

// ---------------------------------------------------------------------------
// Handles and files
// ---------------------------------------------------------------------------

HENHMETAFILE CopyEnhMetaFileW(HENHMETAFILE source, const WCHAR* fileName) {
  emf::Bytes bytes = emf::Lookup(source);
  if (!bytes) return nullptr;
  if (fileName) {
    try {
      emf::WriteFileAtomically(emf::Utf8Name(fileName), *bytes);
    } catch (const Exception&) {
      return nullptr;
    }
  }
  return emf::Register(std::move(bytes));  // the bytes never change: copies share them
}

BOOL DeleteEnhMetaFile(HENHMETAFILE metafile) {
  if (!metafile) return FALSE;
  emf::Registry& r = emf::TheRegistry();
  std::lock_guard guard(r.Lock);
  return r.Live.erase(metafile) ? TRUE : FALSE;
}

UINT GetEnhMetaFileHeader(HENHMETAFILE metafile, UINT size, ENHMETAHEADER* header) {
  const emf::Bytes bytes = emf::Lookup(metafile);
  if (!bytes) return 0;
  if (!header) return sizeof(ENHMETAHEADER);
  ENHMETAHEADER h;
  std::memset(static_cast<void*>(&h), 0, sizeof h);
  const std::uint32_t headerSize = emf::Load<std::uint32_t>(bytes->data() + 4);
  std::memcpy(&h, bytes->data(), std::min<std::size_t>(headerSize, sizeof h));
  const UINT copied = std::min<UINT>(size, sizeof h);
  std::memcpy(header, &h, copied);
  return copied;
}

UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data) {
  const emf::Bytes bytes = emf::Lookup(metafile);
  if (!bytes) return 0;
  if (!data) return static_cast<UINT>(bytes->size());
  if (size < bytes->size()) return 0;
  std::memcpy(data, bytes->data(), bytes->size());
  return static_cast<UINT>(bytes->size());
}

HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data) {
  if (!data) return nullptr;
  try {
    return emf::CreateEnhMetaFileFromBytes(std::span<const std::uint8_t>(data, size));
  } catch (const EInvalidGraphic&) {
    return nullptr;
  }
}

HENHMETAFILE GetEnhMetaFileW(const WCHAR* fileName) {
  if (!fileName) return nullptr;
  try {
    TFileStream file(emf::Utf8Name(fileName), fmOpenRead);
    const std::int64_t size = file.GetSize();
    if (size <= 0 || static_cast<std::uint64_t>(size) > emf::kMaxMetafileBytes) return nullptr;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    file.ReadBuffer(bytes.data(), size);
    return emf::CreateEnhMetaFileFromBytes(bytes);
  } catch (const Exception&) {
    return nullptr;
  }
}

UINT GetEnhMetaFileDescriptionW(HENHMETAFILE metafile, UINT size, WCHAR* buffer) {
  const emf::Bytes bytes = emf::Lookup(metafile);
  if (!bytes) return 0;
  const auto n = emf::Load<std::uint32_t>(bytes->data() + offsetof(ENHMETAHEADER, nDescription));
  const auto off = emf::Load<std::uint32_t>(bytes->data() + offsetof(ENHMETAHEADER, offDescription));
  if (n == 0) return 0;
  if (!buffer) return n;
  const UINT copied = std::min<UINT>(size, n);
  std::memcpy(buffer, bytes->data() + off, std::size_t{copied} * sizeof(WCHAR));
  return copied;
}

std::size_t EnhMetaFileCount() {
  emf::Registry& r = emf::TheRegistry();
  std::lock_guard guard(r.Lock);
  return r.Live.size();
}

// ---------------------------------------------------------------------------
// Playback and enumeration
// ---------------------------------------------------------------------------

BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RECT* dest) {
  if (!dc || !dest) return FALSE;
  return emf::Enumerate(
      dc, metafile,
      [](HDC d, HANDLETABLE* table, const ENHMETARECORD* record, int handles) {
        PlayEnhMetaFileRecord(d, table, record, static_cast<UINT>(handles));
        return 1;
      },
      dest);
}

BOOL EnumEnhMetaFile(HDC dc, HENHMETAFILE metafile, ENHMFENUMPROC proc, void* data, const RECT* dest) {
  if (!proc) return FALSE;
  return emf::Enumerate(
      dc, metafile,
      [proc, data](HDC d, HANDLETABLE* table, const ENHMETARECORD* record, int handles) {
        return proc(d, table, record, handles, data);
      },
      dest);
}

BOOL PlayEnhMetaFileRecord(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, UINT handles) {
  if (!dc || !table || !record) return FALSE;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(record);
  const std::uint32_t size = record->nSize;
  if (emf::CheckRecordLayout(bytes, size, handles) != nullptr) return FALSE;
  if (emf::Playback* playback = emf::Playback::Find(dc, table)) return playback->Play(bytes, size) ? TRUE : FALSE;
  emf::Playback loose(dc, table, handles);
  return loose.Play(bytes, size) ? TRUE : FALSE;
}

}  // namespace vx::plat
