#include <cstdio>
#include "platform/core/stream.h"
int main() {
  vx::plat::TMemoryStream s;
  s.WriteValue<int>(42);
  s.SetPosition(0);
  if (s.ReadValue<int>() != 42) return 1;
  std::puts("consumer ok");
  return 0;
}
