// Published properties: for every class, the list of properties a form file
// stores and a designer shows (name, kind, getter, setter, default, stored
// rule), and for form classes the methods that events in a form file name.
//
// A class publishes its properties with a static function and one line in its
// .cpp file:
//
//   class TFoo : public TComponent {
//     VX_DECLARE_CLASS(TFoo)
//     friend class vx::plat::TPropertyRegistry<TFoo>;   // when RegisterProperties is private
//     static void RegisterProperties(vx::plat::TPropertyRegistry<TFoo>& r) {
//       r.Integer("Width", &TFoo::GetWidth, &TFoo::SetWidth, 100);        // default 100
//       r.Enum("Shape", &TFoo::FShape, &TFoo::SetShape, {"stRectangle", "stEllipse"}, stRectangle);
//       r.Set("Options", &TFoo::FOptions, &TFoo::FOptions, {"goA", "goB"});
//       r.Object("Font", &TFoo::FFont);                                   // owned, stored inline
//       r.Component("DrawForm", &TFoo::FDrawForm, &TFoo::SetDrawForm);   // reference by name
//       r.Event("OnClick", &TFoo::FOnClick);                              // field: read and written
//       r.Integer("About", &TFoo::FAbout).NeverStored();
//     }
//   };
//   VX_PUBLISH(TFoo)   // in the .cpp, next to VX_DEFINE_CLASS(TFoo, TComponent)
//
// Properties come parent's first, each class's in the order it registers
// them; a class that registers a name its parent published replaces that
// property in place (for example to give it another default). A getter is a
// const or non-const member function or a field; a setter is a member
// function or a field; a field given alone is read and written directly, a
// getter alone makes the property read-only (not stored).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/set.h"
#include "platform/core/unicode.h"

namespace vx::plat {

class TStream;

enum class TPropKind : std::uint8_t {
  Integer,      // 8- to 32-bit integers
  Int64,
  Enumeration,  // ordinal with value names
  Set,          // bit set with member names
  Float,        // double (float fields are widened)
  String,
  Boolean,
  Class,        // owned persistent object stored with its owner's properties
  Component,    // reference to a component of the form, by name
  Method,       // event bound to a published method of the form, by name
  Binary,       // data written and read by the object itself (pictures, ...)
};

// A method of a form class that event properties in a form file can name.
class TMethodInfo {
public:
  using TBinder = std::function<void(TComponent& Root, void* Event)>;
  TMethodInfo(std::string Name, std::type_index Signature, TBinder Bind);
  const std::string& Name() const { return FName; }
  // The function type of the method, e.g. void(TObject*).
  std::type_index Signature() const { return FSignature; }
  // Stores into *Event, a TEvent of exactly Signature(), this method of Root.
  void Bind(TComponent& Root, void* Event) const { FBind(Root, Event); }

private:
  std::string FName;
  std::type_index FSignature;
  TBinder FBind;
};

// One published property. The accessors of a kind raise EConvertError when
// used on a property of another kind.
class TPropInfo {
public:
  TPropInfo(std::string Name, TPropKind Kind, const TClass& DeclaringClass);

  const std::string& Name() const { return FName; }
  TPropKind Kind() const { return FKind; }
  // The class that registered the property (for messages).
  const TClass& DeclaringClass() const { return *FDeclaringClass; }
  // No setter: the reader cannot set it and the writer does not store it.
  bool IsReadOnly() const;
  // Whether the form writer stores the property of Instance: its stored rule
  // holds and its value differs from the default (an event is stored when it
  // is bound to a published method of the form; see TFormWriter).
  bool IsStored(const TPersistent& Instance) const;

  // Integer, Int64, Enumeration (ordinal), Set (bit mask), Boolean (0 or 1).
  std::int64_t GetOrdinal(const TPersistent& Instance) const;
  // Raises EConvertError when Value lies outside MinValue..MaxValue.
  void SetOrdinal(TPersistent& Instance, std::int64_t Value) const;
  std::int64_t MinValue() const { return FMin; }
  std::int64_t MaxValue() const { return FMax; }
  // Enumeration: the value names by ordinal; Set: member names by bit;
  // Boolean: False, True.
  const std::vector<std::string>& ValueNames() const { return FNames; }
  // Index of a value name, ignoring case; -1 when there is none.
  int FindValueName(std::string_view ValueName) const;

  double GetFloat(const TPersistent& Instance) const;
  void SetFloat(TPersistent& Instance, double Value) const;
  String GetString(const TPersistent& Instance) const;
  void SetString(TPersistent& Instance, const String& Value) const;

