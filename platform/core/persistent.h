// TPersistent: objects that can copy themselves from another object (Assign)
// and be stored as nested objects of a component in a form file.
#pragma once

#include "platform/core/object.h"

namespace vx::plat {

class TPersistent : public TObject {
  VX_DECLARE_CLASS(TPersistent)
public:
  // Copies Source into this object. The default asks Source to assign itself
  // to this (AssignTo); when neither side knows the other, raises EConvertError
  // "Cannot assign a <Source class> to a <this class>" (nil: "nil").
  virtual void Assign(const TPersistent* Source);

protected:
  // Copies this object into Dest; the default raises the conversion error.
  virtual void AssignTo(TPersistent* Dest) const;
  [[noreturn]] void AssignError(const TPersistent* Source) const;
};

}  // namespace vx::plat
