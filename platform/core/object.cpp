#include "platform/core/object.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace vx::plat {

bool TClass::InheritsFrom(const TClass& ancestor) const {
  for (const TClass* c = this; c; c = c->FParent)
    if (c == &ancestor) return true;
  return false;
}

const TObject::MetaClass& TObject::StaticClass() {
  static const MetaClass meta("TObject", nullptr, MetaClass::FactoryFor<TObject>());
  return meta;
}

namespace {

std::string UpperAscii(std::string_view s) {
  std::string r(s);
  std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return char(std::toupper(c)); });
  return r;
}

std::map<std::string, const TClass*>& Registry() {
  static std::map<std::string, const TClass*> registry;
  return registry;
}

}  // namespace

void RegisterClass(const TClass& cls) { Registry().emplace(UpperAscii(cls.ClassName()), &cls); }

const TClass* FindClass(std::string_view name) {
  auto it = Registry().find(UpperAscii(name));
  return it == Registry().end() ? nullptr : it->second;
}

const TClass& GetClass(std::string_view name) {
  if (const TClass* c = FindClass(name)) return *c;
  throw EConvertError("Class " + std::string(name) + " not found");
}

std::vector<const TClass*> RegisteredClasses() {
  std::vector<const TClass*> r;
  for (auto& [k, v] : Registry()) r.push_back(v);
  return r;
}

}  // namespace vx::plat
