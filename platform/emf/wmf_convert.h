// Old-style metafiles (WMF): conversion of placeable and plain WMF files to
// enhanced metafiles, and of enhanced metafiles to placeable WMF files.
//
// Read (converted to enhanced records): window origin/extent (and their
// offsets and scaling), move-to, line-to, polyline, polygon, poly-polygon,
// rectangle, ellipse, round rectangle, arc, chord, pie, set-pixel, text out
// and ext text out (ANSI text, Windows-1252), create font / pen / brush /
// DIB pattern brush, select and delete object, save/restore DC, clip
// rectangles, pattern transfers and stretched DIBs, text and background
// colours and modes, pen mode, fill mode, text alignment. Other
// records are skipped; records that create objects still take their place
// in the object table, so later object numbers stay right. The placeable
// header's bounding box becomes the picture: its window is mapped onto the
// picture's pixels (units per inch from the header, 96 per inch for a plain
// WMF, whose box is its first window origin/extent or else the extent of
// what it draws). Viewport and map-mode records are skipped: placing the
// picture is the player's business.
//
// Written (from enhanced records, flattened into pixels of the reference
// device so that no mapping record is needed): the same figures, poly-
// polylines as polylines, Béziers as polylines, text (Windows-1252), fonts,
// pens, brushes (pattern brushes as DIB pattern brushes), stock objects (as
// objects of their own, made once), clip rectangles, region fills of the
// current or a given brush as pen-less rectangles, and bitmap transfers.
// Region clipping is not written (so such pictures draw more, never less). Pictures wider or higher than the 16-bit
// coordinates hold are scaled down to fit.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vx::plat::emf {

// Whether the data start like an old-style metafile (placeable key, or a
// standard header of type 1 or 2 with a 9-word header).
bool LooksLikeWmf(std::span<const std::uint8_t> data);
// The enhanced metafile (file image) a WMF file image draws; raises
// EInvalidGraphic naming the fault ("Invalid WMF: record 5 runs past the end
// of the data") for corrupt or truncated data.
std::vector<std::uint8_t> WmfToEmf(std::span<const std::uint8_t> data);
// A placeable WMF file image of a (validated) enhanced metafile's bytes.
std::vector<std::uint8_t> EmfToWmf(std::span<const std::uint8_t> emf);

}  // namespace vx::plat::emf
