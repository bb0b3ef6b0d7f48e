// libFuzzer harness for metafiles: any bytes are loaded as an enhanced or
// old-style metafile; what loads is played, enumerated with records turned
// and replayed in place (as the library's rotated pictures do), and written
// back as an old-style file that is loaded again. Only EInvalidGraphic may
// come out; crashes, leaks and reads outside the data are findings.
//
// Build (not part of the CMake build yet), e.g.:
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. fuzz/emf_fuzz.cpp \
//     platform/{core,gdi,emf,imaging,graphics}/*.cpp $(pkg-config --cflags --libs freetype2 fontconfig) \
//     -ljpeg -lpng -lz -o emf_fuzz
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/stream.h"
#include "platform/emf/enhmetafile.h"
#include "platform/emf/wmf_convert.h"
#include "platform/gdi/gdi.h"
#include "platform/graphics/metafile.h"

namespace {

using namespace vx::plat;

// Turns points of the records the library turns by a quarter and plays the
// changed copy; every other record is played as it is.
int TurnAndPlay(HDC dc, HANDLETABLE* table, const ENHMETARECORD* record, int handles, void*) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(const_cast<ENHMETARECORD*>(record));
  if ((record->iType == EMR_LINETO || record->iType == EMR_MOVETOEX) && record->nSize >= 16) {
    std::int32_t p[2];
    std::memcpy(p, bytes + 8, 8);
    const std::int32_t turned[2] = {-p[1], p[0]};
    std::memcpy(bytes + 8, turned, 8);
    PlayEnhMetaFileRecord(dc, table, record, static_cast<UINT>(handles));
    std::memcpy(bytes + 8, p, 8);
    return 1;
  }
  if (record->iType == EMR_EXTCREATEFONTINDIRECTW) {
    std::uint8_t copy[332];
    std::memcpy(copy, bytes, sizeof copy);  // always at least 332 bytes here
    std::int32_t escapement;
    std::memcpy(&escapement, copy + 20, 4);
    // Saturated: a file may hold any escapement.
    escapement = static_cast<std::int32_t>(std::max<std::int64_t>(std::int64_t{escapement} - 900, INT32_MIN));
    std::memcpy(copy + 20, &escapement, 4);
    PlayEnhMetaFileRecord(dc, table, reinterpret_cast<const ENHMETARECORD*>(copy), static_cast<UINT>(handles));
    return 1;
  }
  PlayEnhMetaFileRecord(dc, table, record, static_cast<UINT>(handles));
  return 1;
}

void Exercise(const std::uint8_t* data, std::size_t size) {
  TMemoryStream stream;
  if (size) stream.WriteBuffer(data, static_cast<std::int64_t>(size));
  stream.SetPosition(0);
  TMetafile picture;
  try {
    picture.LoadFromStream(stream);
  } catch (const EInvalidGraphic&) {
    return;
  }
  HDC dc = CreateRasterDC(64, 64);
  const RECT dest{0, 0, 64, 64};
  const RECT mirrored{64, 64, 0, 0};
  PlayEnhMetaFile(dc, picture.GetHandle(), &dest);
  EnumEnhMetaFile(dc, picture.GetHandle(), TurnAndPlay, nullptr, &mirrored);
  DeleteDC(dc);
  try {
    picture.SetEnhanced(false);
    TMemoryStream old;
    picture.SaveToStream(old);
    old.SetPosition(0);
    TMetafile again;
    again.LoadFromStream(old);
  } catch (const EInvalidGraphic&) {
    // A picture the old format cannot hold may be refused, never crash.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Exercise(data, size);
  return 0;
}
