#include "platform/design/property_editor.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/core/component.h"

namespace vx::plat {

VX_DEFINE_CLASS(TPropertyEditor, TObject)

namespace {

[[noreturn]] void InvalidValue() { throw EConvertError("Invalid property value"); }

std::string Trim(std::string s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

std::int64_t ParseInteger(const std::string& text, const TPropInfo& prop) {
  const std::string t = Trim(text);
  std::int64_t value = 0;
  const char* begin = t.data();
  const char* end = t.data() + t.size();
  if (begin != end && *begin == '+') ++begin;
  auto [ptr, ec] = std::from_chars(begin, end, value);
  if (t.empty() || ec != std::errc() || ptr != end) throw EConvertError("'" + t + "' is not a valid integer value");
  if (value < prop.MinValue() || value > prop.MaxValue())
    throw EConvertError("Value must be between " + std::to_string(prop.MinValue()) + " and " +
                        std::to_string(prop.MaxValue()));
  return value;
}

double ParseFloat(const std::string& text) {
  const std::string t = Trim(text);
  double value = 0;
  auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (t.empty() || ec != std::errc() || ptr != t.data() + t.size() || !std::isfinite(value))
    throw EConvertError("'" + t + "' is not a valid floating point value");
  return value;
}

std::string FloatText(double value) {
  char buffer[64];
  auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, ptr) : std::string("0");
}

std::string SetText(const TPropInfo& prop, std::uint64_t bits) {
  std::string s = "[";
  const auto& names = prop.ValueNames();
  for (std::size_t i = 0; i < names.size() && i < 64; ++i) {
    if (!(bits & (std::uint64_t{1} << i))) continue;
    if (s.size() > 1) s += ",";
    s += names[i];
  }
  return s + "]";
}

std::int64_t ParseSet(const TPropInfo& prop, const std::string& text) {
  std::string t = Trim(text);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') InvalidValue();
  t = t.substr(1, t.size() - 2);
  std::uint64_t bits = 0;
  std::size_t start = 0;
  while (start <= t.size()) {
    std::size_t comma = t.find(',', start);
    if (comma == std::string::npos) comma = t.size();
    const std::string member = Trim(t.substr(start, comma - start));
    if (!member.empty()) {
      const int index = prop.FindValueName(member);
      if (index < 0 || index >= 64) InvalidValue();
      bits |= std::uint64_t{1} << index;
    } else if (comma != t.size() || start != 0) {
      InvalidValue();  // an empty member between commas
    }
    start = comma + 1;
  }
  return static_cast<std::int64_t>(bits);
}

void AppendClassNames(std::vector<std::string>& names, const TClass* cls) {
  for (; cls; cls = cls->ClassParent()) names.push_back(cls->ClassName());
}

}  // namespace

// ---------------------------------------------------------------------------
// Value text
// ---------------------------------------------------------------------------

TComponent* DesignRoot(TPersistent* Instance) {
  auto* c = dynamic_cast<TComponent*>(Instance);
  while (c && c->Owner()) c = c->Owner();
  return c;
}

String PropertyValueText(const TPersistent& Instance, const TPropInfo& Prop) {
  switch (Prop.Kind()) {
    case TPropKind::Integer:
    case TPropKind::Int64:
      return IntToStr(Prop.GetOrdinal(Instance));
    case TPropKind::Enumeration:
    case TPropKind::Boolean: {
      const std::int64_t v = Prop.GetOrdinal(Instance);
      const auto& names = Prop.ValueNames();
      return v >= 0 && v < static_cast<std::int64_t>(names.size()) ? Utf8ToString(names[static_cast<std::size_t>(v)])
                                                                     : IntToStr(v);
    }
    case TPropKind::Set:
      return Utf8ToString(SetText(Prop, static_cast<std::uint64_t>(Prop.GetOrdinal(Instance))));
    case TPropKind::Float:
      return Utf8ToString(FloatText(Prop.GetFloat(Instance)));
    case TPropKind::String:
      return Prop.GetString(Instance);
    case TPropKind::Class: {
      const TPersistent* object = Prop.GetObject(Instance);
      return object ? u"(" + Utf8ToString(object->ClassName()) + u")" : String();
    }
    case TPropKind::Component: {
      const TComponent* c = Prop.GetComponent(Instance);
      return c ? c->Name() : String();
    }
    case TPropKind::Method: {
      const TComponent* root = DesignRoot(const_cast<TPersistent*>(&Instance));
      return root ? Utf8ToString(Prop.GetMethodName(Instance, *root)) : String();
    }
    case TPropKind::Binary:
      return u"(Data)";
  }
  return {};
}

void SetPropertyValueText(TPersistent& Instance, const TPropInfo& Prop, const String& Text, TComponent* Root) {
  const std::string text = StringToUtf8(Text);
  if (Prop.IsReadOnly() && Prop.Kind() != TPropKind::Method)
    throw EDesignError("Property " + Prop.Name() + " is read-only");
  switch (Prop.Kind()) {
    case TPropKind::Integer:
    case TPropKind::Int64:
      Prop.SetOrdinal(Instance, ParseInteger(text, Prop));
      return;
    case TPropKind::Enumeration:
    case TPropKind::Boolean: {
      const int index = Prop.FindValueName(Trim(text));
      if (index < 0) InvalidValue();
      Prop.SetOrdinal(Instance, index);
      return;
    }
    case TPropKind::Set:
      Prop.SetOrdinal(Instance, ParseSet(Prop, text));
      return;
    case TPropKind::Float:
      Prop.SetFloat(Instance, ParseFloat(text));
      return;
    case TPropKind::String:
      Prop.SetString(Instance, Text);
      return;
    case TPropKind::Component: {
      TComponent* target = nullptr;
      if (!Trim(text).empty()) {
        const String name = Utf8ToString(Trim(text));
        target = Root ? (SameText(Root->Name(), name) ? Root : Root->FindComponent(name)) : nullptr;
        if (!target) InvalidValue();
      }
      Prop.SetComponent(Instance, target);
      return;
    }
    case TPropKind::Method: {
      if (!Root) throw EDesignError("Event " + Prop.Name() + " has no form to name a method of");
      const std::string name = Trim(text);
      const TMethodInfo* method = name.empty() ? nullptr : PublishedInfo(*Root).FindMethod(name);
      if (!name.empty() && !method) InvalidValue();
      Prop.SetMethod(Instance, *Root, method);
      return;
    }
    case TPropKind::Class:
    case TPropKind::Binary:
      throw EDesignError("Property " + Prop.Name() + " cannot be set from text");
  }
}

std::vector<std::string> PropertyTypeNames(const TPropInfo& Prop, const TPersistent* Instance) {
  using L = std::numeric_limits<std::int8_t>;
  switch (Prop.Kind()) {
    case TPropKind::Integer: {
      const std::int64_t lo = Prop.MinValue(), hi = Prop.MaxValue();
      if (lo == L::min() && hi == L::max()) return {"Int8", "ShortInt"};
      if (lo == 0 && hi == 0xFF) return {"UInt8", "Byte"};
      if (lo == std::numeric_limits<std::int16_t>::min() && hi == std::numeric_limits<std::int16_t>::max())
        return {"Int16", "SmallInt"};
      if (lo == 0 && hi == 0xFFFF) return {"UInt16", "Word"};
      if (lo == 0 && hi == 0xFFFFFFFF) return {"UInt32", "Cardinal", "LongWord"};
      return {"Int32", "Integer", "LongInt"};
    }
    case TPropKind::Int64: return {"Int64"};
    case TPropKind::Enumeration: return {"Enumeration"};
    case TPropKind::Set: return {"Set"};
    case TPropKind::Float: return {"Double"};
    case TPropKind::String: return {"String"};
    case TPropKind::Boolean: return {"Boolean"};
    case TPropKind::Method: return {"Method"};
    case TPropKind::Binary: return {"Binary"};
    case TPropKind::Component: {
      std::vector<std::string> names;
      AppendClassNames(names, &Prop.ComponentClass());
      names.push_back("Component");
      return names;
    }
    case TPropKind::Class: {
      std::vector<std::string> names;
      if (const TPersistent* object = Instance ? Prop.GetObject(*Instance) : nullptr)
        AppendClassNames(names, &object->ClassType());
      names.push_back("Class");
      return names;
    }
  }
  return {};
}

// ---------------------------------------------------------------------------
// The default editor
// ---------------------------------------------------------------------------

void TPropertyEditor::Initialize(TDesignHost* Host, std::vector<TPersistent*> Components, const TPropInfo* Prop) {
  FHost = Host;
  FComponents = std::move(Components);
  FProp = Prop;
}

TPersistent* TPropertyEditor::GetComponent(int Index) const {
  if (Index < 0 || Index >= PropCount()) ListIndexError(Index);
  return FComponents[static_cast<std::size_t>(Index)];
}

void TPropertyEditor::Edit() {}

TPropertyAttributes TPropertyEditor::GetAttributes() {
  TPropertyAttributes a;
  switch (FProp->Kind()) {
    case TPropKind::Class:
      return {paSubProperties, paReadOnly};
    case TPropKind::Binary:
      return {paReadOnly};
    case TPropKind::Enumeration:
    case TPropKind::Boolean:
    case TPropKind::Component:
      a = {paMultiSelect, paValueList, paSortList};
      break;
    case TPropKind::Method:
      a = {paMultiSelect, paValueList};
      break;
    default:
      a = {paMultiSelect};
      break;
  }
  if (FProp->IsReadOnly() && FProp->Kind() != TPropKind::Method) a.Include(paReadOnly);
  return a;
}

String TPropertyEditor::GetValue() { return PropertyValueText(*GetComponent(0), *FProp); }

void TPropertyEditor::SetValue(const String& Value) {
  for (TPersistent* c : FComponents) SetPropertyValueText(*c, *FProp, Value, DesignRoot(c));
  Modified();
}

std::vector<String> TPropertyEditor::GetValues() {
  std::vector<String> values;
  switch (FProp->Kind()) {
    case TPropKind::Enumeration:
    case TPropKind::Boolean:
      for (const std::string& n : FProp->ValueNames()) values.push_back(Utf8ToString(n));
      break;
    case TPropKind::Component:
      if (TComponent* root = DesignRoot(GetComponent(0))) {
        for (int i = 0; i < root->ComponentCount(); ++i) {
          TComponent* c = root->Components(i);
          if (!c->Name().empty() && FProp->AcceptsComponent(c)) values.push_back(c->Name());
        }
      }
      break;
    default:
      break;
  }
  return values;
}

void TPropertyEditor::Modified() {
  for (TPersistent* c : FComponents)
    if (auto* component = dynamic_cast<TComponent*>(c)) component->DesignerModified();
}

}  // namespace vx::plat
