// A tiny program built against the installed package: it uses the library's
// geometry and record list and the platform's streams.
#include <cstdio>

#include "foundation/reclist.h"
#include "foundation/vxprocs.h"
#include "platform/core/stream.h"

int main() {
  vx::TCoordPnt p{10, 0};
  vx::RotatePnt(p, vx::TCoordPnt{0, 0}, 3.14159265358979323846 / 2);
  if (p.x != 0 || p.y != 10) return 1;

  vx::TRecordList list(sizeof(vx::TCoordPnt));
  list.Add(&p);
  vx::plat::TMemoryStream s;
  list.Persist(&s, vx::pstSave);
  if (s.GetSize() != 2 + 4 + 4 + 8) return 2;  // size, count, capacity, one record

  std::puts("consumer ok");
  return 0;
}
