// The small value types every part of the library exchanges: geometry
// records, object messages, object positions and links, the per-object state
// flags, the shared enumerations and option sets, callback signatures and the
// process-wide variables with their initial values.
//
// Enumerations are stored in one byte (ordinal 0, 1, 2, ... in declaration
// order); sets of up to 8 members in one byte and of 9 to 16 members in a
// 16-bit word, bit n = the member with ordinal n. Drawing files hold state
// words and generator options exactly as stored here, so these widths and
// bit values never change.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "platform/core/set.h"
#include "platform/core/events.h"
#include "platform/core/object.h"
#include "platform/core/types.h"
#include "platform/graphics/color.h"

namespace vx {

class TvxObject;
class TvxCreator;
class TScaleSetting;

// ---------------------------------------------------------------------------
// Geometry records (logical coordinates unless a field says otherwise)

// An integer point; the platform point itself, so the two convert freely.
using TCoordPnt = vx::plat::TPoint;
// An integer rectangle (Left, Top, Right, Bottom); the platform rectangle.
using TCoordRect = vx::plat::TRect;

// A real point.
struct TFloatPnt {
  double x = 0.0;
  double y = 0.0;
  bool operator==(const TFloatPnt&) const = default;
};

// A real rectangle.
struct TFloatRect {
  double Left = 0.0;
  double Top = 0.0;
  double Right = 0.0;
  double Bottom = 0.0;
  bool operator==(const TFloatRect&) const = default;
};

// The universal bounding box: the smallest and largest logical x and y an
// object covers. Minima always come first, whatever the direction of the
// axes; it is normalised when Xmin <= Xmax and Ymin <= Ymax (LimRecDirection
// normalises one). Stored as four Int32 in this order (16 bytes).
struct TLimRec {
  std::int32_t Xmin = 0;
  std::int32_t Ymin = 0;
  std::int32_t Xmax = 0;
  std::int32_t Ymax = 0;

  // The minimum corner (Xmin, Ymin) as a point.
  constexpr TCoordPnt Min() const { return TCoordPnt{Xmin, Ymin}; }
  // The maximum corner (Xmax, Ymax) as a point.
  constexpr TCoordPnt Max() const { return TCoordPnt{Xmax, Ymax}; }
  // Sets Xmin and Ymin from a point.
  constexpr void SetMin(TCoordPnt p) { Xmin = p.x; Ymin = p.y; }
  // Sets Xmax and Ymax from a point.
  constexpr void SetMax(TCoordPnt p) { Xmax = p.x; Ymax = p.y; }
  bool operator==(const TLimRec&) const = default;
};
using pLimRec = TLimRec*;

static_assert(sizeof(TLimRec) == 16 && std::is_standard_layout_v<TLimRec> &&
              std::is_trivially_copyable_v<TLimRec>);
static_assert(offsetof(TLimRec, Xmin) == 0 && offsetof(TLimRec, Ymin) == 4 &&
              offsetof(TLimRec, Xmax) == 8 && offsetof(TLimRec, Ymax) == 12);
static_assert(sizeof(TCoordPnt) == 8 && sizeof(TCoordRect) == 16);

// The record with the four values stored as given, not normalised.
constexpr TLimRec LimRec(std::int32_t Xmin, std::int32_t Ymin, std::int32_t Xmax, std::int32_t Ymax) {
  return TLimRec{Xmin, Ymin, Xmax, Ymax};
}

// Number of points of the declared polygon buffer type. Real buffers are
// allocated for exactly the points they hold (NewPoly) and may be longer
// (turned metafile records hand over their own point count).
inline constexpr std::int32_t PointArrayLength = 1025;
// The declared fixed polygon buffer of 1025 points (indices 0 to 1024).
using TPointArray = TCoordPnt[PointArrayLength];
// A polygon buffer as procedures take it: its first point; every procedure
// also takes the count and touches only points 0 .. count - 1.
using pPointArray = TCoordPnt*;

// A buffer of exactly Count points, all (0, 0), to be released with
// DeletePoly. Count <= 0 gives nullptr. Raises EOutOfMemory when the memory
// is not there.
pPointArray NewPoly(std::int32_t Count);
// Releases a buffer made by NewPoly for Count points; nullptr is allowed.
void DeletePoly(pPointArray P, std::int32_t Count);

// Owns a point buffer of exactly Count points for the length of a scope.
class TPolyBuffer {
public:
  explicit TPolyBuffer(std::int32_t Count) : FPoints(NewPoly(Count)), FCount(Count > 0 ? Count : 0) {}
  ~TPolyBuffer() { DeletePoly(FPoints, FCount); }
  TPolyBuffer(const TPolyBuffer&) = delete;
  TPolyBuffer& operator=(const TPolyBuffer&) = delete;

