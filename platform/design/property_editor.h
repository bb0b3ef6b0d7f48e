// Property editors: what a designer's property list shows for a published
// property of the selected component(s), and how the value is edited.
//
// The base class TPropertyEditor is itself the default editor: it shows the
// property's value as text (see PropertyValueText) and sets it from text.
// Packages derive editors from it for properties that need a dialog or a
// fixed text, and register them with the design host.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/object.h"
#include "platform/core/properties.h"
#include "platform/core/set.h"
#include "platform/core/unicode.h"

namespace vx::plat {

class TDesignHost;

// What a property list may do with a property.
enum TPropertyAttribute : std::uint8_t {
  paValueList,      // the value is chosen from GetValues
  paSubProperties,  // the value is an object with properties of its own
  paDialog,         // Edit opens a dialog (the list shows a button)
  paMultiSelect,    // shown when several components are selected
  paAutoUpdate,     // SetValue is called on every keystroke
  paSortList,       // GetValues should be shown sorted
  paReadOnly,       // the value text cannot be typed
  paRevertable,     // the value can be reset to its inherited value
};
using TPropertyAttributes = TSet<TPropertyAttribute, std::uint16_t>;

// Errors of the design host: registrations, packages, property values.
class EDesignError : public Exception {
public:
  using Exception::Exception;
};

class TPropertyEditor : public TObject {
public:
  // Editor class references: Create makes an editor of exactly the class.
  using MetaClass = TMetaClass<TPropertyEditor>;
  VX_DECLARE_CLASS(TPropertyEditor)

public:
  TPropertyEditor() = default;
  TPropertyEditor(const TPropertyEditor&) = delete;
  TPropertyEditor& operator=(const TPropertyEditor&) = delete;

  // Runs the editor's dialog; the default has none and does nothing.
  virtual void Edit();
  // By the property's kind: value lists for enumerations, booleans,
  // component references and events; sub-properties for objects; read-only
  // for properties without a setter. Multi-select for all but objects.
  virtual TPropertyAttributes GetAttributes();
  // The value text of the first component (PropertyValueText).
  virtual String GetValue();
  // Sets the value of every edited component from text; raises EConvertError
  // for text the property cannot take and EDesignError for a read-only
  // property. Components that changed tell their designer.
  virtual void SetValue(const String& Value);
  // The choices of a value list: enumeration and boolean names, and the
  // names of the form's components a reference may point to.
  virtual std::vector<String> GetValues();

  // The edited property.
  const TPropInfo& GetPropInfo() const { return *FProp; }
  std::string GetName() const { return FProp->Name(); }
  // The edited components (at least one).
  int PropCount() const { return static_cast<int>(FComponents.size()); }
  TPersistent* GetComponent(int Index) const;
  // The host that made the editor.
  TDesignHost* Host() const { return FHost; }

protected:
  // Tells the designer of every edited component that the form changed.
  void Modified();

private:
  friend class TDesignHost;
  void Initialize(TDesignHost* Host, std::vector<TPersistent*> Components, const TPropInfo* Prop);

  TDesignHost* FHost = nullptr;
  std::vector<TPersistent*> FComponents;
  const TPropInfo* FProp = nullptr;
};

using TPropertyEditorClass = TPropertyEditor::MetaClass;

// The text a property list shows for a property of Instance: integers in
// decimal, enumerations and booleans by value name, sets as "[a,b]", floats
// in the shortest form that reads back exactly, strings as they are, objects
// as "(TClassName)", component references by name, events by the name of
// the form's method they are bound to, binary data as "(Data)".
String PropertyValueText(const TPersistent& Instance, const TPropInfo& Prop);
// Sets a property from such text; `Root` (the form) resolves component and
// method names. Raises EConvertError for text the property cannot take,
// EDesignError when the property has no setter or no text form.
void SetPropertyValueText(TPersistent& Instance, const TPropInfo& Prop, const String& Text, TComponent* Root);

// The type names a property answers to when editors are registered, most
// specific first: integers by range ("Int8" "ShortInt", "UInt8" "Byte",
// "Int16" "SmallInt", "UInt16" "Word", "Int32" "Integer" "LongInt",
// "UInt32" "Cardinal" "LongWord"), "Int64", "Double", "String", "Boolean",
// "Enumeration", "Set", "Method" (events), "Binary"; component references
// and objects by the class names of their class and its ancestors, then
// "Component" or "Class" (objects need Instance to know their class).
std::vector<std::string> PropertyTypeNames(const TPropInfo& Prop, const TPersistent* Instance);

// The form a component belongs to: its topmost owner (itself without owner);
// nil for an object that is no component.
TComponent* DesignRoot(TPersistent* Instance);

}  // namespace vx::plat
