#include "platform/clipbrd/global_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace vx::plat {
namespace {

TEST(GlobalMemory, BlocksAreExactlyAsLargeAsAskedAndZeroFilled) {
  // Sizes a paste sees: one byte, one object's native data (16 + record + 2),
  // and a block that is not a multiple of anything.
  for (std::size_t size : {std::size_t{1}, std::size_t{16 + 40 + 2}, std::size_t{4097}}) {
    SCOPED_TRACE(size);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), size);
    {
      TGlobalLock lock(block);
      ASSERT_NE(lock.Data(), nullptr);
      EXPECT_EQ(lock.Size(), size);
      std::vector<std::uint8_t> zeros(size, 0);
      EXPECT_EQ(std::memcmp(lock.Data(), zeros.data(), size), 0);
    }
    EXPECT_EQ(GlobalFree(block), nullptr);
  }
}

TEST(GlobalMemory, WrittenBytesSurviveUnlockAndRelock) {
  HGLOBAL block = GlobalAlloc(GHND, 8);
  ASSERT_NE(block, nullptr);
  {
    TGlobalLock lock(block);
    std::memcpy(lock.Data(), "abcdefgh", 8);
  }
  EXPECT_EQ(GlobalLockCount(block), 0);
  TGlobalLock again(block);
  EXPECT_EQ(std::memcmp(again.Data(), "abcdefgh", 8), 0);
  GlobalUnlock(block);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, LocksNestAndUnlockReportsWhetherStillLocked) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 4);
  void* first = GlobalLock(block);
  void* second = GlobalLock(block);
  EXPECT_EQ(first, second);
  EXPECT_EQ(GlobalLockCount(block), 2);
  EXPECT_NE(GlobalUnlock(block), 0);  // one lock left
  EXPECT_EQ(GlobalUnlock(block), 0);  // that was the last
  EXPECT_EQ(GlobalUnlock(block), 0);  // not locked at all
  EXPECT_EQ(GlobalLockCount(block), 0);
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, EmptyBlockHasAHandleButNoAddress) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 0u);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GlobalLockCount(block), 0) << "a lock that gave no address holds nothing";
  EXPECT_EQ(GlobalFree(block), nullptr);
}

TEST(GlobalMemory, OversizedRequestFailsWithoutAllocating) {
  const std::size_t before = GlobalBlockCount();
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, kMaxGlobalBlockBytes + 1), nullptr);
  EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, ~std::size_t{0}), nullptr);
  EXPECT_EQ(GlobalBlockCount(), before);
}

TEST(GlobalMemory, StaleAndMadeUpHandlesAreRefusedByEveryCall) {
  HGLOBAL freed = GlobalAlloc(GMEM_MOVEABLE, 16);
  ASSERT_EQ(GlobalFree(freed), nullptr);
  HGLOBAL newer = GlobalAlloc(GMEM_MOVEABLE, 16);  // may reuse the freed memory, never the handle
  EXPECT_NE(newer, freed);

  int local = 0;
  const HGLOBAL refused[] = {nullptr, freed, reinterpret_cast<HGLOBAL>(&local),
                             reinterpret_cast<HGLOBAL>(std::uintptr_t{0x1234})};
  for (HGLOBAL h : refused) {
    SCOPED_TRACE(reinterpret_cast<std::uintptr_t>(h));
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalUnlock(h), 0);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalLockCount(h), -1);
    EXPECT_EQ(GlobalFree(h), h);
  }
  EXPECT_EQ(GlobalSize(newer), 16u);
  EXPECT_EQ(GlobalFree(newer), nullptr);
}

TEST(GlobalMemory, FreeingReturnsTheCountToWhereItWas) {
  const std::size_t before = GlobalBlockCount();
  std::vector<HGLOBAL> blocks;
  for (int i = 0; i < 5; ++i) blocks.push_back(GlobalAlloc(GMEM_MOVEABLE, 10));
  EXPECT_EQ(GlobalBlockCount(), before + 5);
  for (HGLOBAL b : blocks) EXPECT_EQ(GlobalFree(b), nullptr);
  EXPECT_EQ(GlobalBlockCount(), before);
}

}  // namespace
}  // namespace vx::plat
