#include "platform/design/design_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <tuple>

#include "platform/core/stream.h"
#include "platform/gdi/gdi.h"
#include "platform/graphics/bitmap.h"

namespace vx::plat {

namespace {

thread_local TDesignHost* gRegisteringHost = nullptr;

// Makes a host the target of the free registration calls for a scope.
class RegisteringScope {
public:
  explicit RegisteringScope(TDesignHost& host) : FPrevious(gRegisteringHost) { gRegisteringHost = &host; }
  ~RegisteringScope() { gRegisteringHost = FPrevious; }
  RegisteringScope(const RegisteringScope&) = delete;
  RegisteringScope& operator=(const RegisteringScope&) = delete;

private:
  TDesignHost* FPrevious;
};

bool SameName(std::string_view a, std::string_view b) { return SameText(Utf8ToString(a), Utf8ToString(b)); }

std::string UpperName(std::string_view name) { return StringToUtf8(UpperCase(Utf8ToString(name))); }

constexpr std::size_t kNoMatch = std::numeric_limits<std::size_t>::max();

// Steps from `cls` up to `ancestor`; kNoMatch when it does not descend from it.
std::size_t ClassDistance(const TClass& cls, const TClass& ancestor) {
  std::size_t steps = 0;
  for (const TClass* c = &cls; c; c = c->ClassParent(), ++steps)
    if (c == &ancestor) return steps;
  return kNoMatch;
}

// The parts of a palette bitmap, checked against its data.
struct PaletteDib {
  std::span<const std::uint8_t> Bytes;  // header, colour table and bits, nothing more
  std::uint32_t HeaderSize = 0;
  std::uint32_t Colours = 0;
};

PaletteDib CheckPaletteDib(std::string_view name, std::span<const std::uint8_t> data) {
  const std::string what = "Invalid palette bitmap for " + std::string(name) + ": ";
  if (data.size() >= 14 && data[0] == 'B' && data[1] == 'M') data = data.subspan(14);
  BITMAPINFOHEADER h;
  if (data.size() < sizeof h) throw EInvalidGraphic(what + "shorter than a bitmap header");
  std::memcpy(&h, data.data(), sizeof h);
  if (h.biSize < sizeof h || h.biSize > data.size()) throw EInvalidGraphic(what + "unknown header size");
  if (h.biWidth != kPaletteBitmapSize || (h.biHeight != kPaletteBitmapSize && h.biHeight != -kPaletteBitmapSize) ||
      h.biPlanes != 1 || h.biBitCount != 4 || h.biCompression != BI_RGB)
    throw EInvalidGraphic(what + "it must be an uncompressed 24 x 24 bitmap of 4 bits per pixel");
  if (h.biClrUsed > 16) throw EInvalidGraphic(what + "more than 16 colours");
  const std::uint32_t colours = h.biClrUsed ? h.biClrUsed : 16;
  const std::size_t rowBytes = (kPaletteBitmapSize * 4 + 31) / 32 * 4;
  const std::size_t needed = h.biSize + colours * 4 + rowBytes * kPaletteBitmapSize;
  if (data.size() < needed) throw EInvalidGraphic(what + "the pixels are cut off");
  return {data.first(needed), h.biSize, colours};
}

}  // namespace

// ---------------------------------------------------------------------------
// Registration
// ---------------------------------------------------------------------------

void TDesignHost::RegisterComponents(const String& Page, std::span<const TClass* const> Classes) {
  if (Page.empty()) throw EDesignError("A palette page needs a name");
  for (const TClass* cls : Classes) {
    if (!cls) throw EDesignError("Cannot register a nil class on palette page \"" + StringToUtf8(Page) + "\"");
    if (!cls->InheritsFrom(TComponent::StaticClass()))
      throw EDesignError("Class " + cls->ClassName() + " is not a component and cannot go on the palette");
  }
  auto page = std::find_if(FPalette.begin(), FPalette.end(), [&](const TPalettePage& p) { return p.Name == Page; });
  if (page == FPalette.end()) page = FPalette.insert(FPalette.end(), TPalettePage{Page, {}});
  for (const TClass* cls : Classes)
    if (std::find(page->Classes.begin(), page->Classes.end(), cls) == page->Classes.end()) page->Classes.push_back(cls);
}

void TDesignHost::RegisterPropertyEditor(std::string_view PropertyType, const TClass* ComponentClass,
                                         std::string_view PropertyName, const TPropertyEditorClass& EditorClass) {
  FEditors.push_back({std::string(PropertyType), ComponentClass, std::string(PropertyName), &EditorClass});
}

void TDesignHost::RegisterPaletteBitmap(std::string_view ClassName, std::span<const std::uint8_t> Dib) {
  const std::string name = UpperName(ClassName);
  if (name.empty()) throw EInvalidGraphic("A palette bitmap needs a class name");
  const PaletteDib dib = CheckPaletteDib(name, Dib);
  std::vector<std::uint8_t> bytes(dib.Bytes.begin(), dib.Bytes.end());
  auto it = std::find_if(FBitmaps.begin(), FBitmaps.end(), [&](const PaletteBitmapEntry& e) { return e.Name == name; });
  if (it != FBitmaps.end()) it->Dib = std::move(bytes);
  else FBitmaps.push_back({name, std::move(bytes)});
}

// ---------------------------------------------------------------------------
// Queries
// ---------------------------------------------------------------------------

const TPalettePage* TDesignHost::FindPage(std::u16string_view Page) const {
  for (const TPalettePage& p : FPalette)
    if (SameText(p.Name, Page)) return &p;
  return nullptr;
}

const TPropertyEditorClass& TDesignHost::ChooseEditor(const TClass& ComponentClass, const TPropInfo& Prop,
                                                      const TPersistent* Instance) const {
  const std::vector<std::string> types = PropertyTypeNames(Prop, Instance);
  // Lower is more specific: class distance, unnamed property, type distance, later registration.
  using Score = std::tuple<std::size_t, int, std::size_t, std::size_t>;
  const TPropertyEditorClass* best = &TPropertyEditor::StaticClass();
  Score bestScore{kNoMatch, 0, 0, 0};
  for (std::size_t i = 0; i < FEditors.size(); ++i) {
    const EditorRegistration& r = FEditors[i];
    std::size_t typeDistance = types.size();
    if (!r.Type.empty()) {
      auto t = std::find_if(types.begin(), types.end(), [&](const std::string& n) { return SameName(n, r.Type); });
      if (t == types.end()) continue;
      typeDistance = static_cast<std::size_t>(t - types.begin());
    }
    const std::size_t classDistance =
        r.ComponentClass ? ClassDistance(ComponentClass, *r.ComponentClass) : kNoMatch - 1;
    if (classDistance == kNoMatch) continue;
    if (!r.PropertyName.empty() && !SameName(r.PropertyName, Prop.Name())) continue;
    const Score score{classDistance, r.PropertyName.empty() ? 1 : 0, typeDistance, FEditors.size() - i};
    if (score < bestScore) {
      bestScore = score;
      best = r.Editor;
    }
  }
  return *best;
}

const TPropertyEditorClass& TDesignHost::FindEditorClass(const TPersistent& Component, const TPropInfo& Prop) const {
  return ChooseEditor(Component.ClassType(), Prop, &Component);
}

const TPropertyEditorClass& TDesignHost::FindEditorClass(const TClass& ComponentClass,
                                                         std::string_view PropertyName) const {
  const TPropInfo* prop = PublishedInfo(ComponentClass).FindProperty(PropertyName);
  if (!prop)
    throw EDesignError("Class " + ComponentClass.ClassName() + " has no published property " + std::string(PropertyName));
  return ChooseEditor(ComponentClass, *prop, nullptr);
}

std::unique_ptr<TPropertyEditor> TDesignHost::CreateEditor(const std::vector<TPersistent*>& Components,
                                                           std::string_view PropertyName) {
  if (Components.empty() || !Components.front()) return nullptr;
  const TPropInfo* prop = PublishedInfo(*Components.front()).FindProperty(PropertyName);
  if (!prop) return nullptr;
  const TPropertyEditorClass& editorClass = FindEditorClass(*Components.front(), *prop);
  for (TPersistent* c : Components) {
    // The property's accessors only apply to instances of its declaring class.
    if (!c || !c->InheritsFrom(prop->DeclaringClass())) return nullptr;
    const TPropInfo* own = PublishedInfo(*c).FindProperty(PropertyName);
    if (!own || own->Kind() != prop->Kind() || &FindEditorClass(*c, *own) != &editorClass) return nullptr;
  }
  std::unique_ptr<TPropertyEditor> editor(editorClass.Create());
  editor->Initialize(this, Components, prop);
  if (Components.size() > 1 && !editor->GetAttributes().Contains(paMultiSelect)) return nullptr;
  return editor;
}

std::vector<TPropertyView> TDesignHost::ComponentProperties(TPersistent& Component) {
  std::vector<TPropertyView> views;
  for (const auto& prop : PublishedInfo(Component).Properties()) {
    const TPropertyEditorClass& editorClass = FindEditorClass(Component, *prop);
    std::unique_ptr<TPropertyEditor> editor(editorClass.Create());
    editor->Initialize(this, {&Component}, prop.get());
    views.push_back({prop.get(), prop->Name(), editor->GetValue(), editor->GetAttributes(), &editorClass});
  }
  return views;
}

const std::vector<std::uint8_t>* TDesignHost::PaletteBitmap(std::string_view ClassName) const {
  const std::string name = UpperName(ClassName);
  for (const PaletteBitmapEntry& e : FBitmaps)
    if (e.Name == name) return &e.Dib;
  return nullptr;
}

bool TDesignHost::LoadPaletteBitmap(std::string_view ClassName, TBitmap& Bitmap) const {
  const std::vector<std::uint8_t>* dib = PaletteBitmap(ClassName);
  if (!dib) return false;
  const PaletteDib parts = CheckPaletteDib(ClassName, *dib);
  TMemoryStream file;
  file.WriteValue<std::uint16_t>(0x4D42);  // "BM"
  file.WriteValue<std::uint32_t>(static_cast<std::uint32_t>(14 + dib->size()));
  file.WriteValue<std::uint32_t>(0);
  file.WriteValue<std::uint32_t>(14 + parts.HeaderSize + parts.Colours * 4);
  file.WriteBuffer(dib->data(), static_cast<std::int64_t>(dib->size()));
  file.SetPosition(0);
  Bitmap.LoadFromStream(file);
  return true;
}

// ---------------------------------------------------------------------------
// Packages
// ---------------------------------------------------------------------------

struct TDesignHost::Snapshot {
  std::vector<TPalettePage> Palette;
  std::vector<EditorRegistration> Editors;
  std::vector<PaletteBitmapEntry> Bitmaps;
  std::vector<TDesignPackage> Packages;
};

void TDesignHost::RunRegistration(TRegisterPackageProc Register, const std::string& PackagePath,
                                  const String& Description) {
  if (!Register) throw EDesignError("No registration function given");
  Snapshot before{FPalette, FEditors, FBitmaps, FPackages};
  try {
    RegisteringScope scope(*this);
    Register(*this);
    FPackages.push_back({PackagePath, Description});
  } catch (...) {
    FPalette = std::move(before.Palette);
    FEditors = std::move(before.Editors);
    FBitmaps = std::move(before.Bitmaps);
    FPackages = std::move(before.Packages);
    throw;
  }
}

void TDesignHost::LoadDesignPackage(const std::string& Path) {
  const std::string quoted = "\"" + Path + "\"";
  if (Path.empty() || !FileExists(Path)) throw EDesignError("Design package " + quoted + " not found");
  dlerror();
  void* library = dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    const char* why = dlerror();
    throw EDesignError("Cannot load design package " + quoted + ": " + (why ? why : "not a shared library"));
  }
  // Loading the same library again only raised its reference count.
  if (std::find(FLoadedLibraries.begin(), FLoadedLibraries.end(), library) != FLoadedLibraries.end()) {
    dlclose(library);
    return;
  }
  // From here on the library stays loaded, even when it turns out unusable:
  // its static initialisers may already have registered classes.
  auto registerPackage = reinterpret_cast<TRegisterPackageProc>(dlsym(library, kRegisterPackageSymbol));
  if (!registerPackage)
    throw EDesignError("Design package " + quoted + " has no registration function " + kRegisterPackageSymbol);
  String description;
  using DescriptionProc = const char* (*)();
  if (auto describe = reinterpret_cast<DescriptionProc>(dlsym(library, kPackageDescriptionSymbol)))
    if (const char* text = describe()) description = Utf8ToString(text);
  RunRegistration(registerPackage, Path, description);
  FLoadedLibraries.push_back(library);
}

// ---------------------------------------------------------------------------
// The process's host and the free registration calls
// ---------------------------------------------------------------------------

TDesignHost& DesignHost() {
  static TDesignHost* host = new TDesignHost;
  return *host;
}

TDesignHost& CurrentDesignHost() { return gRegisteringHost ? *gRegisteringHost : DesignHost(); }

void RegisterComponents(const String& Page, std::initializer_list<const TClass*> Classes) {
  CurrentDesignHost().RegisterComponents(Page, Classes);
}

void RegisterPropertyEditor(std::string_view PropertyType, const TClass* ComponentClass,
                            std::string_view PropertyName, const TPropertyEditorClass& EditorClass) {
  CurrentDesignHost().RegisterPropertyEditor(PropertyType, ComponentClass, PropertyName, EditorClass);
}

void RegisterPaletteBitmap(std::string_view ClassName, std::span<const std::uint8_t> Dib) {
  CurrentDesignHost().RegisterPaletteBitmap(ClassName, Dib);
}

}  // namespace vx::plat
