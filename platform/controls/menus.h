// Menus: TMenuItem (a caption with an "&" accelerator, a check mark that
// radio items share within their group, a click event, and child items kept
// in order), and the menus that hold a tree of them: TMainMenu (a form's menu
// bar) and TPopupMenu (shown at a point). Items are components, usually owned
// by the form; their place in the tree is separate from their owner.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/core/component.h"
#include "platform/core/events.h"
#include "platform/core/properties.h"
#include "platform/core/types.h"
#include "platform/core/unicode.h"

namespace vx::plat {

class TMenu;

// A menu error ("Menu index out of range", "Menu inserted twice").
class EMenuError : public Exception {
public:
  using Exception::Exception;
};

// The caption without its accelerator marks: a single "&" disappears and "&&"
// becomes "&" ("&File" -> "File", "Save && quit" -> "Save & quit").
String StripHotkey(const String& Caption);
// The accelerator character of a caption (the one after the first single "&",
// upper-cased for ASCII letters), or 0 when it has none.
char16_t GetHotkey(const String& Caption);

class TMenuItem : public TComponent {
  VX_DECLARE_CLASS(TMenuItem)
public:
  // Publishes Caption, Checked, Enabled, GroupIndex, RadioItem, Visible,
  // Tag, OnClick and the item's place in its menu (ParentComponent, MenuIndex).
  static void RegisterProperties(TPropertyRegistry<TMenuItem>& r);
  explicit TMenuItem(TComponent* AOwner);
  // Leaves the parent item and frees the child items; the owner's components
  // hear of the removal as of any component.
  ~TMenuItem() override;

  // --- appearance ---
  // The caption with "&" before the accelerator; "-" makes a separator line.
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool IsLine() const { return FCaption == u"-"; }
  // Checking a radio item unchecks the other radio items of its group
  // (the same GroupIndex under the same parent).
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool RadioItem() const { return FRadioItem; }
  void SetRadioItem(bool Value);
  std::uint8_t GroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(std::uint8_t Value);
  // A disabled item shows greyed and Click does nothing.
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value) { FEnabled = Value; Changed(); }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; Changed(); }

  // Fires OnClick with the item as Sender when the item is enabled.
  virtual void Click();
  TNotifyEvent OnClick;

  // --- the tree ---
  // The item this one is a child of (a menu's Items root for top-level items), or nil.
  TMenuItem* Parent() const { return FParent; }
  // The menu whose tree holds this item, or nil.
  TMenu* GetParentMenu() const;
  std::int32_t Count() const { return static_cast<std::int32_t>(FItems.size()); }
  // The child at Index; outside 0..Count-1 raises EMenuError.
  TMenuItem* Items(std::int32_t Index) const;
  TMenuItem* operator[](std::int32_t Index) const { return Items(Index); }
  // Position of a child, -1 when Item is not a child of this one.
  std::int32_t IndexOf(const TMenuItem* Item) const;
  // Appends Item (it must not have a parent yet: EMenuError).
  void Add(TMenuItem* Item);
  // Inserts Item before position Index (0..Count; outside raises EMenuError).
  void Insert(std::int32_t Index, TMenuItem* Item);
  // Takes the child at Index out of the tree without freeing it.
  void Delete(std::int32_t Index);
  // Takes Item out of the tree without freeing it (nothing when not a child).
  void Remove(TMenuItem* Item);
  // Frees every child item.
  void Clear();
  // The child whose caption, without accelerator marks, equals ACaption
  // (ignoring case), or nil.
  TMenuItem* Find(const String& ACaption) const;
  // Position within the parent (-1 without parent). Setting it moves the item
  // there, clamped to 0..Count-1 of the parent.
  std::int32_t MenuIndex() const;
  void SetMenuIndex(std::int32_t Value);

  // The parent as a form stores it: the menu component for top-level items,
  // else the parent item (nil without parent). Setting it moves the item to
  // the end of that parent's children.
  TComponent* ParentComponent() const;
  void SetParentComponent(TComponent* Value);

protected:
  void Loaded() override;

private:
  friend class TMenu;
  void Changed();
  void TurnSiblingsOff();
  // Orders the children by the positions a form stored for them.
  void ApplyLoadedOrder();

  String FCaption;
  bool FChecked = false;
  bool FRadioItem = false;
  std::uint8_t FGroupIndex = 0;
  bool FEnabled = true;
  bool FVisible = true;
  TMenuItem* FParent = nullptr;
  std::vector<TMenuItem*> FItems;
  TMenu* FMenu = nullptr;            // set on a menu's Items root only
  std::int32_t FLoadedIndex = -1;    // MenuIndex read from a form, until Loaded
};

// A tree of menu items under Items (a root item the menu owns; it has no
// caption and is never stored in a form).
class TMenu : public TComponent {
  VX_DECLARE_CLASS(TMenu)
public:
  explicit TMenu(TComponent* AOwner);
  // Frees Items and with it every item still in the tree.
  ~TMenu() override;

  TMenuItem* Items() const { return FItems; }
  // Finds the item (anywhere in the tree) whose accelerator is Key, among visible, enabled items.
  TMenuItem* FindByHotkey(char16_t Key) const;
  // Called when an item of the tree changed (caption, check, order): the menu
  // bar or popup repaints.
  virtual void MenuChanged(TMenuItem* Item);

protected:
  void Loaded() override;

private:
  TMenuItem* FItems;
};

// A form's menu bar.
class TMainMenu : public TMenu {
  VX_DECLARE_CLASS(TMainMenu)
public:
  static void RegisterProperties(TPropertyRegistry<TMainMenu>& r);
  explicit TMainMenu(TComponent* AOwner) : TMenu(AOwner) {}
  // A generation number that changes whenever the tree changes (a drawn bar
  // compares it to know when to repaint).
  std::uint64_t Generation() const { return FGeneration; }
  void MenuChanged(TMenuItem* Item) override;

private:
  std::uint64_t FGeneration = 0;
};

// Where a popup menu places itself around the point it is shown at.
enum TPopupAlignment : std::uint8_t { paLeft, paRight, paCenter };

// A menu shown at a screen point (a right-click menu).
class TPopupMenu : public TMenu {
  VX_DECLARE_CLASS(TPopupMenu)
public:
  static void RegisterProperties(TPropertyRegistry<TPopupMenu>& r);
  explicit TPopupMenu(TComponent* AOwner) : TMenu(AOwner) {}

  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
  // Whether a right click on a control with this popup menu shows it.
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool Value) { FAutoPopup = Value; }
  // The component the popup was last shown for (set by whoever shows it).
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }

  // Fires OnPopup, then lets the user pick an item at screen point (X, Y);
  // the picked item is clicked. On the headless host nothing shows: the
  // scripted popup chooser (see dialog_script.h) picks the item, or none.
  virtual void Popup(int X, int Y);
  TNotifyEvent OnPopup;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TPopupAlignment FAlignment = paLeft;
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
};

}  // namespace vx::plat
