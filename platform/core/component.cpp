#include "platform/core/component.h"

#include <algorithm>

namespace vx::plat {

VX_DEFINE_CLASS(TComponent, TPersistent)

namespace {

bool IsIdentStart(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_'; }
bool IsIdentChar(char16_t c) { return IsIdentStart(c) || (c >= u'0' && c <= u'9'); }

void EraseOne(std::vector<TComponent*>& list, TComponent* item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}

void AddOnce(std::vector<TComponent*>& list, TComponent* item) {
  if (std::find(list.begin(), list.end(), item) == list.end()) list.push_back(item);
}

}  // namespace

bool IsValidIdent(std::u16string_view ident) {
  if (ident.empty() || !IsIdentStart(ident[0])) return false;
  return std::all_of(ident.begin() + 1, ident.end(), IsIdentChar);
}

TComponent::TComponent(TComponent* AOwner) {
  if (!AOwner) return;
  // A new component has no name yet, so it cannot clash with its siblings.
  AOwner->Insert(this);
  if (AOwner->IsDesigning()) SetDesigning(true);
}

TComponent::~TComponent() {
  Destroying();
  // A destructor cannot report: an error of a Notification handler is dropped
  // so that the remaining components are still freed and unlinked.
  SendFreeNotifications();
  DestroyComponents();
  if (FOwner) {
    try {
      FOwner->NotifyOwnerAndSiblings(this, opRemove);
    } catch (...) {
    }
    FOwner->Remove(this);
  }
}

TComponent* TComponent::Components(std::int32_t Index) const {
  if (Index < 0 || Index >= ComponentCount()) ListIndexError(Index);
  return FComponents[static_cast<std::size_t>(Index)];
}

std::int32_t TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  const auto& list = FOwner->FComponents;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<std::int32_t>(it - list.begin());
}

void TComponent::SetComponentIndex(std::int32_t Value) {
  if (!FOwner) return;
  auto& list = FOwner->FComponents;
  std::int32_t current = ComponentIndex();
  std::int32_t last = static_cast<std::int32_t>(list.size()) - 1;
  Value = std::clamp(Value, 0, last);
  if (current == Value) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + Value, this);
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner == this) return;
  for (const TComponent* p = this; p; p = p->FOwner)
    if (p == AComponent) throw EComponentError("A component cannot own itself or one of its owners");
  AComponent->ValidateRename(AComponent->FName, this);
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  Insert(AComponent);
  if (IsDesigning()) AComponent->SetDesigning(true);
  AComponent->FInsertAnnounced = true;
  NotifyOwnerAndSiblings(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (!AComponent || AComponent->FOwner != this) return;
  NotifyOwnerAndSiblings(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::DestroyComponents() {
  // Each destructor takes its component out of FComponents.
  while (!FComponents.empty()) {
    TComponent* last = FComponents.back();
    last->Destroying();
    delete last;
  }
}

TComponent* TComponent::FindComponent(std::u16string_view AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : FComponents)
    if (SameText(c->FName, AName)) return c;
  return nullptr;
}

void TComponent::SetName(const String& NewName) {
  if (NewName == FName) return;
  ValidateRename(NewName, FOwner);
  FName = NewName;
}

void TComponent::ValidateRename(const String& NewName, const TComponent* ForOwner) const {
  if (NewName.empty()) return;
  if (!IsValidIdent(NewName))
    throw EComponentError("'" + StringToUtf8(NewName) + "' is not a valid component name");
  if (!ForOwner) return;
  const TComponent* other = ForOwner->FindComponent(NewName);
  if (other && other != this)
    throw EComponentError("A component named " + StringToUtf8(NewName) + " already exists");
}

void TComponent::SetDesigning(bool Designing, TDesignScope Scope) {
  SetState(csDesigning, Designing);
  if (Scope == dsWithOwned)
    for (TComponent* c : FComponents) c->SetDesigning(Designing, dsWithOwned);
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  SetState(csDestroying, true);
  for (TComponent* c : FComponents) c->Destroying();
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  AddOnce(FFreeNotifies, AComponent);
  AddOnce(AComponent->FFreeNotifies, this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  EraseOne(FFreeNotifies, AComponent);
  EraseOne(AComponent->FFreeNotifies, this);
}

IDesigner* TComponent::Designer() const {
  for (const TComponent* c = this; c; c = c->FOwner)
    if (c->FDesigner) return c->FDesigner;
  return nullptr;
}

void TComponent::DesignerModified() const {
  if (!IsDesigning()) return;
  if (IDesigner* d = Designer()) d->Modified();
}

void TComponent::AnnounceInsertion() {
  if (FInsertAnnounced) return;
  FInsertAnnounced = true;
  if (FOwner) FOwner->NotifyOwnerAndSiblings(this, opInsert);
}

void TComponent::Loaded() { SetState(csLoading, false); }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {}

void TComponent::SetState(TComponentStateItem Item, bool On) {
  if (On)
    FComponentState.Include(Item);
  else
    FComponentState.Exclude(Item);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent) {
  EraseOne(FComponents, AComponent);
  AComponent->FOwner = nullptr;
}

// The owner first, then its other components in component order. The list is
// re-read at every step because a handler may change it.
void TComponent::NotifyOwnerAndSiblings(TComponent* AComponent, TOperation Operation) {
  Notification(AComponent, Operation);
  for (std::size_t i = 0; i < FComponents.size(); ++i) {
    TComponent* c = FComponents[i];
    if (c != AComponent) c->Notification(AComponent, Operation);
  }
}

// Partners that are the owner or siblings hear of the removal from the owner,
// so they are not told twice. Runs in the destructor: errors are dropped.
void TComponent::SendFreeNotifications() {
  while (!FFreeNotifies.empty()) {
    TComponent* partner = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    EraseOne(partner->FFreeNotifies, this);
    bool hearsFromOwner = FOwner && (partner == FOwner || partner->FOwner == FOwner);
    if (hearsFromOwner) continue;
    try {
      partner->Notification(this, opRemove);
    } catch (...) {
    }
  }
}

}  // namespace vx::plat
