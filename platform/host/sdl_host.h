// The SDL2 host's factory (the only part visible outside sdl_host.cpp, so
// that no SDL header reaches other files).
#pragma once

#include <memory>

#include "platform/host/host.h"

namespace vx::plat {

// A host with real top-level windows through SDL2, or nullptr when SDL2 is
// not built in or cannot start (no display).
std::unique_ptr<THost> CreateSdlHost();

}  // namespace vx::plat