  pPointArray Data() const { return FPoints; }
  std::int32_t Count() const { return FCount; }
  TCoordPnt& operator[](std::int32_t i) const { return FPoints[i]; }

private:
  pPointArray FPoints;
  std::int32_t FCount;
};

// One component of an application version number, 0 to 127, one byte.
using T4Bit = std::uint8_t;
inline constexpr T4Bit T4BitMax = 127;

// An axis selector (rulers, scroll notifications).
enum TDirection : std::uint8_t { horizontal, vertical, both };

// ---------------------------------------------------------------------------
// Object messages (passed by reference to an object's ObjectMessage)

// A message to a drawing object; the sender reads nothing back.
struct TObjMessage {
  std::uint32_t Msg = 0;
  std::int32_t Param1 = 0;
  std::int32_t Param2 = 0;
  std::int32_t Result = 0;
};

// The same message with Param1 read as a direction; declared for scroll
// notifications, which the library itself never sends.
struct TObjScrollMsg {
  std::uint32_t Msg = 0;
  TDirection Direction = horizontal;
  std::int32_t Param2 = 0;
  std::int32_t Result = 0;
};
static_assert(sizeof(TObjMessage) == 16 && sizeof(TObjScrollMsg) == 16);

// Sent by the draw box to objects of creators with roNosy each time it paints
// its objects, before their visibility is tested; the other fields are zero.
inline constexpr std::uint32_t ObjMsgBoxPaint = 200;
// Sent by the printer to objects of creators with roNosy before each is printed.
inline constexpr std::uint32_t ObjMsgPrint = 300;

// ---------------------------------------------------------------------------
// Object position and links

// A stored link to a master object: the master's creator number and object
// number, as a file holds it until the store resolves it. RelPos fills the
// rest of the 8 link bytes and carries no meaning.
struct TContype {
  std::int16_t ConType = 0;   // creator number of the master (negative: host-assigned)
  std::uint16_t ConID = 0;    // object number (ObjID) of the master
  std::int32_t RelPos = 0;
  bool operator==(const TContype&) const = default;
};
static_assert(sizeof(TContype) == 8);

// Which of the two 16-byte position layouts to write.
enum TPosLayout : std::uint8_t {
  plFreePosition,  // x, y, RelX, RelY, 4 zero bytes
  plStoredLink,    // ConType, ConID, 4 zero bytes, RelX, RelY, 4 zero bytes
};

// The 16 bytes of a position as drawing files hold them (little-endian).
using TPosImage = std::array<std::uint8_t, 16>;

// Where an object is. Which part is valid follows from the object's state
// flags: a free object uses x, y; a slave (isSlave) uses ConObj with the
// 16-bit offset RelX, RelY from its master's reference point; a point slave
// (isP1Slave / isP2Slave) uses ConObj only; between loading or pasting and the
// link resolution (isConnect) the stored link Con names the master instead.
// In files the parts overlay each other in 16 bytes; in memory they are kept
// apart (a reference is 8 bytes here), and ToBytes / FromBytes make the file
// image. Copying a TPos copies all of it, as copying the 16 bytes would.
struct TPos {
  std::int32_t x = 0;
  std::int32_t y = 0;
  TvxObject* ConObj = nullptr;  // live link: the master object, not owned
  TContype Con;                 // stored link, valid while isConnect is set
  std::int16_t RelX = 0;        // slave offset; wraps at 16 bits as files store it
  std::int16_t RelY = 0;

  // x and y as one point.
  constexpr TCoordPnt PosLog() const { return TCoordPnt{x, y}; }
  constexpr void SetPosLog(TCoordPnt p) { x = p.x; y = p.y; }

