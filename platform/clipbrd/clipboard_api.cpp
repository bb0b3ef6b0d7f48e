#include "platform/clipbrd/clipboard_api.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/emf/enhmetafile.h"
#include "platform/gdi/gdi.h"

namespace vx::plat {

namespace {

struct Entry {
  std::uint32_t Format;
  HANDLE Data;
};

enum class DataKind { Bitmap, Metafile, Block };

DataKind KindOf(std::uint32_t format) {
  if (format == CF_BITMAP) return DataKind::Bitmap;
  if (format == CF_ENHMETAFILE) return DataKind::Metafile;
  return DataKind::Block;
}

bool IsTextFormat(std::uint32_t format) { return format == CF_TEXT || format == CF_UNICODETEXT; }

// Whether `data` is a live handle of the kind `format` holds, not yet the clipboard's.
bool AcceptsData(std::uint32_t format, HANDLE data) {
  switch (KindOf(format)) {
    case DataKind::Bitmap:
      return GetObjectType(static_cast<HGDIOBJ>(data)) == OBJ_BITMAP;
    case DataKind::Metafile:
      return emf::EnhMetaFileBytes(static_cast<HENHMETAFILE>(data)) != nullptr;
    case DataKind::Block:
      return clipbrd_detail::IsGlobalBlock(data) && !clipbrd_detail::IsClipboardOwned(static_cast<HGLOBAL>(data));
  }
  return false;
}

void FreeData(const Entry& e) {
  switch (KindOf(e.Format)) {
    case DataKind::Bitmap:
      DeleteObject(static_cast<HGDIOBJ>(e.Data));
      break;
    case DataKind::Metafile:
      DeleteEnhMetaFile(static_cast<HENHMETAFILE>(e.Data));
      break;
    case DataKind::Block:
      clipbrd_detail::ReleaseBlock(static_cast<HGLOBAL>(e.Data));
      break;
  }
}

// The text placed during the current opening, for the system clipboard hook.
std::optional<String> PlacedText(const std::vector<Entry>& entries) {
  for (std::uint32_t format : {CF_UNICODETEXT, CF_TEXT}) {
    auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.Format == format; });
    if (it == entries.end()) continue;
    HGLOBAL block = static_cast<HGLOBAL>(it->Data);
    TGlobalLock lock(block);
    if (!lock.Data()) return String();
    if (format == CF_UNICODETEXT) {
      const auto* p = static_cast<const char16_t*>(lock.Data());
      String s(p, lock.Size() / sizeof(char16_t));
      return s.substr(0, s.find(u'\0'));
    }
    std::string s(static_cast<const char*>(lock.Data()), lock.Size());
    return AnsiToString(s.substr(0, s.find('\0')));
  }
  return std::nullopt;
}

class ClipboardState {
public:
  std::recursive_mutex Mutex;
  std::vector<Entry> Entries;
  bool Open = false;
  HWND Opener = nullptr;
  HWND Owner = nullptr;
  bool TextPlaced = false;
  TSystemClipboardHook Hook;

  Entry* Find(std::uint32_t format) {
    auto it = std::find_if(Entries.begin(), Entries.end(), [&](const Entry& e) { return e.Format == format; });
    return it == Entries.end() ? nullptr : &*it;
  }
  bool Holds(HANDLE data) const {
    return std::any_of(Entries.begin(), Entries.end(), [&](const Entry& e) { return e.Data == data; });
  }
};

// Never destroyed: the data it holds are freed through the device layer,
// which may already be gone while the process ends.
ClipboardState& State() {
  static ClipboardState* state = new ClipboardState;
  return *state;
}

}  // namespace

bool OpenClipboard(HWND owner) {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  if (s.Open) return s.Opener == owner;
  s.Open = true;
  s.Opener = owner;
  s.TextPlaced = false;
  return true;
}

bool CloseClipboard() {
  ClipboardState& s = State();
  std::function<void(const String&)> put;
  std::optional<String> text;
  {
    std::lock_guard lock(s.Mutex);
    if (!s.Open) return false;
    s.Open = false;
    s.Opener = nullptr;
    if (s.TextPlaced && s.Hook.PutText) {
      put = s.Hook.PutText;
      text = PlacedText(s.Entries);
    }
    s.TextPlaced = false;
  }
  // Outside the lock: the host may call back into the clipboard.
  if (put && text) put(*text);
  return true;
}

bool EmptyClipboard() {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  if (!s.Open) return false;
  for (const Entry& e : s.Entries) FreeData(e);
  s.Entries.clear();
  s.Owner = s.Opener;
  return true;
}

HANDLE SetClipboardData(std::uint32_t format, HANDLE data) {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  if (!s.Open || format == 0 || data == nullptr) return nullptr;
  Entry* existing = s.Find(format);
  if (existing && existing->Data == data) return data;
  if (s.Holds(data) || !AcceptsData(format, data)) return nullptr;
  if (KindOf(format) == DataKind::Block) clipbrd_detail::SetClipboardOwned(static_cast<HGLOBAL>(data), true);
  if (existing) {
    FreeData(*existing);
    existing->Data = data;
  } else {
    s.Entries.push_back({format, data});
  }
  if (IsTextFormat(format)) s.TextPlaced = true;
  return data;
}

HANDLE GetClipboardData(std::uint32_t format) {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  if (!s.Open) return nullptr;
  Entry* e = s.Find(format);
  return e ? e->Data : nullptr;
}

bool IsClipboardFormatAvailable(std::uint32_t format) {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  return format != 0 && s.Find(format) != nullptr;
}

std::uint32_t EnumClipboardFormats(std::uint32_t format) {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  if (!s.Open || s.Entries.empty()) return 0;
  if (format == 0) return s.Entries.front().Format;
  for (std::size_t i = 0; i + 1 < s.Entries.size(); ++i)
    if (s.Entries[i].Format == format) return s.Entries[i + 1].Format;
  return 0;
}

int CountClipboardFormats() {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  return static_cast<int>(s.Entries.size());
}

HWND GetOpenClipboardWindow() {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  return s.Open ? s.Opener : nullptr;
}

bool IsClipboardOpen() {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  return s.Open;
}

HWND GetClipboardOwner() {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  return s.Owner;
}

void SetSystemClipboardHook(TSystemClipboardHook hook) {
  ClipboardState& s = State();
  std::lock_guard lock(s.Mutex);
  s.Hook = std::move(hook);
}

std::optional<String> SystemClipboardText() {
  ClipboardState& s = State();
  std::function<std::optional<String>()> get;
  {
    std::lock_guard lock(s.Mutex);
    get = s.Hook.GetText;
  }
  return get ? get() : std::nullopt;
}

}  // namespace vx::plat
