// The root class, class references with virtual construction, class names and
// inheritance tests, and the process-wide class registry used by form reading.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/core/exceptions.h"

namespace vx::plat {

class TObject;

// A class reference: the name of a class and its parent. Families whose root
// has a virtual constructor use TMetaClass below, which adds Create.
class TClass {
public:
  TClass(const char* name, const TClass* parent) : FName(name), FParent(parent) {}
  TClass(const TClass&) = delete;
  TClass& operator=(const TClass&) = delete;
  virtual ~TClass() = default;

  const std::string& ClassName() const { return FName; }
  const TClass* ClassParent() const { return FParent; }
  // True for this class itself and for every class derived from `ancestor`.
  bool InheritsFrom(const TClass& ancestor) const;
  // True when no instance can be made through the reference.
  virtual bool IsAbstract() const { return true; }

private:
  std::string FName;
  const TClass* FParent;
};

// A class reference whose family root has the constructor signature Args...:
// Create builds an instance of exactly the referenced class (virtual construction).
template <class Root, class... Args>
class TMetaClass : public TClass {
public:
  using Factory = Root* (*)(Args...);

  TMetaClass(const char* name, const TClass* parent, Factory factory)
      : TClass(name, parent), FFactory(factory) {}

  Root* Create(Args... args) const {
    if (!FFactory) throw Exception("Cannot create an instance of abstract class " + ClassName());
    return FFactory(args...);
  }
  bool IsAbstract() const override { return FFactory == nullptr; }

  // The factory of class C, or none when C cannot be constructed from Args.
  template <class C>
  static constexpr Factory FactoryFor() {
    if constexpr (std::is_abstract_v<C> || !std::is_constructible_v<C, Args...>)
      return nullptr;
    else
      return [](Args... args) -> Root* { return new C(args...); };
  }

private:
  Factory FFactory;
};

// Root of all platform and library classes.
class TObject {
public:
  using MetaClass = TMetaClass<TObject>;

  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;

  static const MetaClass& StaticClass();
  virtual const TClass& ClassType() const { return StaticClass(); }
  const std::string& ClassName() const { return ClassType().ClassName(); }
  bool InheritsFrom(const TClass& ancestor) const { return ClassType().InheritsFrom(ancestor); }
  // The run-time type test of the design ("Sender is a menu item").
  template <class T>
  bool Is() const { return dynamic_cast<const T*>(this) != nullptr; }
};

// Deletes an object through its virtual destructor; nil is allowed.
inline void Free(TObject* obj) { delete obj; }
template <class T>
void FreeAndNil(T*& obj) {
  T* tmp = obj;
  obj = nullptr;
  delete tmp;
}

// Class registry: form reading creates components from class names.
void RegisterClass(const TClass& cls);
// Case-insensitive lookup; nullptr when the name is unknown.
const TClass* FindClass(std::string_view name);
// As FindClass, but raises "Class X not found".
const TClass& GetClass(std::string_view name);
std::vector<const TClass*> RegisteredClasses();

}  // namespace vx::plat

// Declares the class reference of a class (inside the class body).
#define VX_DECLARE_CLASS(Cls)                                                   \
 public:                                                                        \
  static const MetaClass& StaticClass();                                        \
  const ::vx::plat::TClass& ClassType() const override { return StaticClass(); }

// Defines the class reference of Cls (derived from Parent) and registers it.
// Use at the namespace scope of Cls with unqualified names.
#define VX_DEFINE_CLASS(Cls, Parent)                                                     \
  const Cls::MetaClass& Cls::StaticClass() {                                             \
    static const MetaClass meta(#Cls, &Parent::StaticClass(),                            \
                                MetaClass::template FactoryFor<Cls>());                  \
    return meta;                                                                         \
  }                                                                                      \
  [[maybe_unused]] static const bool vx_class_registered_##Cls =                         \
      (::vx::plat::RegisterClass(Cls::StaticClass()), true);