  // The 16-byte file image in the given layout; reserved bytes are zero. A
  // stored link is written from Con (the object base fills it from its
  // master before saving), never from the live reference.
  TPosImage ToBytes(TPosLayout Layout) const;
  // Reads a 16-byte file image. As in files, bytes 0-7 are both the free
  // position (x, y) and the stored link (Con); ConObj is nullptr.
  static TPos FromBytes(const TPosImage& Image);
};

// ---------------------------------------------------------------------------
// Per-object state

// One flag of an object's state; the ordinal is its bit in the state word.
enum TIndividualFlag : std::uint8_t {
  isVisible,      // shown (a creator with roHidden still hides it)
  isMarked,       // selection marks are on screen (not written)
  isDeleted,      // to be removed by the store's next DeleteObjects (not written)
  isCantMove,     // carried by its master during the current move
  isSlave,        // position relative to a master (TPos live link, RelX, RelY)
  isP1Slave,      // the (first) point is the master's point
  isP2Slave,      // the second point of a line is its second master's point
  isConnect,      // holds stored links still to be resolved
  isNoHorzLimit,  // left out of the horizontal extent of its layer
  isNoVertLimit,  // left out of the vertical extent of its layer
  isSelected,     // belongs to the store's selection (not written)
  isSizing,       // sizing handles are active and drawn (not written)
  isCorrect,      // text objects: the cached font fits the current scale
  isUserMark,     // free for the host application; the library never touches it
};

// The state of one object: 14 flags in a 16-bit word; bits 14 and 15 are
// always zero.
using TIndividualState = plat::TSet<TIndividualFlag, std::uint16_t, isUserMark>;
static_assert(sizeof(TIndividualState) == 2);

// The mask of one state flag (isVisible 0x0001 ... isUserMark 0x2000).
constexpr std::uint16_t StateMask(TIndividualFlag f) { return TIndividualState::Bit(f); }
// Flags that describe the session, not the drawing: isMarked, isDeleted,
// isSelected, isSizing. They are cleared in every written state word.
inline constexpr std::uint16_t StateNotWrittenMask = 0x0C06;
// The mask applied to a state word before it is written.
inline constexpr std::uint16_t StateWriteMask = 0xF3F9;
static_assert((StateNotWrittenMask ^ StateWriteMask) == 0xFFFF);
static_assert(StateMask(isMarked) + StateMask(isDeleted) + StateMask(isSelected) + StateMask(isSizing) ==
              StateNotWrittenMask);
// The state word as files hold it: the session flags cleared.
constexpr std::uint16_t StoredStateWord(TIndividualState State) {
  return static_cast<std::uint16_t>(State.Bits() & StateWriteMask);
}

// ---------------------------------------------------------------------------
// Shared enumerations

// How CheckFrame reads its argument: a point, a platform rectangle or a TLimRec.
enum TCheckFrame : std::uint8_t { cfPoint, cfRect, cfLimRec };

// The sizing handle the mouse holds: none; an end of a vertical line (first,
// second point); an end of a horizontal line; a corner named by the
// coordinates it combines; the rotation handle.
enum TSizingHandle : std::uint8_t {
  szNone, szVLine1, szVLine2, szHLine1, szHLine2, szX1Y1, szX2Y2, szX1Y2, szX2Y1, szRotate,
};

// Whether SizingHandles draws the handles or tests a point against them.
enum TSizeMode : std::uint8_t { smShape, smCheck };

// The operation for which the store asks each object whether it is involved.
enum TInvolve : std::uint8_t { invMove, invDelete, invCopy };

// The outline a generator gives its objects.
enum TShapetype : std::uint8_t {
  stRectangle, stEllipse, stCircle, stSquare, stRoundRect, stRoundSquare, stLine, stRegion,
};

// Per-creator behaviour switches (bit = ordinal).
enum TGeneratorOption : std::uint8_t {
  goStretchPicture,  // 0x001 a picture is stretched into the object's size
  goRotation,        // 0x002 objects can be rotated
  goNoSizing,        // 0x004 no sizing handles; a slave takes its master's angle
  goNoHorzMove,      // 0x008 moves leave x (or RelX) unchanged
  goNoVertMove,      // 0x010 moves leave y (or RelY) unchanged
  goFndCursor,       // 0x020 a hit object sets the draw box cursor to the creator's
  goDontFind,        // 0x040 the mark-and-move tool never finds these objects
  goMasterFont,      // 0x080 a slave uses its master's font and font height
  goShadows,         // 0x100 objects draw a shadow; their outer limits grow by it
};
// Generator options: a 16-bit word in files.
using TGeneratorOptions = plat::TSet<TGeneratorOption, std::uint16_t, goShadows>;
static_assert(sizeof(TGeneratorOptions) == 2);

// Per-creator switches meant to change while the program runs.
enum TRuntimeOption : std::uint8_t {
  roHidden,    // 0x01 every object of the creator counts as invisible
  roDontSave,  // 0x02 the creator's objects are not written when the store saves
  roNosy,      // 0x04 the creator's objects receive the messages 200 and 300
};
// Runtime options: one byte.
using TRuntimeOptions = plat::TSet<TRuntimeOption, std::uint8_t, roNosy>;
static_assert(sizeof(TRuntimeOptions) == 1);

// The direction and purpose of a Persist call.
enum TPstMode : std::uint8_t {
  pstSave,         // written: saving; the creator number first, then the data
  pstLoad,         // read: loading; the creator number is already consumed
  pstConnect,      // no stream: stored links become references
  pstCopy,         // written: clipboard or undo backup; same bytes as pstSave
  pstPaste,        // read: pasting; object numbers are renumbered
  pstConnectCopy,  // no stream: links resolved through the paste table
};

// Horizontal text alignment.
enum THorzAlign : std::uint8_t { haLeft, haCenter, haRight };
// Vertical text alignment.
enum TVertAlign : std::uint8_t { vaTop, vaCenter, vaBottom };
// Argument of Select and SelectComplete.
enum TSelectMode : std::uint8_t { smSelect, smUnselect };
// A shape region in device pixels (absolute, for clipping) or in logical
// units relative to the object's own top-left corner (for hit tests).
enum TRgnMode : std::uint8_t { rmDev, rmLog };

static_assert(sizeof(TShapetype) == 1 && sizeof(TPstMode) == 1 && sizeof(TSizingHandle) == 1);

// ---------------------------------------------------------------------------
// Class reference, counters and callbacks

// The class a creator instantiates: TvxObject or a descendant, constructed
// virtually with the creator as its argument.
using TCapClass = const vx::plat::TMetaClass<TvxObject, TvxCreator*>*;

// The store's object counters, indexed by a generator's counter number.
using TCounters = std::vector<std::uint16_t>;

// A creator number the host assigns itself: -32766 to -1.
using TNewID = std::int16_t;
inline constexpr TNewID NewIDMin = -32766;
inline constexpr TNewID NewIDMax = -1;

// A platform region handle as events hand it over. The region type of the
// device layer is not settled yet; this stays an opaque handle until it is.
using TRegionHandle = void*;

// Callback of the stores' AllObjects and AllObjectsBack.
using TAllObjectsProc = vx::plat::TEvent<void(TvxObject* AnyObject, void* Params)>;
// Callback of the stores' searches; returning true stops the search.
using TFirstObjectFunc = vx::plat::TEvent<bool(TvxObject* FndObject, void* Params)>;
// OnObjectSetClass: may replace the class the creator is about to construct.
using TObjectClassEvent = vx::plat::TEvent<void(TCapClass& NewObjectClass)>;
// Creator and store events about one object.
using TObjectEvent = vx::plat::TEvent<void(TvxObject* CurrentObject)>;
// OnObjectFound of tools: clear Accept to ignore the object.
using TObjectFoundEvent = vx::plat::TEvent<void(TvxObject* CurrentObject, bool& Accept)>;
// OnObjectShapeRgn: supplies the shape region instead of CreateShapeRgn.
using TObjectShapeRgnEvent =
    vx::plat::TEvent<void(TvxObject* CurrentObject, TRgnMode Mode, TRegionHandle& Rgn)>;
// OnObjectCheckShape: replaces the shape test of point objects.
using TObjectCheckEvent =
    vx::plat::TEvent<void(TvxObject* CurrentObject, const TCoordRect& PosRect, bool& found)>;
// OnCalcRefPoint: the point that slave offsets are measured from.
using TObjectRefPointEvent = vx::plat::TEvent<void(TvxObject* CurrentObject, TCoordPnt& RefPoint)>;
// ChangeID: the host may give the creator its own (negative) number.
using TChangeIDEvent = vx::plat::TEvent<void(vx::plat::TObject* Sender, TNewID& NewID)>;

// ---------------------------------------------------------------------------
// Process-wide variables (writable; initial values in the comments)

// Width of the tolerance box for hitting lines: a one-unit probe is widened
// by Lin_prec div 2 on every side. Initially 8.
extern std::uint16_t Lin_prec;
// Width in pixels of the frame drawn around stRegion shapes. Initially 3.
extern std::int16_t FrameRgn_W;
// Pen colour of the outlines that follow the mouse during moves. Initially black.
extern vx::plat::TColor clShadowPen;
// Default divisor of the corner size of round rectangles. Initially 2.
extern std::uint8_t RoundRectX3;
// The coordinate bound of the mapping: the larger of its two extents, and the
// number of logical units behind the world maximum. Initially 32767.
extern std::int32_t MaxCoord;
// Milliseconds between steps of automatic scrolling. Initially 50.
extern std::uint16_t AutoScrollTime;
// A tolerance in pixels used when objects are sized with the mouse and for
// their outer limits (converted to logical units by the mapping). Initially 3.
extern std::uint16_t FrameSpace;
// The sizing handle the mouse currently holds. Initially szNone.
extern TSizingHandle SizingHandle;
// The origin point used when pictures are placed. Initially (0, 0).
extern TCoordPnt ZeroPoint;
// A dummy whose address is passed as the unused Params of object iterations.
extern std::int32_t noParam;
// Segments per half turn of rotated ellipses and arcs. Initially 16.
extern std::uint16_t Rot_OutlineDiv;
// The scale setting objects currently draw and hit-test with; every entry
// point sets it before touching objects. Initially nullptr.
extern TScaleSetting* ActScaleSet;

}  // namespace vx
