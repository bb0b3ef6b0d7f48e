// Playing records on a device context: the state of one playback (its object
// table, the records' mapping and clipping, the DC level to restore) and the
// dispatch of every record kind to the device layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/emf/emf_format.h"
#include "platform/emf/emf_mapping.h"
#include "platform/emf/emf_path.h"

namespace vx::plat::emf {

// A world transform in full (page = logical * M): only its scale and offset
// parts reach the DC.
struct WorldTransform {
  long double M11 = 1, M12 = 0, M21 = 0, M22 = 1, Dx = 0, Dy = 0;
  // this * other: `this` applied first.
  WorldTransform Then(const WorldTransform& other) const;
};

class Playback {
public:
  // A playback of the validated metafile `bytes` on `dc` into `dest`
  // (logical units of dc): saves the DC and puts the playback mapping and a
  // fresh DC's objects and modes on it. Empty() when nothing can be drawn
  // (empty destination or frame).
  Playback(HDC dc, const std::vector<std::uint8_t>& bytes, const RECT& dest);
  // Loose records on a caller's table, outside any enumeration: mapping,
  // save/restore and clipping records act on `dc` directly.
  Playback(HDC dc, HANDLETABLE* table, std::uint32_t handles);
  Playback(const Playback&) = delete;
  Playback& operator=(const Playback&) = delete;
  // Restores the DC and frees every object and region the playback made.
  ~Playback();

  bool Empty() const { return FEmpty; }
  HANDLETABLE* Table() { return FTable; }
  std::uint32_t Handles() const { return FHandles; }
  HDC Dc() const { return FDc; }

  // Plays one record of `size` bytes (its layout already checked); false
  // when the device layer refused it.
  bool Play(const std::uint8_t* record, std::size_t size);

  // The enumeration playback that owns `table` on `dc`, or nullptr.
  static Playback* Find(HDC dc, const HANDLETABLE* table);

private:
  struct Saved {
    int DcLevel = 0;
    int ShadowLevel = 0;
    WorldTransform World;
    HRGN MetaClip = nullptr;  // owned copy
  };

  void Begin(const std::vector<std::uint8_t>& bytes, const RECT& dest);
  // Undoes what Begin did (safe to call twice).
  void Cleanup();
  void SetDefaults();
  void ApplyMapping();
  void ApplyClip();

  // Record groups.
  bool PlayMapping(const std::uint8_t* r, std::uint32_t type);
  bool PlaySaveRestore(const std::uint8_t* r, std::uint32_t type);
  bool PlayWorld(const std::uint8_t* r, std::uint32_t type);
  bool PlayClip(const std::uint8_t* r, std::size_t size, std::uint32_t type);
  bool PlayObject(const std::uint8_t* r, std::size_t size, std::uint32_t type);
  bool PlayFigure(const std::uint8_t* r, std::size_t size, std::uint32_t type);
  bool PlayRegion(const std::uint8_t* r, std::size_t size, std::uint32_t type);
  bool PlayText(const std::uint8_t* r, std::size_t size, std::uint32_t type);
  bool PlayBitmap(const std::uint8_t* r, std::size_t size, std::uint32_t type);
  // Between begin-path and end-path, figures go into the path instead of
  // onto the DC; false for records that are no figures.
  bool CapturePath(const std::uint8_t* r, std::uint32_t type);
  bool PlayPath(const std::uint8_t* r, std::uint32_t type);
  // The clip of the records := clip `mode` operand (playing-device units);
  // takes the operand over.
  void CombineMetaClip(HRGN operand, int mode);
  ArcSense CurrentArcSense() const;

  HGDIOBJ ObjectAt(std::uint32_t ih) const;
  void Store(std::uint32_t ih, HGDIOBJ object);
  void Free(HGDIOBJ object);
  void RetryDeferred();
  // Region data of the clipping record are device units of the reference
  // device; those of the fill/frame/paint/invert records are logical.
  enum class RegionUnits : std::uint8_t { Device, Logical };
  // A region from region data: device units are mapped to the playing
  // device, logical ones stay logical (the DC maps them when it fills); cut
  // to the area drawing can reach.
  HRGN RegionFromData(const std::uint8_t* data, std::size_t size, RegionUnits units) const;
  RECT DeviceRectOfRef(const RECT& r) const;
  RECT Reachable() const;

  HDC FDc = nullptr;
  bool FDirect = false;
  bool FEmpty = false;
  HDC FShadow = nullptr;  // replays the records' mapping on the reference device
  AxisChain FX, FY;
  WorldTransform FWorld;
  std::vector<Saved> FSaves;
  int FIgnoredSaves = 0;
  HRGN FMetaClip = nullptr;
  HRGN FInitialClip = nullptr;
  int FBaseLevel = 0;
  std::vector<HGDIOBJ> FOwnTable;
  HANDLETABLE* FTable = nullptr;
  std::uint32_t FHandles = 0;
  std::vector<HGDIOBJ> FDeferred;  // deleted while selected: freed once free
  PathBuilder FPath;
  bool FInPath = false;
};

}  // namespace vx::plat::emf