  // Class: the nested object (owned by Instance), or nil.
  TPersistent* GetObject(const TPersistent& Instance) const;

  // Component: the referenced component, or nil.
  TComponent* GetComponent(const TPersistent& Instance) const;
  // Raises EConvertError when Value is not of ComponentClass.
  void SetComponent(TPersistent& Instance, TComponent* Value) const;
  bool AcceptsComponent(const TComponent* Value) const;
  const TClass& ComponentClass() const { return *FComponentClass; }

  // Method: the name of the method of Root the event is bound to; "" when the
  // event is unassigned, bound in code only or bound to another object.
  std::string GetMethodName(const TPersistent& Instance, const TComponent& Root) const;
  // Binds the event to Method of Root (nil clears it); raises EConvertError
  // when the method's signature differs from the event's.
  void SetMethod(TPersistent& Instance, TComponent& Root, const TMethodInfo* Method) const;
  std::type_index EventSignature() const { return FEventSignature; }

  // Binary: the object writes or reads its data itself.
  void WriteData(const TPersistent& Instance, TStream& Stream) const;
  void ReadData(TPersistent& Instance, TStream& Stream) const;

private:
  template <class T>
  friend class TPropertyRegistry;
  template <class T>
  friend class TPropOptions;
  void RequireKind(bool Ok, const char* Wanted) const;
  void RequireWritable() const;

  std::string FName;
  TPropKind FKind;
  const TClass* FDeclaringClass;
  std::int64_t FMin = 0;
  std::int64_t FMax = 0;
  std::vector<std::string> FNames;
  const TClass* FComponentClass = nullptr;
  std::type_index FEventSignature = typeid(void);

  std::function<bool(const TPersistent&)> FStored;     // empty: always stored
  std::function<bool(const TPersistent&)> FIsDefault;  // empty: no default
  std::function<std::int64_t(const TPersistent&)> FGetOrdinal;
  std::function<void(TPersistent&, std::int64_t)> FSetOrdinal;
  std::function<double(const TPersistent&)> FGetFloat;
  std::function<void(TPersistent&, double)> FSetFloat;
  std::function<String(const TPersistent&)> FGetString;
  std::function<void(TPersistent&, const String&)> FSetString;
  std::function<TPersistent*(const TPersistent&)> FGetObject;
  std::function<TComponent*(const TPersistent&)> FGetComponent;
  std::function<void(TPersistent&, TComponent*)> FSetComponent;
  std::function<bool(const TComponent*)> FAccepts;
  std::function<std::pair<const void*, std::string>(const TPersistent&)> FGetMethod;
  std::function<void(TPersistent&, TComponent&, const TMethodInfo*)> FSetMethod;
  std::function<void(const TPersistent&, TStream&)> FWriteData;
  std::function<void(TPersistent&, TStream&)> FReadData;
};

// The published properties and methods of one class.
class TPublishedInfo {
public:
  TPublishedInfo(const TClass& Cls, const TPublishedInfo* Parent);
  const TClass& Class() const { return *FClass; }
  // Parent's properties first, then this class's, in declared order.
  const std::vector<std::shared_ptr<TPropInfo>>& Properties() const { return FProperties; }
  // The property with this name, ignoring case, or nil.
  const TPropInfo* FindProperty(std::string_view Name) const;
  // A published method of this class or an ancestor, ignoring case, or nil.
  const TMethodInfo* FindMethod(std::string_view Name) const;

