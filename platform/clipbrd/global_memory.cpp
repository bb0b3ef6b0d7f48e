#include "platform/clipbrd/global_memory.h"

#include <map>
#include <mutex>
#include <new>
#include <vector>

namespace vx::plat {

namespace {

struct Block {
  std::vector<std::uint8_t> Bytes;
  int Locks = 0;
  bool ClipboardOwned = false;
};

// Handles are serial numbers that are never reused within the process, so a
// stale handle can never reach a newer block that happens to live at the same
// address.
class BlockTable {
public:
  std::mutex Mutex;
  std::map<std::uintptr_t, Block> Blocks;
  std::uintptr_t NextId = 1;

  Block* Find(HGLOBAL handle) {
    auto it = Blocks.find(Key(handle));
    return it == Blocks.end() ? nullptr : &it->second;
  }
  static std::uintptr_t Key(const void* handle) { return reinterpret_cast<std::uintptr_t>(handle); }
  // Odd values keep handles apart from any real (aligned) address.
  HGLOBAL NewHandle() { return reinterpret_cast<HGLOBAL>((NextId++ << 4) | 0x9); }
};

// Never destroyed: blocks may still be released while the process ends.
BlockTable& Table() {
  static BlockTable* table = new BlockTable;
  return *table;
}

}  // namespace

HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t bytes) {
  (void)flags;  // every block is movable and zero-filled
  if (bytes > kMaxGlobalBlockBytes) return nullptr;
  Block block;
  try {
    block.Bytes.resize(bytes);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  HGLOBAL handle = t.NewHandle();
  t.Blocks.emplace(BlockTable::Key(handle), std::move(block));
  return handle;
}

void* GlobalLock(HGLOBAL handle) {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  Block* b = t.Find(handle);
  if (!b || b->Bytes.empty()) return nullptr;
  ++b->Locks;
  return b->Bytes.data();
}

int GlobalUnlock(HGLOBAL handle) {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  Block* b = t.Find(handle);
  if (!b || b->Locks == 0) return 0;
  --b->Locks;
  return b->Locks > 0 ? 1 : 0;
}

std::size_t GlobalSize(HGLOBAL handle) {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  Block* b = t.Find(handle);
  return b ? b->Bytes.size() : 0;
}

HGLOBAL GlobalFree(HGLOBAL handle) {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  auto it = t.Blocks.find(BlockTable::Key(handle));
  if (it == t.Blocks.end() || it->second.ClipboardOwned) return handle;
  t.Blocks.erase(it);
  return nullptr;
}

int GlobalLockCount(HGLOBAL handle) {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  Block* b = t.Find(handle);
  return b ? b->Locks : -1;
}

std::size_t GlobalBlockCount() {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  return t.Blocks.size();
}

namespace clipbrd_detail {

bool SetClipboardOwned(HGLOBAL handle, bool owned) {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  Block* b = t.Find(handle);
  if (!b) return false;
  b->ClipboardOwned = owned;
  return true;
}

bool IsClipboardOwned(HGLOBAL handle) {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  Block* b = t.Find(handle);
  return b && b->ClipboardOwned;
}

void ReleaseBlock(HGLOBAL handle) {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  t.Blocks.erase(BlockTable::Key(handle));
}

bool IsGlobalBlock(const void* handle) {
  BlockTable& t = Table();
  std::lock_guard lock(t.Mutex);
  return t.Blocks.count(BlockTable::Key(handle)) != 0;
}

}  // namespace clipbrd_detail

}  // namespace vx::plat
