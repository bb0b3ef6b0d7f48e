// TComponent: the owned, named building block of a form. An owner frees what
// it owns, tells its components when one joins or leaves, and the form reader
// drives the loading state and Loaded.
#pragma once

#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/core/persistent.h"
#include "platform/core/set.h"
#include "platform/core/unicode.h"

namespace vx::plat {

class TComponent;

// Errors of component names and ownership ("A component named X already exists").
class EComponentError : public Exception {
public:
  using Exception::Exception;
};

// What happened to the component a Notification is about.
enum TOperation : std::uint8_t { opInsert, opRemove };

// The states a component passes through.
enum TComponentStateItem : std::uint8_t {
  csLoading,     // read from a form; cleared by Loaded
  csReading,     // its published properties are being set by the form reader
  csWriting,     // it is being written to a form
  csDestroying,  // it (or its owner) is being freed
  csDesigning,   // it is on a form that a designer edits
  csAncestor,
  csUpdating,
  csFixups,      // it waits for component references of the form being read
};
using TComponentState = TSet<TComponentStateItem, std::uint16_t>;

// Whether SetDesigning also changes the components the component owns.
enum TDesignScope : std::uint8_t { dsThisOnly, dsWithOwned };

// The form designer's side of a designed form.
class IDesigner {
public:
  virtual ~IDesigner() = default;
  // A component changed the designed form (the designer marks it modified).
  virtual void Modified() = 0;
};

// The class reference of components: Create(Owner) builds exactly the referenced
// class and then tells the owner's components that it arrived (opInsert).
class TComponentClass : public TMetaClass<TComponent, TComponent*> {
public:
  using TMetaClass::TMetaClass;
  // The factory of C; hides the plain factory so that insertion is announced
  // only when the object is complete (receivers can test its class).
  template <class C>
  static constexpr Factory FactoryFor();
};

class TComponent : public TPersistent {
public:
  using MetaClass = TComponentClass;
  VX_DECLARE_CLASS(TComponent)

public:
  // Joins AOwner's components (AOwner may be nil). The owner's components hear
  // of it (opInsert) once it is complete: through its class reference's Create
  // or NewComponent; a plain `new` joins silently.
  explicit TComponent(TComponent* AOwner);
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  // Sets csDestroying, tells free-notification partners, frees the owned
  // components (last first), then leaves the owner, which tells its components.
  ~TComponent() override;

  // The component that frees this one (nil for a root such as a form).
  TComponent* Owner() const { return FOwner; }
  // The owned components in component order; an index outside 0..Count-1
  // raises the list-index error.
  TComponent* Components(std::int32_t Index) const;
  // How many components this one owns.
  std::int32_t ComponentCount() const { return static_cast<std::int32_t>(FComponents.size()); }
  // Position in the owner's list (-1 without owner). Setting it moves the
  // component in its owner's list (clamped to the list); no notification.
  std::int32_t ComponentIndex() const;
  void SetComponentIndex(std::int32_t Value);

  // Takes AComponent from its current owner (which is told, opRemove) and
  // appends it here (this owner's components are told, opInsert). Raises when
  // its name is already taken here or when it would own itself.
  void InsertComponent(TComponent* AComponent);
  // Tells the owner and its components (opRemove), then lets AComponent go
  // (it has no owner afterwards; the caller frees it).
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, last first.
  void DestroyComponents();
  // The owned component with this name (ignoring case), or nil; "" finds nothing.
  TComponent* FindComponent(std::u16string_view AName) const;

  // The name forms and map files use ("" while unnamed).
  const String& Name() const { return FName; }
  // Must be an identifier (letter or "_", then letters, digits, "_") or empty,
  // and unique among the owner's components ignoring case (EComponentError).
  virtual void SetName(const String& NewName);
  // A number the application keeps with the component; the library gives it no meaning.
  std::int32_t Tag() const { return FTag; }
  void SetTag(std::int32_t Value) { FTag = Value; }

  // Loading, reading, writing, destroying, designing.
  TComponentState ComponentState() const { return FComponentState; }
  bool IsDesigning() const { return FComponentState.Contains(csDesigning); }
  bool IsLoading() const { return FComponentState.Contains(csLoading); }
  // Marks the component (and with dsWithOwned its owned components) as being
  // designed; components inserted into a designed owner become designed too.
  void SetDesigning(bool Designing, TDesignScope Scope = dsWithOwned);
  // Sets csDestroying here and on every owned component, so that they stop
  // reacting early; the destructor does it anyway.
  void Destroying();

  // AComponent will hear (opRemove) when this component is freed, and this one
  // when AComponent is freed; for references across owners.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // The designer of the nearest owner that has one (the form), or nil.
  IDesigner* Designer() const;
  // Installs the designer of a designed form (nil removes it); not owned.
  void SetDesigner(IDesigner* ADesigner) { FDesigner = ADesigner; }
  // While designing, tells the form's designer that the form changed.
  void DesignerModified() const;

  // Announces a component built with plain `new` (opInsert to the owner's
  // components); does nothing when it was announced already.
  void AnnounceInsertion();

protected:
  // Runs after a form has been read completely, components in component order;
  // the base clears csLoading. Overrides call the base first.
  virtual void Loaded();
  // AComponent joined (opInsert) or left (opRemove) the owner of this component,
  // or a free-notification partner is being freed. Drop references to removed
  // components here.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

private:
  friend class TFormReader;
  friend class TFormWriter;

  void SetState(TComponentStateItem Item, bool On);
  void ValidateRename(const String& NewName, const TComponent* ForOwner) const;
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void NotifyOwnerAndSiblings(TComponent* AComponent, TOperation Operation);
  void SendFreeNotifications();

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  String FName;
  std::int32_t FTag = 0;
  TComponentState FComponentState;
  IDesigner* FDesigner = nullptr;
  bool FInsertAnnounced = false;
};

// Builds a C owned by AOwner (extra constructor arguments after the owner) and
// announces it, as the class reference's Create does.
template <class C, class... A>
C* NewComponent(TComponent* AOwner, A&&... Args) {
  C* c = new C(AOwner, std::forward<A>(Args)...);
  c->AnnounceInsertion();
  return c;
}

template <class C>
constexpr TComponentClass::Factory TComponentClass::FactoryFor() {
  if constexpr (std::is_abstract_v<C> || !std::is_constructible_v<C, TComponent*>)
    return nullptr;
  else
    return [](TComponent* owner) -> TComponent* {
      C* c = new C(owner);
      c->AnnounceInsertion();
      return c;
    };
}

// Frees a component after marking it (and what it owns) csDestroying, so that
// its own destructor already sees the state; plain `delete` sets it only when
// the base destructor runs. Nil is allowed.
template <class C>
  requires std::is_base_of_v<TComponent, C>
void Free(C* AComponent) {
  if (!AComponent) return;
  AComponent->Destroying();
  delete AComponent;
}

// True for identifiers that can name a component or a property.
bool IsValidIdent(std::u16string_view Ident);

}  // namespace vx::plat
