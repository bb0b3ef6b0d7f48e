#include "foundation/vxtypes.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "platform/core/stream.h"

using namespace vx;

// Drawing files hold these records and words as stored, so their layouts are
// checked at compile time.
static_assert(sizeof(TLimRec) == 16 && std::is_standard_layout_v<TLimRec>);
static_assert(offsetof(TLimRec, Xmin) == 0 && offsetof(TLimRec, Ymin) == 4 && offsetof(TLimRec, Xmax) == 8 &&
              offsetof(TLimRec, Ymax) == 12);
static_assert(std::is_same_v<TCoordPnt, vx::plat::TPoint> && std::is_same_v<TCoordRect, vx::plat::TRect>);
static_assert(sizeof(TIndividualState) == 2 && sizeof(TGeneratorOptions) == 2 && sizeof(TRuntimeOptions) == 1);
static_assert(sizeof(TShapetype) == 1 && sizeof(TGeneratorOption) == 1 && sizeof(TPstMode) == 1 &&
              sizeof(TSizingHandle) == 1 && sizeof(TDirection) == 1);
static_assert(sizeof(TContype) == 8 && sizeof(TObjMessage) == 16);
static_assert(std::is_trivially_copyable_v<TGeneratorOptions> && std::is_trivially_copyable_v<TIndividualState>);

TEST(LimRec, KeepsValuesAsGivenAndExposesCornersAsPoints) {
  TLimRec L = LimRec(10, 20, -5, 7);  // Xmin > Xmax stays as given
  EXPECT_EQ(L.Xmin, 10);
  EXPECT_EQ(L.Ymin, 20);
  EXPECT_EQ(L.Xmax, -5);
  EXPECT_EQ(L.Ymax, 7);
  EXPECT_EQ(L.Min(), (TCoordPnt{10, 20}));
  EXPECT_EQ(L.Max(), (TCoordPnt{-5, 7}));

  L.SetMin({1, 2});
  L.SetMax({3, 4});
  EXPECT_EQ(L, LimRec(1, 2, 3, 4));
}

TEST(LimRec, StreamsAsFourInt32InFieldOrder) {
  vx::plat::TMemoryStream s;
  s.WriteValue(LimRec(1, -2, 0x01020304, 5));
  const std::uint8_t expected[16] = {1, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1, 5, 0, 0, 0};
  ASSERT_EQ(s.GetSize(), 16);
  EXPECT_EQ(0, std::memcmp(s.Memory(), expected, 16));
}

struct OptionBit {
  TGeneratorOption option;
  std::uint16_t mask;
};

TEST(GeneratorOptions, EachOptionOwnsTheBitOfItsOrdinal) {
  const OptionBit table[] = {
      {goStretchPicture, 0x001}, {goRotation, 0x002}, {goNoSizing, 0x004},   {goNoHorzMove, 0x008}, {goNoVertMove, 0x010},
      {goFndCursor, 0x020},      {goDontFind, 0x040}, {goMasterFont, 0x080}, {goShadows, 0x100},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(int(row.option));
    TGeneratorOptions set{row.option};
    EXPECT_EQ(set.Bits(), row.mask);
    EXPECT_TRUE(TGeneratorOptions::FromBits(row.mask).Contains(row.option));
    EXPECT_FALSE(TGeneratorOptions::FromBits(static_cast<std::uint16_t>(~row.mask)).Contains(row.option));
  }
}

TEST(GeneratorOptions, SetArithmeticReadsAsInTheLibrary) {
  TGeneratorOptions o{goRotation, goShadows};
  EXPECT_EQ(o.Bits(), 0x102);
  o.Include(goDontFind).Exclude(goRotation);
  EXPECT_EQ(o.Bits(), 0x140);
  EXPECT_EQ((o + TGeneratorOptions{goRotation}).Bits(), 0x142);
  EXPECT_EQ((o - TGeneratorOptions{goShadows}).Bits(), 0x040);
  EXPECT_EQ((o * TGeneratorOptions{goShadows, goNoSizing}).Bits(), 0x100);
  EXPECT_TRUE(TGeneratorOptions{goDontFind}.SubsetOf(o));
  EXPECT_TRUE(TGeneratorOptions{}.Empty());
  // Bits of no member never enter a set read from a file.
  EXPECT_EQ(TGeneratorOptions::FromBits(0xFFFF).Bits(), 0x01FF);
}

