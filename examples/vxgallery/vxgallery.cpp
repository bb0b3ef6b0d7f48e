// vxgallery: pictures that show the platform's graphics layer at work.
//
//   vxgallery gdi OUT.png    every drawing primitive of a raster device context
//
// Sub-commands live in one table; each takes the arguments after its name.
// Other parts of the platform contribute theirs as header-only pieces next to
// this file (gallery_*.h); each is wired in when present.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/unicode.h"
#include "platform/gdi/gdi.h"
#include "platform/imaging/png.h"

#include "examples/vxgallery/gallery_controls.h"
#include "examples/vxgallery/gallery_emf.h"
#include "examples/vxgallery/gallery_print.h"
#include "examples/vxgallery/gallery_scene.h"

namespace {

using namespace vx::plat;
using vx::gallery::DrawGdiScene;
using vx::gallery::kSceneHeight;
using vx::gallery::kSceneWidth;

// Writes the pixels of a raster DC as a PNG file.
void SavePng(HDC dc, const std::string& fileName) {
  int w = 0, h = 0, stride = 0;
  const std::uint32_t* pixels = RasterPixels(dc, &w, &h, &stride);
  if (!pixels) throw Exception("the device context has no colour surface to save");
  imaging::Image image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) image.SetPixel(x, y, 0xFF000000u | pixels[static_cast<std::ptrdiff_t>(y) * stride + x]);
  imaging::WritePngFile(fileName, image, imaging::TPngChannels::pcRgb);
  std::printf("wrote %s (%d x %d)\n", fileName.c_str(), w, h);
}

int RunGdi(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: vxgallery gdi OUT.png\n");
    return 2;
  }
  HDC dc = CreateRasterDC(kSceneWidth, kSceneHeight);
  if (!dc) throw Exception("cannot create a drawing surface");
  struct Free {
    HDC DC;
    ~Free() { DeleteDC(DC); }
  } freeDC{dc};
  DrawGdiScene(dc);
  SavePng(dc, args[0]);
  return 0;
}

struct Command {
  const char* Name;
  const char* Usage;
  std::function<int(const std::vector<std::string>&)> Run;
};

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {"gdi", "gdi OUT.png                  every primitive of a raster device context", RunGdi},
      {"print", "print OUT.pdf                the gdi scene printed at true size on A4 pages",
       [](const std::vector<std::string>& args) {
         const vx::gallery::PrintScene scene{kSceneWidth, kSceneHeight, DrawGdiScene};
         return vx::gallery::RunPrint(args, scene);
       }},
      {"emf", "emf OUT.emf                  the gdi scene recorded as an enhanced metafile",
       [](const std::vector<std::string>& args) {
         const vx::gallery::EmfScene scene{kSceneWidth, kSceneHeight, DrawGdiScene};
         return vx::gallery::RunEmf(args, &scene);
       }},
      {"play", "play IN.emf OUT.png          any enhanced metafile played into a PNG", vx::gallery::RunPlay},
      {"controls", "controls OUT.png | --window  the window system at work", vx::gallery::RunControls},
  };
  return commands;
}

int Usage() {
  std::fprintf(stderr, "usage: vxgallery COMMAND ARGS...\ncommands:\n");
  for (const Command& c : Commands()) std::fprintf(stderr, "  %s\n", c.Usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::vector<std::string> args(argv + 2, argv + argc);
  for (const Command& c : Commands()) {
    if (std::strcmp(c.Name, argv[1]) != 0) continue;
    try {
      return c.Run(args);
    } catch (const vx::plat::Exception& e) {
      std::fprintf(stderr, "vxgallery %s: %s\n", c.Name, e.what());
      return 1;
    }
  }
  std::fprintf(stderr, "vxgallery: unknown command \"%s\"\n", argv[1]);
  return Usage();
}

