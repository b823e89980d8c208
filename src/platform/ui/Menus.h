#pragma once
// Popup menus: a tree of menu items kept here; Qt's menu only shows the
// tree when it pops up and reports which item the user chose.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Classes.h"

class QMenu;

// A menu item. Child items form the submenu; a parent frees its remaining
// children, and an item freed by its owner leaves its parent. Checking a
// RadioItem unchecks the other radio items of the same GroupIndex under the
// same parent. A Caption of "-" is a separator.
class TMenuItem : public TComponent {
    ORVANE_CLASS_INFO
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& v) { FCaption = v; }
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool v);
    std::uint8_t GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(std::uint8_t v) { FGroupIndex = v; }
    // A click checks the item (a radio item) or flips its check mark.
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool v) { FAutoCheck = v; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v) { FEnabled = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& v) { FHint = v; }
    bool IsLine() const { return FCaption == "-"; }

    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int index) const; // raises EListError out of range
    TMenuItem* operator[](int index) const { return Items(index); }
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const;
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    // Takes the item out of this submenu without freeing it.
    void Remove(TMenuItem* item);
    void Delete(int index);
    // Frees every child item.
    void Clear();
    int IndexOf(const TMenuItem* item) const;
    TMenuItem* Find(const std::string& caption) const; // a direct child, captions compared without "&"

    // What choosing the item does: nothing when disabled; otherwise AutoCheck
    // then OnClick.
    virtual void Click();

    TNotifyEvent OnClick;

private:
    void TurnSiblingsOff();
    std::string FCaption;
    std::string FHint;
    bool FChecked = false;
    bool FRadioItem = false;
    bool FAutoCheck = false;
    bool FEnabled = true;
    bool FVisible = true;
    std::uint8_t FGroupIndex = 0;
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
};

// A menu shown at a screen position. Popup runs OnPopup (where handlers
// check and enable items), then shows the visible items and returns; the
// chosen item's Click runs from the event loop.
class TPopupMenu : public TComponent {
    ORVANE_CLASS_INFO
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    TMenuItem* Items() const { return FItems; }
    void Popup(int x, int y);
    // Closes the shown menu, if any, without choosing.
    void CloseMenu();
    bool IsPoppedUp() const;
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* v);
    // True when the item is in this menu's tree (the item itself is not
    // touched, so a freed item may be asked about).
    bool Contains(const TMenuItem* item) const;

    TNotifyEvent OnPopup;

    // The menu last shown (for the platform layer and tests).
    QMenu* Menu() const { return FMenu.get(); }

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    struct TMenuDeleter {
        void operator()(QMenu* m) const;
    };
    void Build(QMenu* menu, const TMenuItem* parent);
    TMenuItem* FItems;
    TComponent* FPopupComponent = nullptr;
    std::unique_ptr<QMenu, TMenuDeleter> FMenu;
};
