// Global memory blocks: the movable memory the clipboard exchanges, with the
// calls of the classic Windows API. A block is reached through a handle and
// locked to get its address; every call checks the handle, so a freed
// (stale) or made-up handle is refused instead of touching freed memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vx::plat {

struct HGLOBAL__ {};
using HGLOBAL = HGLOBAL__*;  // a global memory block

// GlobalAlloc flags. Every block is movable and zero-filled here; GMEM_FIXED
// blocks also go through a handle and must be locked like movable ones.
constexpr std::uint32_t GMEM_FIXED = 0x0000;
constexpr std::uint32_t GMEM_MOVEABLE = 0x0002;
constexpr std::uint32_t GMEM_ZEROINIT = 0x0040;
constexpr std::uint32_t GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr std::uint32_t GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// The largest block GlobalAlloc hands out (1 GiB); larger requests fail.
inline constexpr std::size_t kMaxGlobalBlockBytes = std::size_t{1} << 30;

// A block of exactly `bytes` bytes (GlobalSize reports that size), zero
// filled; nullptr when the size exceeds kMaxGlobalBlockBytes or memory runs
// out. A block of 0 bytes is a valid handle whose lock gives no address.
HGLOBAL GlobalAlloc(std::uint32_t flags, std::size_t bytes);
// The block's address, valid until it is freed, and one more lock; nullptr
// for a stale handle or a block of 0 bytes (which is not locked then).
void* GlobalLock(HGLOBAL block);
// Drops one lock. Returns non-zero while the block is still locked, 0 when
// this was the last lock, the block was not locked, or the handle is stale.
int GlobalUnlock(HGLOBAL block);
// The block's size in bytes as allocated; 0 for a stale handle.
std::size_t GlobalSize(HGLOBAL block);
// Frees the block and returns nullptr; returns `block` itself (nothing
// freed) for a stale handle or a block the clipboard owns.
HGLOBAL GlobalFree(HGLOBAL block);
// The number of locks a live block holds; -1 for a stale handle.
int GlobalLockCount(HGLOBAL block);

// Number of live blocks (the clipboard's included): for leak tests.
std::size_t GlobalBlockCount();

namespace clipbrd_detail {
// Marks a block as owned by the clipboard (GlobalFree refuses it) or gives it
// back; false for a stale handle.
bool SetClipboardOwned(HGLOBAL block, bool owned);
bool IsClipboardOwned(HGLOBAL block);
// Frees a block whatever its owner; the clipboard uses it when it discards data.
void ReleaseBlock(HGLOBAL block);
// True when `handle` names a live block.
bool IsGlobalBlock(const void* handle);
}  // namespace clipbrd_detail

// Locks a block for a scope and unlocks it on every path.
class TGlobalLock {
public:
  explicit TGlobalLock(HGLOBAL block) : FBlock(block), FData(GlobalLock(block)) {}
  ~TGlobalLock() {
    if (FData) GlobalUnlock(FBlock);
  }
  TGlobalLock(const TGlobalLock&) = delete;
  TGlobalLock& operator=(const TGlobalLock&) = delete;

  // The block's address; nullptr when the lock gave none.
  void* Data() const { return FData; }
  std::size_t Size() const { return FData ? GlobalSize(FBlock) : 0; }

private:
  HGLOBAL FBlock;
  void* FData;
};

}  // namespace vx::plat
