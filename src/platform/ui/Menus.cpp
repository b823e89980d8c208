#include "platform/ui/Menus.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "platform/core/SysUtils.h"
#include "platform/ui/ControlSignals.h"

namespace {

std::string WithoutAccel(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '&') {
            if (i + 1 < s.size() && s[i + 1] == '&') out += s[++i];
            continue;
        }
        out += s[i];
    }
    return out;
}

} // namespace

// ---------------------------------------------------------------------------
// TMenuItem

const TClassInfo& TMenuItem::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TMenuItem>("TMenuItem", TComponent::StaticClass())
            .Prop<bool>("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck)
            .Prop<std::string>("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
            .Prop<bool>("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
            .Prop<bool>("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
            .Prop<std::uint8_t>("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex)
            .Prop<std::string>("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
            .Prop<bool>("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem)
            .Prop<bool>("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
            .Field("OnClick", &TMenuItem::OnClick)
            .Build();
    return info;
}

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
    BeginDestroy();
    Clear();
    if (FParent) FParent->Remove(this);
}

TMenuItem* TMenuItem::Items(int index) const
{
    if (index < 0 || index >= Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FItems[index];
}

int TMenuItem::MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }

int TMenuItem::IndexOf(const TMenuItem* item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    return it == FItems.end() ? -1 : int(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item)
{
    if (!item) return;
    for (const TMenuItem* p = this; p; p = p->FParent)
        if (p == item) throw EInvalidOperation("A menu item cannot contain itself");
    if (item->FParent) item->FParent->Remove(item);
    if (index < 0 || index > Count()) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    FItems.insert(FItems.begin() + index, item);
    item->FParent = this;
}

void TMenuItem::Remove(TMenuItem* item)
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    FItems.erase(it);
    item->FParent = nullptr;
}

void TMenuItem::Delete(int index) { Remove(Items(index)); }

void TMenuItem::Clear()
{
    // Each child's destructor takes it out of our list and its owner's.
    while (!FItems.empty()) {
        TMenuItem* c = FItems.back();
        delete c;
        if (!FItems.empty() && FItems.back() == c) FItems.pop_back();
    }
}

TMenuItem* TMenuItem::Find(const std::string& caption) const
{
    const std::string wanted = WithoutAccel(caption);
    for (TMenuItem* i : FItems)
        if (SameText(WithoutAccel(i->FCaption), wanted)) return i;
    return nullptr;
}

void TMenuItem::SetChecked(bool v)
{
    if (v == FChecked) return;
    FChecked = v;
    if (v && FRadioItem) TurnSiblingsOff();
}

void TMenuItem::SetRadioItem(bool v)
{
    FRadioItem = v;
    if (v && FChecked) TurnSiblingsOff();
}

void TMenuItem::TurnSiblingsOff()
{
    if (!FParent) return;
    for (TMenuItem* i : FParent->FItems)
        if (i != this && i->FRadioItem && i->FGroupIndex == FGroupIndex) i->FChecked = false;
}

void TMenuItem::Click()
{
    if (!FEnabled) return;
    if (FAutoCheck) SetChecked(FRadioItem ? true : !FChecked);
    OnClick(this);
}

// ---------------------------------------------------------------------------
// TPopupMenu

void TPopupMenu::TMenuDeleter::operator()(QMenu* m) const
{
    // The menu may be closing from inside one of its own signals.
    m->hide();
    m->deleteLater();
}

const TClassInfo& TPopupMenu::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TPopupMenu>("TPopupMenu", TComponent::StaticClass())
                                       .Prop<TMenuItem*>("Items", &TPopupMenu::Items, nullptr)
                                       .Field("OnPopup", &TPopupMenu::OnPopup)
                                       .Build();
    return info;
}

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), FItems(new TMenuItem(this))
{
    Application->Initialize();
}

TPopupMenu::~TPopupMenu()
{
    BeginDestroy();
    FMenu.reset();
}

namespace {

// Searches down from the root, so the item (possibly freed) is only compared.
bool InTree(const TMenuItem* root, const TMenuItem* item)
{
    for (int i = 0; i < root->Count(); ++i)
        if (root->Items(i) == item || InTree(root->Items(i), item)) return true;
    return false;
}

} // namespace

bool TPopupMenu::Contains(const TMenuItem* item) const { return FItems && item && InTree(FItems, item); }

void TPopupMenu::SetPopupComponent(TComponent* v)
{
    if (FPopupComponent) RemoveFreeNotification(FPopupComponent);
    FPopupComponent = v;
    if (v) FreeNotification(v);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == FPopupComponent) FPopupComponent = nullptr;
    if (component == FItems) FItems = nullptr;
}

void TPopupMenu::Build(QMenu* menu, const TMenuItem* parent)
{
    for (int i = 0; i < parent->Count(); ++i) {
        TMenuItem* item = parent->Items(i);
        if (!item->Visible()) continue;
        if (item->IsLine()) {
            menu->addSeparator();
            continue;
        }
        const QString caption = ToQString(item->Caption());
        if (item->Count() > 0) {
            QMenu* sub = menu->addMenu(caption);
            sub->setEnabled(item->Enabled());
            Build(sub, item);
            continue;
        }
        QAction* action = menu->addAction(caption);
        action->setEnabled(item->Enabled());
        action->setCheckable(item->Checked() || item->AutoCheck() || item->RadioItem());
        action->setChecked(item->Checked());
        QObject::connect(action, &QAction::triggered, action, [this, item] {
            // The tree may have changed while the menu was open.
            RunFromWidget(this, [&] {
                if (Contains(item)) item->Click();
            });
        });
    }
}

void TPopupMenu::Popup(int x, int y)
{
    if (!FItems) return;
    OnPopup(this);
    FMenu.reset(new QMenu);
    Build(FMenu.get(), FItems);
    FMenu->popup(QPoint(x, y));
}

void TPopupMenu::CloseMenu()
{
    if (FMenu) FMenu->hide();
}

bool TPopupMenu::IsPoppedUp() const { return FMenu && FMenu->isVisible(); }