  // Used by TPropertyRegistry: appends, or replaces a property of that name in place.
  TPropInfo& AddProperty(std::shared_ptr<TPropInfo> Prop);
  void AddMethod(TMethodInfo Method);

private:
  const TClass* FClass;
  const TPublishedInfo* FParent;
  std::vector<std::shared_ptr<TPropInfo>> FProperties;
  std::vector<TMethodInfo> FMethods;
};

// The published properties of a class (built on first use).
const TPublishedInfo& PublishedInfo(const TClass& Cls);
inline const TPublishedInfo& PublishedInfo(const TPersistent& Instance) { return PublishedInfo(Instance.ClassType()); }

using TRegisterPropertiesFunc = void (*)(TPublishedInfo& Info);
// Records the registration function of Cls (VX_PUBLISH does this).
void RegisterPublished(const TClass& Cls, TRegisterPropertiesFunc Func);

// Tags of the registration calls.
struct TNoSetter {};       // setter left out: a field getter is also the setter
struct TReadOnly {};       // explicitly read-only
struct TNoDefault {};      // no default: the value is always stored
inline constexpr TReadOnly ReadOnly{};

namespace detail {

template <class E>
struct EventTraits : std::false_type {};
template <class R, class... A>
struct EventTraits<TEvent<R(A...)>> : std::true_type {
  using Signature = R(A...);
};

template <class T>
T& Self(const TPersistent& Instance) {
  // Properties of T are only ever applied to instances of T or descendants;
  // getters may be non-const member functions, hence the const_cast.
  return static_cast<T&>(const_cast<TPersistent&>(Instance));
}

template <class T, class G>
using ValueOf = std::remove_cvref_t<std::invoke_result_t<const G&, T&>>;

template <class T, class V, class G>
std::function<V(const TPersistent&)> Getter(G get) {
  return [get](const TPersistent& p) -> V { return static_cast<V>(std::invoke(get, Self<T>(p))); };
}

template <class T, class V, class G, class S>
std::function<void(TPersistent&, const V&)> Setter(G get, S set) {
  if constexpr (std::is_same_v<S, TReadOnly>) {
    return {};
  } else if constexpr (std::is_same_v<S, TNoSetter>) {
    if constexpr (std::is_member_object_pointer_v<G>)
      return [get](TPersistent& p, const V& v) { Self<T>(p).*get = v; };
    else
      return {};
  } else if constexpr (std::is_member_object_pointer_v<S>) {
    return [set](TPersistent& p, const V& v) { Self<T>(p).*set = v; };
  } else {
    return [set](TPersistent& p, const V& v) { std::invoke(set, Self<T>(p), v); };
  }
}

template <class T, class Pred>
std::function<bool(const TPersistent&)> Predicate(Pred pred) {
  return [pred](const TPersistent& p) -> bool { return std::invoke(pred, Self<T>(p)); };
}

}  // namespace detail

// Options of a property just registered: its stored rule.
template <class T>
class TPropOptions {
public:
  explicit TPropOptions(TPropInfo& Prop) : FProp(Prop) {}
  // Stored only while Pred (a const member function or callable on T) holds.
  template <class Pred>
  TPropOptions& Stored(Pred pred) {
    FProp.FStored = detail::Predicate<T>(pred);
    return *this;
  }
  // Never written to a form (it can still be read).
  TPropOptions& NeverStored() {
    FProp.FStored = [](const TPersistent&) { return false; };
    return *this;
  }

private:
  TPropInfo& FProp;
};

// The registration calls a class's RegisterProperties makes.
template <class T>
class TPropertyRegistry {
public:
  explicit TPropertyRegistry(TPublishedInfo& Info) : FInfo(Info) {}
  // Registers T's properties into Info (the function VX_PUBLISH records).
  static void Run(TPublishedInfo& Info) {
    TPropertyRegistry<T> registry(Info);
    T::RegisterProperties(registry);
  }

  // An integer of up to 64 bits (Int64 kind for 64-bit values).
  template <class G, class S = TNoSetter, class D = TNoDefault>
  TPropOptions<T> Integer(const char* Name, G get, S set = {}, D def = {}) {
    using V = detail::ValueOf<T, G>;
    static_assert(std::is_integral_v<V> && !std::is_same_v<V, bool> && sizeof(V) <= 8 &&
                      !(std::is_unsigned_v<V> && sizeof(V) == 8),
                  "Integer properties hold signed integers up to 64 bits or unsigned up to 32 bits");
    TPropInfo& p = Ordinal<V>(Name, sizeof(V) == 8 ? TPropKind::Int64 : TPropKind::Integer, get, set, def,
                              [](V v) { return static_cast<std::int64_t>(v); },
                              [](std::int64_t v) { return static_cast<V>(v); });
    p.FMin = static_cast<std::int64_t>(std::numeric_limits<V>::min());
    p.FMax = static_cast<std::int64_t>(std::numeric_limits<V>::max());
    return TPropOptions<T>(p);
  }

  // An enumeration (or integer ordinal) whose values are named by Names in ordinal order.
  template <class G, class S = TNoSetter, class D = TNoDefault>
  TPropOptions<T> Enum(const char* Name, G get, S set, std::initializer_list<const char*> Names, D def = {}) {
    using V = detail::ValueOf<T, G>;
    static_assert(std::is_enum_v<V> || std::is_integral_v<V>, "Enum properties hold enumerations");
    TPropInfo& p = Ordinal<V>(Name, TPropKind::Enumeration, get, set, def,
                              [](V v) { return static_cast<std::int64_t>(v); },
                              [](std::int64_t v) { return static_cast<V>(v); });
    p.FNames.assign(Names.begin(), Names.end());
    p.FMax = static_cast<std::int64_t>(p.FNames.size()) - 1;
    return TPropOptions<T>(p);
  }

