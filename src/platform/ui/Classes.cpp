#include "platform/ui/Classes.h"

#include <algorithm>

#include "platform/core/SysUtils.h"

const TClassInfo& TComponent::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TComponent>("TComponent", TObject::StaticClass())
                                       .Prop<std::string>("Name", &TComponent::Name, &TComponent::SetName)
                                       .Prop<int>("Tag", &TComponent::Tag, &TComponent::SetTag)
                                       .Build();
    return info;
}

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    BeginDestroy();
    DestroyComponents();
    // Tell every component that registered with us, and forget us in theirs.
    while (!FFreeNotifies.empty()) {
        TComponent* other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        auto& theirs = other->FFreeNotifies;
        theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
        other->Notification(this, opRemove);
    }
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::BeginDestroy() { FState |= 1u << csDestroying; }

TComponent* TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return FComponents[index];
}

int TComponent::ComponentIndex() const
{
    if (!FOwner) return -1;
    auto& list = FOwner->FComponents;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty()) return nullptr;
    for (TComponent* c : FComponents)
        if (SameText(c->FName, name)) return c;
    return nullptr;
}

void TComponent::ValidateRename(const std::string& newName) const
{
    if (!FOwner || newName.empty() || SameText(newName, FName)) return;
    if (TComponent* other = FOwner->FindComponent(newName); other && other != this)
        throw EComponentError("A component named " + newName + " already exists");
}

void TComponent::SetName(const std::string& value)
{
    if (value == FName) return;
    ValidateRename(value);
    FName = value;
}

void TComponent::InsertComponent(TComponent* component)
{
    if (!component || component->FOwner == this) return;
    if (!component->FName.empty())
        if (TComponent* other = FindComponent(component->FName); other && other != component)
            throw EComponentError("A component named " + component->FName + " already exists");
    if (component->FOwner) component->FOwner->RemoveComponent(component);
    FComponents.push_back(component);
    component->FOwner = this;
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component)
{
    auto it = std::find(FComponents.begin(), FComponents.end(), component);
    if (it == FComponents.end()) return;
    FComponents.erase(it);
    component->FOwner = nullptr;
    Notification(component, opRemove);
}

void TComponent::EnsureBeforeDestruction()
{
    if (FBeforeDestructionDone) return;
    FBeforeDestructionDone = true;
    BeforeDestruction();
}

void TComponent::Free()
{
    EnsureBeforeDestruction();
    delete this;
}

void TComponent::DestroyComponents()
{
    // Each destructor removes the component from our list.
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        c->Free();
        if (!FComponents.empty() && FComponents.back() == c) FComponents.pop_back();
    }
}

void TComponent::FreeNotification(TComponent* component)
{
    if (!component || component == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end())
        FFreeNotifies.push_back(component);
    auto& theirs = component->FFreeNotifies;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component)
{
    if (!component) return;
    FFreeNotifies.erase(std::remove(FFreeNotifies.begin(), FFreeNotifies.end(), component), FFreeNotifies.end());
    auto& theirs = component->FFreeNotifies;
    theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TComponent::Notification(TComponent* component, TOperation operation)
{
    // Owned components hear of each other's removal too, so a reference held
    // by a sibling (a form's control pointing at another) can be cleared.
    if (operation == opRemove)
        for (TComponent* c : FComponents)
            if (c != component) c->Notification(component, opRemove);
}