TEST(RuntimeOptions, OneByteWithBitsOfTheOrdinals) {
  TRuntimeOptions r{roHidden, roDontSave, roNosy};
  EXPECT_EQ(r.Bits(), 0x07);
  EXPECT_EQ(TRuntimeOptions{roNosy}.Bits(), 0x04);
  vx::plat::TMemoryStream s;
  s.WriteValue(r);
  EXPECT_EQ(s.GetSize(), 1);
}

struct StateBit {
  TIndividualFlag flag;
  std::uint16_t mask;
  bool written;
};

TEST(IndividualState, FlagMasksAndWhichOnesAreWritten) {
  const StateBit table[] = {
      {isVisible, 0x0001, true},      {isMarked, 0x0002, false},      {isDeleted, 0x0004, false},
      {isCantMove, 0x0008, true},     {isSlave, 0x0010, true},        {isP1Slave, 0x0020, true},
      {isP2Slave, 0x0040, true},      {isConnect, 0x0080, true},      {isNoHorzLimit, 0x0100, true},
      {isNoVertLimit, 0x0200, true},  {isSelected, 0x0400, false},    {isSizing, 0x0800, false},
      {isCorrect, 0x1000, true},      {isUserMark, 0x2000, true},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(int(row.flag));
    EXPECT_EQ(StateMask(row.flag), row.mask);
    TIndividualState state{row.flag};
    EXPECT_EQ(StoredStateWord(state), row.written ? row.mask : 0);
  }
  EXPECT_EQ(StateNotWrittenMask, 0x0C06);
  EXPECT_EQ(StateWriteMask, 0xF3F9);
}

TEST(IndividualState, WrittenWordOfASelectedMarkedSizingDeletedObject) {
  TIndividualState state{isVisible, isMarked, isDeleted, isCantMove, isConnect, isNoHorzLimit,
                         isNoVertLimit, isSelected, isSizing, isCorrect, isUserMark};
  EXPECT_EQ(state.Bits(), 0x3F8F);
  EXPECT_EQ(StoredStateWord(state), 0x3389);
  // Bits 14 and 15 are never part of a state, even when a file has them set.
  EXPECT_EQ(TIndividualState::FromBits(0xFFFF).Bits(), 0x3FFF);
  EXPECT_EQ(StoredStateWord(TIndividualState::FromBits(0xFFFF)), 0x33F9);
}

TEST(Enumerations, OrdinalsFollowDeclarationOrder) {
  EXPECT_EQ(int(stRegion), 7);
  EXPECT_EQ(int(stLine), 6);
  EXPECT_EQ(int(szRotate), 9);
  EXPECT_EQ(int(szX2Y1), 8);
  EXPECT_EQ(int(pstConnectCopy), 5);
  EXPECT_EQ(int(pstPaste), 4);
  EXPECT_EQ(int(cfLimRec), 2);
  EXPECT_EQ(int(invCopy), 2);
  EXPECT_EQ(int(haRight), 2);
  EXPECT_EQ(int(vaBottom), 2);
  EXPECT_EQ(int(smUnselect), 1);
  EXPECT_EQ(int(smCheck), 1);
  EXPECT_EQ(int(rmLog), 1);
  EXPECT_EQ(int(both), 2);
}

TEST(Pos, FreeLayoutHoldsXYThenOffsetsThenZeros) {
  TPos p;
  p.x = 0x01020304;
  p.y = -2;
  p.RelX = 0x0506;
  p.RelY = -1;
  const TPosImage expected = {4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 6, 5, 0xFF, 0xFF, 0, 0, 0, 0};
  EXPECT_EQ(p.ToBytes(plFreePosition), expected);
}