  // A set (TSet, an integer mask or std::bitset) whose bit n is named Names[n].
  template <class G, class S = TNoSetter, class D = TNoDefault>
  TPropOptions<T> Set(const char* Name, G get, S set, std::initializer_list<const char*> Names, D def = {}) {
    using V = detail::ValueOf<T, G>;
    TPropInfo& p = Ordinal<V>(Name, TPropKind::Set, get, set, def,
                              [](const V& v) { return static_cast<std::int64_t>(SetToBits(v)); },
                              [](std::int64_t v) { return SetFromBits<V>(static_cast<std::uint64_t>(v)); });
    p.FNames.assign(Names.begin(), Names.end());
    p.FMax = p.FNames.size() >= 63 ? std::numeric_limits<std::int64_t>::max()
                                   : (std::int64_t(1) << p.FNames.size()) - 1;
    return TPropOptions<T>(p);
  }

  template <class G, class S = TNoSetter, class D = TNoDefault>
  TPropOptions<T> Bool(const char* Name, G get, S set = {}, D def = {}) {
    using V = detail::ValueOf<T, G>;
    static_assert(std::is_same_v<V, bool>, "Bool properties hold bool");
    TPropInfo& p = Ordinal<V>(Name, TPropKind::Boolean, get, set, def,
                              [](bool v) { return static_cast<std::int64_t>(v); },
                              [](std::int64_t v) { return v != 0; });
    p.FNames = {"False", "True"};
    p.FMax = 1;
    return TPropOptions<T>(p);
  }

  // A double or float.
  template <class G, class S = TNoSetter, class D = TNoDefault>
  TPropOptions<T> Float(const char* Name, G get, S set = {}, D def = {}) {
    using V = detail::ValueOf<T, G>;
    static_assert(std::is_floating_point_v<V>, "Float properties hold floating-point values");
    TPropInfo& p = Add(Name, TPropKind::Float);
    auto getter = detail::Getter<T, V>(get);
    p.FGetFloat = [getter](const TPersistent& o) { return static_cast<double>(getter(o)); };
    if (auto setter = detail::Setter<T, V>(get, set))
      p.FSetFloat = [setter](TPersistent& o, double v) { setter(o, static_cast<V>(v)); };
    SetDefault<V>(p, getter, def);
    return TPropOptions<T>(p);
  }

  // A String (UTF-16) property.
  template <class G, class S = TNoSetter, class D = TNoDefault>
  TPropOptions<T> Str(const char* Name, G get, S set = {}, D def = {}) {
    using V = detail::ValueOf<T, G>;
    static_assert(std::is_same_v<V, String>, "Str properties hold String");
    TPropInfo& p = Add(Name, TPropKind::String);
    auto getter = detail::Getter<T, V>(get);
    p.FGetString = getter;
    if (auto setter = detail::Setter<T, V>(get, set)) p.FSetString = setter;
    SetDefault<V>(p, getter, def);
    return TPropOptions<T>(p);
  }

  // An owned persistent object (pointer getter or field); the form stores its
  // published properties as Name.Property lines.
  template <class G>
  TPropOptions<T> Object(const char* Name, G get) {
    using V = detail::ValueOf<T, G>;
    static_assert(std::is_pointer_v<V> && std::is_base_of_v<TPersistent, std::remove_pointer_t<V>>,
                  "Object properties point to persistent objects");
    TPropInfo& p = Add(Name, TPropKind::Class);
    p.FGetObject = [get](const TPersistent& o) -> TPersistent* { return std::invoke(get, detail::Self<T>(o)); };
    return TPropOptions<T>(p);
  }

