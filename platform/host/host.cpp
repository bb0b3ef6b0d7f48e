// Choosing the host.
#include "platform/host/host.h"

#include <cstdlib>
#include <string>

#include "platform/host/headless.h"
#include "platform/host/sdl_host.h"

namespace vx::plat {

namespace {

std::unique_ptr<THost>& Current() {
  // Never destroyed: windows may still call into the host from static destructors.
  static auto* host = new std::unique_ptr<THost>();
  return *host;
}

bool DisplayAvailable() {
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x && *x) || (wayland && *wayland);
}

std::unique_ptr<THost> Make(std::string_view name) {
  if (name == "headless") return std::make_unique<THeadlessHost>();
  if (name == "sdl") return CreateSdlHost();
  return nullptr;
}

}  // namespace

THost& Host() {
  auto& current = Current();
  if (!current) {
    const char* wanted = std::getenv("VX_HOST");
    if (wanted && *wanted) current = Make(wanted);
    if (!current && DisplayAvailable() && !(wanted && std::string_view(wanted) == "headless")) current = CreateSdlHost();
    if (!current) current = std::make_unique<THeadlessHost>();
  }
  return *current;
}

bool SelectHost(std::string_view name) {
  auto& current = Current();
  if (current) return name == current->Name();
  current = Make(name);
  return current != nullptr;
}

bool HostChosen() { return Current() != nullptr; }

}  // namespace vx::plat
