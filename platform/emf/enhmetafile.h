// Enhanced metafiles: recording through a metafile device context, handles to
// metafiles held in memory, files, enumeration of the records and playback on
// any device context, with the calls and layouts of the classic Windows GDI.
//
// How playback maps the picture: the metafile's frame (0.01 mm, converted to
// whole pixels of the reference device it was recorded on; the frame runs
// from the left edge of its first pixel to the right edge of its last) is
// fitted onto the
// destination rectangle (logical units of the playing DC), and the records'
// own mapping records (map mode, window and viewport origins and extents,
// scale-only world transforms) apply on top. The playing DC has no world
// transform, so the whole chain is realised as ONE anisotropic mapping that
// is put on the playing DC while the records play:
//   - it is in force during every enumeration callback, so DPtoLP on the
//     playing DC converts device units into the record's logical units;
//   - the chain's scale is stored as window/viewport extents (an exact
//     fraction whenever it is one with terms below 2^30, else the nearest
//     such fraction), its offset as the viewport origin rounded to a whole
//     device pixel: a picture played at a fractional offset may sit up to
//     half a pixel from where an exact transform would put it;
//   - world transforms that rotate or shear cannot be expressed and play
//     without their rotating part.
// Text is recorded with its advances in whole logical units, as the format
// stores them: text drawn under a magnifying mapping plays with its
// characters at those whole advances, which can put them up to a logical
// unit away from where the direct drawing placed them. The DC has no paths:
// figures between begin-path and end-path records are collected as polygons
// (curves flattened) and filled, stroked or made the clip when the records
// say so; text inside a path draws as text.
// The DC's state is saved before and restored after the playback, and the
// playback starts from a fresh DC's objects and modes (black pen, white
// brush, opaque white background, black text, copy mode), so a picture looks
// the same whatever the DC held before. Clipping records clip within the
// DC's clip region as it was when the playback started.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/emf/emf_format.h"
#include "platform/gdi/gdi.h"

namespace vx::plat {

// A metafile held in memory (its bytes); stale and null handles are refused
// by every call.
struct HENHMETAFILE__ {};
using HENHMETAFILE = HENHMETAFILE__*;

// The enumeration callback: one call per record, header and end-of-file record
// included. `record` is a private, 8-byte aligned copy of the metafile's record
// that the callback may change in place (cast the const away) and play, or
// copy; a create-wide-font record always arrives at its full 332 bytes, zero
// filled when the file held a shorter one. Return non-zero to go on, 0 to stop.
using ENHMFENUMPROC = int (*)(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, int objectCount,
                              void* data);

// Starts recording. The returned DC reports the device capabilities of
// `reference` (nullptr: a 96-dpi 1920x1080 screen) and draws nothing; every
// call on it becomes a record. `frame` (0.01 mm, may be nullptr) is the
// picture's frame; without one the frame is the bounds of what was drawn.
// `description` is "application\0title\0\0" or nullptr. With a file name, the
// metafile is also written to that file when the recording closes.
HDC CreateEnhMetaFileW(HDC reference, const WCHAR* fileName, const RECT* frame, const WCHAR* description);
// Finishes the recording: writes the header and end-of-file record, frees the
// recording DC and returns the metafile (nullptr when `dc` is not a recording
// DC, or when the file named at creation could not be written).
HENHMETAFILE CloseEnhMetaFile(HDC dc);
// A copy in memory (fileName nullptr) or written to a file (atomically) and
// held in memory as well; nullptr on failure.
HENHMETAFILE CopyEnhMetaFileW(HENHMETAFILE source, const WCHAR* fileName);
// Frees the handle; FALSE for a stale one.
BOOL DeleteEnhMetaFile(HENHMETAFILE metafile);
// Copies at most `size` bytes of the header record's fixed part (108 bytes;
// fields a shorter header lacks read 0) and returns the bytes copied; with
// `header` nullptr returns the size of the fixed part. 0 on failure.
UINT GetEnhMetaFileHeader(HENHMETAFILE metafile, UINT size, ENHMETAHEADER* header);
// The metafile's bytes (the .emf file image): with `data` nullptr the size,
// else the bytes copied (0 when `size` is too small).
UINT GetEnhMetaFileBits(HENHMETAFILE metafile, UINT size, BYTE* data);
// A metafile made from a .emf file image, after checking every record (see
// emf::ValidateEnhMetaFile); nullptr when the data are not a sound metafile.
HENHMETAFILE SetEnhMetaFileBits(UINT size, const BYTE* data);
// Loads a .emf file; nullptr when it is missing or not a sound metafile.
HENHMETAFILE GetEnhMetaFileW(const WCHAR* fileName);
// Copies the description (UTF-16 units, terminators included) and returns the
// units copied; with `buffer` nullptr its length; 0 when there is none.
UINT GetEnhMetaFileDescriptionW(HENHMETAFILE metafile, UINT size, WCHAR* buffer);

// Plays the whole metafile into `dest` (logical units of `dc`; a rectangle
// whose right is left of its left mirrors the picture). FALSE when a handle
// is stale or `dest` is nullptr; an empty rectangle draws nothing.
BOOL PlayEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RECT* dest);
// Calls `proc` for every record in order. With a DC and a destination the
// records are enumerated as PlayEnhMetaFile plays them: the playback mapping
// is in force on `dc` during each call and `proc` plays what it wants with
// PlayEnhMetaFileRecord. With `dc` nullptr the records are only read.
// Returns FALSE when `proc` stopped the enumeration or a handle is stale.
// An exception from `proc` leaves the DC restored and propagates.
BOOL EnumEnhMetaFile(HDC dc, HENHMETAFILE metafile, ENHMFENUMPROC proc, void* data, const RECT* dest);
// Plays one record on `dc`: object records fill `table` (`handles` entries);
// mapping, save/restore and clipping records update the playback mapping of
// the enumeration the table belongs to. A record whose counts or offsets do
// not fit its size is not played (FALSE); unknown records are ignored (TRUE).
// `record->nSize` must be the record's true size.
BOOL PlayEnhMetaFileRecord(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, UINT handles);

// Live metafile handles: for leak tests.
std::size_t EnhMetaFileCount();

namespace emf {

// Limits every reader enforces before it allocates or recurses.
inline constexpr std::size_t kMaxMetafileBytes = std::size_t{1} << 30;  // 1 GiB
inline constexpr int kMaxSaveDepth = 1024;                              // nested SaveDC records

// Raises EInvalidGraphic naming the first fault ("Invalid EMF: record 7
// (type 3) holds fewer points than its count") unless `data` is a sound
// metafile: header record first with the " EMF" signature, the header's byte
// and record counts agreeing with the data, every record at least 8 bytes, a
// multiple of 4 and inside the data, every count and offset inside its
// record, object numbers below the header's handle count, SaveDC nesting
// within kMaxSaveDepth, and the end-of-file record last.
void ValidateEnhMetaFile(std::span<const std::uint8_t> data);
// A handle to a validated copy of `data`; raises EInvalidGraphic as above.
HENHMETAFILE CreateEnhMetaFileFromBytes(std::span<const std::uint8_t> data);
// The bytes behind a handle (nullptr for a stale one); valid until the
// handle is deleted.
const std::vector<std::uint8_t>* EnhMetaFileBytes(HENHMETAFILE metafile);

// The callback form of EnumEnhMetaFile for C++ callers (lambdas with captures).
using RecordCallback = std::function<int(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, int objectCount)>;
BOOL EnumEnhMetaFile(HDC dc, HENHMETAFILE metafile, const RecordCallback& callback, const RECT* dest);

}  // namespace emf
}  // namespace vx::plat