  // A reference to a component of the form (stored by name; nil is not stored).
  template <class G, class S = TNoSetter>
  TPropOptions<T> Component(const char* Name, G get, S set = {}) {
    using V = detail::ValueOf<T, G>;
    using C = std::remove_pointer_t<V>;
    static_assert(std::is_pointer_v<V> && std::is_base_of_v<TComponent, C>,
                  "Component properties point to components");
    TPropInfo& p = Add(Name, TPropKind::Component);
    p.FComponentClass = &C::StaticClass();
    p.FGetComponent = [get](const TPersistent& o) -> TComponent* { return std::invoke(get, detail::Self<T>(o)); };
    p.FAccepts = [](const TComponent* c) { return c == nullptr || dynamic_cast<const C*>(c) != nullptr; };
    if (auto setter = detail::Setter<T, V>(get, set))
      p.FSetComponent = [setter](TPersistent& o, TComponent* c) { setter(o, dynamic_cast<C*>(c)); };
    return TPropOptions<T>(p);
  }

  // An event (TEvent); the form stores the name of the form's method it is bound to.
  template <class G, class S = TNoSetter>
  TPropOptions<T> Event(const char* Name, G get, S set = {}) {
    using V = detail::ValueOf<T, G>;
    static_assert(detail::EventTraits<V>::value, "Event properties hold TEvent");
    TPropInfo& p = Add(Name, TPropKind::Method);
    p.FEventSignature = typeid(typename detail::EventTraits<V>::Signature);
    p.FGetMethod = [get](const TPersistent& o) -> std::pair<const void*, std::string> {
      const V& e = std::invoke(get, detail::Self<T>(o));
      return {e ? e.Target() : nullptr, e ? e.MethodName() : std::string()};
    };
    if (auto setter = detail::Setter<T, V>(get, set))
      p.FSetMethod = [setter](TPersistent& o, TComponent& root, const TMethodInfo* m) {
        V e;
        if (m) m->Bind(root, &e);
        setter(o, e);
      };
    return TPropOptions<T>(p);
  }

  // Data the object writes and reads itself (member functions taking a
  // TStream&); add .Stored(&T::HasData) so that empty data is not written.
  template <class R, class W>
  TPropOptions<T> Binary(const char* Name, R read, W write) {
    TPropInfo& p = Add(Name, TPropKind::Binary);
    p.FReadData = [read](TPersistent& o, TStream& s) { std::invoke(read, detail::Self<T>(o), s); };
    p.FWriteData = [write](const TPersistent& o, TStream& s) { std::invoke(write, detail::Self<T>(o), s); };
    return TPropOptions<T>(p);
  }

  // A method of this form class that events in its form file may name.
  template <class C, class R, class... A>
  void Method(const char* Name, R (C::*method)(A...)) {
    static_assert(std::is_base_of_v<C, T> || std::is_same_v<C, T>, "the method belongs to the form class");
    std::string name = Name;
    FInfo.AddMethod(TMethodInfo(name, typeid(R(A...)), [method, name](TComponent& root, void* event) {
      *static_cast<TEvent<R(A...)>*>(event) = TEvent<R(A...)>(&dynamic_cast<T&>(root), method, name);
    }));
  }

private:
  TPropInfo& Add(const char* Name, TPropKind Kind) {
    return FInfo.AddProperty(std::make_shared<TPropInfo>(Name, Kind, T::StaticClass()));
  }

  template <class V, class G, class S, class D, class ToOrd, class FromOrd>
  TPropInfo& Ordinal(const char* Name, TPropKind Kind, G get, S set, const D& def, ToOrd toOrd, FromOrd fromOrd) {
    TPropInfo& p = Add(Name, Kind);
    auto getter = detail::Getter<T, V>(get);
    p.FGetOrdinal = [getter, toOrd](const TPersistent& o) { return toOrd(getter(o)); };
    if (auto setter = detail::Setter<T, V>(get, set))
      p.FSetOrdinal = [setter, fromOrd](TPersistent& o, std::int64_t v) { setter(o, fromOrd(v)); };
    SetDefault<V>(p, getter, def);
    return p;
  }

  template <class V, class D>
  static void SetDefault(TPropInfo& p, const std::function<V(const TPersistent&)>& getter, const D& def) {
    if constexpr (!std::is_same_v<D, TNoDefault>) {
      V value = static_cast<V>(def);
      p.FIsDefault = [getter, value](const TPersistent& o) { return getter(o) == value; };
    }
  }

  TPublishedInfo& FInfo;
};

}  // namespace vx::plat

// Publishes the properties Cls registers in its static RegisterProperties
// (use once, at namespace scope of the .cpp that defines Cls).
#define VX_PUBLISH(Cls)                                            \
  [[maybe_unused]] static const bool vx_published_##Cls =          \
      (::vx::plat::RegisterPublished(Cls::StaticClass(), &::vx::plat::TPropertyRegistry<Cls>::Run), true);
