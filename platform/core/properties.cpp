#include "platform/core/properties.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/core/stream.h"

namespace vx::plat {

namespace {

bool SameAscii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

const char* KindName(TPropKind kind) {
  switch (kind) {
    case TPropKind::Integer: return "integer";
    case TPropKind::Int64: return "Int64";
    case TPropKind::Enumeration: return "enumeration";
    case TPropKind::Set: return "set";
    case TPropKind::Float: return "float";
    case TPropKind::String: return "string";
    case TPropKind::Boolean: return "boolean";
    case TPropKind::Class: return "object";
    case TPropKind::Component: return "component reference";
    case TPropKind::Method: return "event";
    case TPropKind::Binary: return "binary data";
  }
  return "?";
}

bool IsOrdinal(TPropKind kind) {
  return kind == TPropKind::Integer || kind == TPropKind::Int64 || kind == TPropKind::Enumeration ||
         kind == TPropKind::Set || kind == TPropKind::Boolean;
}

}  // namespace

TMethodInfo::TMethodInfo(std::string Name, std::type_index Signature, TBinder Bind)
    : FName(std::move(Name)), FSignature(Signature), FBind(std::move(Bind)) {}

// --- TPropInfo ---------------------------------------------------------------

TPropInfo::TPropInfo(std::string Name, TPropKind Kind, const TClass& DeclaringClass)
    : FName(std::move(Name)), FKind(Kind), FDeclaringClass(&DeclaringClass) {}

void TPropInfo::RequireKind(bool Ok, const char* Wanted) const {
  if (!Ok)
    throw EConvertError("Property " + FName + " of " + FDeclaringClass->ClassName() + " is a " + KindName(FKind) +
                        " property, not a " + Wanted + " property");
}

void TPropInfo::RequireWritable() const {
  if (IsReadOnly()) throw EConvertError("Property " + FName + " of " + FDeclaringClass->ClassName() + " is read-only");
}

bool TPropInfo::IsReadOnly() const {
  switch (FKind) {
    case TPropKind::Float: return !FSetFloat;
    case TPropKind::String: return !FSetString;
    case TPropKind::Class: return false;  // its own properties are set
    case TPropKind::Component: return !FSetComponent;
    case TPropKind::Method: return !FSetMethod;
    case TPropKind::Binary: return !FReadData;
    default: return !FSetOrdinal;
  }
}

bool TPropInfo::IsStored(const TPersistent& Instance) const {
  if (FStored && !FStored(Instance)) return false;
  switch (FKind) {
    case TPropKind::Class: return GetObject(Instance) != nullptr;
    case TPropKind::Component: return !IsReadOnly() && GetComponent(Instance) != nullptr;
    default: return !IsReadOnly() && !(FIsDefault && FIsDefault(Instance));
  }
}

std::int64_t TPropInfo::GetOrdinal(const TPersistent& Instance) const {
  RequireKind(IsOrdinal(FKind), "ordinal");
  return FGetOrdinal(Instance);
}

void TPropInfo::SetOrdinal(TPersistent& Instance, std::int64_t Value) const {
  RequireKind(IsOrdinal(FKind), "ordinal");
  RequireWritable();
  if (Value < FMin || Value > FMax)
    throw EConvertError(std::to_string(Value) + " is out of range (" + std::to_string(FMin) + ".." +
                        std::to_string(FMax) + ")");
  FSetOrdinal(Instance, Value);
}

int TPropInfo::FindValueName(std::string_view ValueName) const {
  for (std::size_t i = 0; i < FNames.size(); ++i)
    if (SameAscii(FNames[i], ValueName)) return static_cast<int>(i);
  return -1;
}

double TPropInfo::GetFloat(const TPersistent& Instance) const {
  RequireKind(FKind == TPropKind::Float, "float");
  return FGetFloat(Instance);
}

void TPropInfo::SetFloat(TPersistent& Instance, double Value) const {
  RequireKind(FKind == TPropKind::Float, "float");
  RequireWritable();
  FSetFloat(Instance, Value);
}

String TPropInfo::GetString(const TPersistent& Instance) const {
  RequireKind(FKind == TPropKind::String, "string");
  return FGetString(Instance);
}

void TPropInfo::SetString(TPersistent& Instance, const String& Value) const {
  RequireKind(FKind == TPropKind::String, "string");
  RequireWritable();
  FSetString(Instance, Value);
}

TPersistent* TPropInfo::GetObject(const TPersistent& Instance) const {
  RequireKind(FKind == TPropKind::Class, "object");
  return FGetObject(Instance);
}

TComponent* TPropInfo::GetComponent(const TPersistent& Instance) const {
  RequireKind(FKind == TPropKind::Component, "component reference");
  return FGetComponent(Instance);
}

bool TPropInfo::AcceptsComponent(const TComponent* Value) const {
  return FKind == TPropKind::Component && FAccepts(Value);
}

void TPropInfo::SetComponent(TPersistent& Instance, TComponent* Value) const {
  RequireKind(FKind == TPropKind::Component, "component reference");
  RequireWritable();
  if (!FAccepts(Value))
    throw EConvertError(StringToUtf8(Value->Name()) + " is a " + Value->ClassName() + ", not a " +
                        FComponentClass->ClassName());
  FSetComponent(Instance, Value);
}

std::string TPropInfo::GetMethodName(const TPersistent& Instance, const TComponent& Root) const {
  RequireKind(FKind == TPropKind::Method, "event");
  auto [target, name] = FGetMethod(Instance);
  // The event must name a method of this very root, or reading it back fails.
  if (name.empty() || target != dynamic_cast<const void*>(&Root)) return {};
  return PublishedInfo(Root).FindMethod(name) ? name : std::string();
}

void TPropInfo::SetMethod(TPersistent& Instance, TComponent& Root, const TMethodInfo* Method) const {
  RequireKind(FKind == TPropKind::Method, "event");
  RequireWritable();
  if (Method && Method->Signature() != FEventSignature)
    throw EConvertError("Method " + Method->Name() + " of " + Root.ClassName() + " does not match event " + FName);
  FSetMethod(Instance, Root, Method);
}

void TPropInfo::WriteData(const TPersistent& Instance, TStream& Stream) const {
  RequireKind(FKind == TPropKind::Binary, "binary data");
  FWriteData(Instance, Stream);
}

void TPropInfo::ReadData(TPersistent& Instance, TStream& Stream) const {
  RequireKind(FKind == TPropKind::Binary, "binary data");
  RequireWritable();
  FReadData(Instance, Stream);
}

// --- TPublishedInfo ------------------------------------------------------------

TPublishedInfo::TPublishedInfo(const TClass& Cls, const TPublishedInfo* Parent) : FClass(&Cls), FParent(Parent) {
  if (Parent) FProperties = Parent->FProperties;
}

const TPropInfo* TPublishedInfo::FindProperty(std::string_view Name) const {
  for (const auto& p : FProperties)
    if (SameAscii(p->Name(), Name)) return p.get();
  return nullptr;
}

const TMethodInfo* TPublishedInfo::FindMethod(std::string_view Name) const {
  for (const TPublishedInfo* info = this; info; info = info->FParent)
    for (const auto& m : info->FMethods)
      if (SameAscii(m.Name(), Name)) return &m;
  return nullptr;
}

TPropInfo& TPublishedInfo::AddProperty(std::shared_ptr<TPropInfo> Prop) {
  for (auto& p : FProperties)
    if (SameAscii(p->Name(), Prop->Name())) {
      p = std::move(Prop);
      return *p;
    }
  FProperties.push_back(std::move(Prop));
  return *FProperties.back();
}

void TPublishedInfo::AddMethod(TMethodInfo Method) { FMethods.push_back(std::move(Method)); }

// --- registry ----------------------------------------------------------------

namespace {

std::map<const TClass*, TRegisterPropertiesFunc>& Registrations() {
  static std::map<const TClass*, TRegisterPropertiesFunc> registrations;
  return registrations;
}

std::map<const TClass*, std::unique_ptr<TPublishedInfo>>& Cache() {
  static std::map<const TClass*, std::unique_ptr<TPublishedInfo>> cache;
  return cache;
}

// A class registered late (a package loaded at run time) makes the cached
// tables stale; they are rebuilt, but the old ones stay alive for whoever
// still holds them.
void RetireCache() {
  static std::vector<std::unique_ptr<TPublishedInfo>> retired;
  for (auto& [cls, info] : Cache()) retired.push_back(std::move(info));
  Cache().clear();
}

}  // namespace

void RegisterPublished(const TClass& Cls, TRegisterPropertiesFunc Func) {
  // A class that publishes without declaring its own class reference would
  // register under its parent's; keep the first so that the parent still works.
  if (!Registrations().emplace(&Cls, Func).second)
    std::fprintf(stderr, "vxplatform: properties of %s registered twice (missing VX_DECLARE_CLASS?)\n",
                 Cls.ClassName().c_str());
  RetireCache();
}

const TPublishedInfo& PublishedInfo(const TClass& Cls) {
  auto& cache = Cache();
  if (auto it = cache.find(&Cls); it != cache.end()) return *it->second;
  const TPublishedInfo* parent = Cls.ClassParent() ? &PublishedInfo(*Cls.ClassParent()) : nullptr;
  auto info = std::make_unique<TPublishedInfo>(Cls, parent);
  if (auto reg = Registrations().find(&Cls); reg != Registrations().end()) reg->second(*info);
  return *cache.emplace(&Cls, std::move(info)).first->second;
}

}  // namespace vx::plat