TEST(Pos, StoredLinkLayoutHoldsMasterNumbersAndZerosTheReservedBytes) {
  TPos p;
  p.x = 77;  // not part of a stored link
  p.y = 88;
  p.Con = TContype{-3, 0xBEEF, 1234};
  p.RelX = 10;
  p.RelY = -10;
  const TPosImage expected = {0xFD, 0xFF, 0xEF, 0xBE, 0, 0, 0, 0, 10, 0, 0xF6, 0xFF, 0, 0, 0, 0};
  EXPECT_EQ(p.ToBytes(plStoredLink), expected);
}

TEST(Pos, ReadImageServesBothTheFreePositionAndTheStoredLink) {
  const TPosImage image = {0xFD, 0xFF, 0x07, 0x00, 0x10, 0, 0, 0, 0x00, 0x80, 0xFF, 0x7F, 9, 9, 9, 9};
  const TPos p = TPos::FromBytes(image);
  EXPECT_EQ(p.x, static_cast<std::int32_t>(0x0007FFFD));
  EXPECT_EQ(p.y, 16);
  EXPECT_EQ(p.Con.ConType, -3);
  EXPECT_EQ(p.Con.ConID, 7);
  EXPECT_EQ(p.RelX, -32768);
  EXPECT_EQ(p.RelY, 32767);
  EXPECT_EQ(p.ConObj, nullptr);
  // A free position survives the round trip byte for byte (reserved bytes zeroed).
  TPosImage back = image;
  back[12] = back[13] = back[14] = back[15] = 0;
  EXPECT_EQ(p.ToBytes(plFreePosition), back);
}

TEST(Pos, SlaveOffsetsWrapAtSixteenBits) {
  TPos p;
  p.RelX = static_cast<std::int16_t>(32767 + 1);
  p.RelY = static_cast<std::int16_t>(-32768 - 1);
  EXPECT_EQ(p.RelX, -32768);
  EXPECT_EQ(p.RelY, 32767);
}

TEST(PointBuffer, HoldsExactlyItsCountOfZeroPoints) {
  {
    TPolyBuffer buf(3);
    ASSERT_NE(buf.Data(), nullptr);
    EXPECT_EQ(buf.Count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(buf[i], (TCoordPnt{0, 0}));
  }
  // Buffers may be longer than the declared 1025 points.
  pPointArray big = NewPoly(PointArrayLength + 500);
  ASSERT_NE(big, nullptr);
  big[PointArrayLength + 499] = {1, 2};
  DeletePoly(big, PointArrayLength + 500);
  EXPECT_EQ(NewPoly(0), nullptr);
  EXPECT_EQ(NewPoly(-4), nullptr);
  DeletePoly(nullptr, 0);
}

TEST(UnitVariables, StartWithTheirDocumentedValues) {
  EXPECT_EQ(Lin_prec, 8);
  EXPECT_EQ(FrameRgn_W, 3);
  EXPECT_EQ(clShadowPen, 0);
  EXPECT_EQ(RoundRectX3, 2);
  EXPECT_EQ(MaxCoord, 32767);
  EXPECT_EQ(AutoScrollTime, 50);
  EXPECT_EQ(FrameSpace, 3);
  EXPECT_EQ(SizingHandle, szNone);
  EXPECT_EQ(ZeroPoint, (TCoordPnt{0, 0}));
  EXPECT_EQ(noParam, 0);
  EXPECT_EQ(Rot_OutlineDiv, 16);
  EXPECT_EQ(ActScaleSet, nullptr);
}

TEST(CallbackSignatures, HandlersAnswerThroughTheirVarParameters) {
  TObjectFoundEvent onFound = [](TvxObject*, bool& Accept) { Accept = false; };
  bool accept = true;
  onFound(nullptr, accept);
  EXPECT_FALSE(accept);

  TChangeIDEvent changeID = [](vx::plat::TObject*, TNewID& NewID) { NewID = NewIDMin; };
  TNewID id = NewIDMax;
  changeID(nullptr, id);
  EXPECT_EQ(id, -32766);

  TObjectRefPointEvent refPoint = [](TvxObject*, TCoordPnt& RefPoint) { RefPoint = {3, 4}; };
  TCoordPnt p;
  refPoint(nullptr, p);
  EXPECT_EQ(p, (TCoordPnt{3, 4}));

  TFirstObjectFunc first;
  EXPECT_FALSE(first);  // unassigned until a handler is bound
}
