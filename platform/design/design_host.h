// The design host: what a form designer knows about the components it
// offers. Packages register their components on named palette pages, their
// property editors and their palette bitmaps; the designer asks for the
// palette, for the editor of a property and for a component's properties
// with the text their editors show.
//
// A design package is a shared library exporting
//
//   extern "C" void VxRegisterPackage(vx::plat::TDesignHost& Host);
//
// which LoadDesignPackage calls once after loading it, and optionally
//
//   extern "C" const char* VxPackageDescription();   // UTF-8, e.g. "Vexalith Obsolete Components"
//
// Loaded packages stay loaded for the rest of the process: the classes they
// define are in the class registry from the moment they are loaded.
//
// Property editor choice. A registration (type, class, property name, editor)
// applies to a property when the type names one of PropertyTypeNames (an
// empty type: any type), the component's class is the class or descends from
// it (nil: every class), and the name is the property's name ignoring case
// (empty: every property of the type). Of the registrations that apply, the
// most specific wins: first the one whose class is nearest to the
// component's class (nil counts as farthest), then one naming the property
// over one for all properties, then the more specific type name, and among
// equals the one registered last. Without any, the property gets the
// default editor, TPropertyEditor.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/unicode.h"
#include "platform/design/property_editor.h"

namespace vx::plat {

class TBitmap;

// One page of the component palette: its classes in registration order.
struct TPalettePage {
  String Name;
  std::vector<const TClass*> Classes;
};

// One property of a component as the property list shows it.
struct TPropertyView {
  const TPropInfo* Prop = nullptr;
  std::string Name;
  String Value;                    // the text the editor shows
  TPropertyAttributes Attributes;  // as the editor answers
  const TPropertyEditorClass* EditorClass = nullptr;
};

// A design package loaded into the host.
struct TDesignPackage {
  std::string Path;
  String Description;  // empty when the package gives none
};

class TDesignHost;
// The registration function of a package.
using TRegisterPackageProc = void (*)(TDesignHost& Host);
// The names a package library exports.
inline constexpr const char* kRegisterPackageSymbol = "VxRegisterPackage";
inline constexpr const char* kPackageDescriptionSymbol = "VxPackageDescription";

// The size palette bitmaps have: 24 x 24 pixels at 4 bits per pixel.
inline constexpr int kPaletteBitmapSize = 24;

class TDesignHost {
public:
  TDesignHost() = default;
  TDesignHost(const TDesignHost&) = delete;
  TDesignHost& operator=(const TDesignHost&) = delete;

  // Puts component classes on a palette page (created at the end of the
  // palette on first use); a class already on that page keeps its place.
  // Raises EDesignError for an empty page name or a class that is not a
  // component, registering nothing of the call.
  void RegisterComponents(const String& Page, std::span<const TClass* const> Classes);
  void RegisterComponents(const String& Page, std::initializer_list<const TClass*> Classes) {
    RegisterComponents(Page, std::span<const TClass* const>(Classes.begin(), Classes.size()));
  }
  // Registers an editor (see the choice rule above). ComponentClass nil means
  // every class; an empty PropertyName every property of the type.
  void RegisterPropertyEditor(std::string_view PropertyType, const TClass* ComponentClass,
                              std::string_view PropertyName, const TPropertyEditorClass& EditorClass);
  // Registers the palette bitmap of a class: a 24 x 24, 4-bits-per-pixel
  // device-independent bitmap (header, 16-colour table, bits; a bitmap file
  // image is accepted too). Names are kept in upper case, as the palette
  // looks them up. Raises EInvalidGraphic naming what is wrong.
  void RegisterPaletteBitmap(std::string_view ClassName, std::span<const std::uint8_t> Dib);

  // The palette, pages in the order they were first used.
  const std::vector<TPalettePage>& Palette() const { return FPalette; }
  // The page with this name (ignoring case), or nil.
  const TPalettePage* FindPage(std::u16string_view Page) const;

  // The editor class for a property of a component (instance known).
  const TPropertyEditorClass& FindEditorClass(const TPersistent& Component, const TPropInfo& Prop) const;
  // The editor class for a published property of a class, by name (ignoring
  // case); raises EDesignError when the class has no such property. Editors
  // registered for the class of an object property need the instance form.
  const TPropertyEditorClass& FindEditorClass(const TClass& ComponentClass, std::string_view PropertyName) const;
  // An editor for the named property of all of Components (at least one);
  // nil when one of them lacks the property, their editors differ, or
  // several are given and the editor does not allow paMultiSelect.
  std::unique_ptr<TPropertyEditor> CreateEditor(const std::vector<TPersistent*>& Components,
                                                std::string_view PropertyName);
  // The published properties of a component, in published order, each with
  // the value text and attributes its editor gives.
  std::vector<TPropertyView> ComponentProperties(TPersistent& Component);

  // The palette bitmap of a class (ignoring case), or nil.
  const std::vector<std::uint8_t>* PaletteBitmap(std::string_view ClassName) const;
  // Loads the palette bitmap of a class into `Bitmap`; false (and `Bitmap`
  // untouched) when there is none.
  bool LoadPaletteBitmap(std::string_view ClassName, TBitmap& Bitmap) const;

  // Loads a design package and runs its registration. Raises EDesignError
  // naming the file when it is missing, is not a loadable library, or lacks
  // VxRegisterPackage. Loading the same library again does nothing.
  void LoadDesignPackage(const std::string& Path);
  // Runs a registration function (what LoadDesignPackage does once the
  // library is loaded). When it raises, every registration it made is
  // undone and the error propagates.
  void RunRegistration(TRegisterPackageProc Register, const std::string& PackagePath = {},
                       const String& Description = {});
  // The packages registered so far, in loading order.
  const std::vector<TDesignPackage>& Packages() const { return FPackages; }

private:
  struct EditorRegistration {
    std::string Type;
    const TClass* ComponentClass;
    std::string PropertyName;
    const TPropertyEditorClass* Editor;
  };
  struct PaletteBitmapEntry {
    std::string Name;
    std::vector<std::uint8_t> Dib;
  };
  struct Snapshot;
  // The choice rule; Instance (may be nil) tells the class of object properties.
  const TPropertyEditorClass& ChooseEditor(const TClass& ComponentClass, const TPropInfo& Prop,
                                           const TPersistent* Instance) const;

  std::vector<TPalettePage> FPalette;
  std::vector<EditorRegistration> FEditors;
  std::vector<PaletteBitmapEntry> FBitmaps;
  std::vector<TDesignPackage> FPackages;
  std::vector<const void*> FLoadedLibraries;
};

// The design host of the process.
TDesignHost& DesignHost();
// The host whose RunRegistration is running, else DesignHost(): the host
// the free registration calls below go to.
TDesignHost& CurrentDesignHost();

// Registration calls as a package's unit registration procedures make them.
void RegisterComponents(const String& Page, std::initializer_list<const TClass*> Classes);
void RegisterPropertyEditor(std::string_view PropertyType, const TClass* ComponentClass,
                            std::string_view PropertyName, const TPropertyEditorClass& EditorClass);
void RegisterPaletteBitmap(std::string_view ClassName, std::span<const std::uint8_t> Dib);

}  // namespace vx::plat
