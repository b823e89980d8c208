#pragma once
// TComponent: owner, name, tag and the list of owned components. An owner
// frees the components it owns (newest first) when it is freed; a component
// freed on its own leaves its owner's list. Components that asked to be told
// (FreeNotification) hear Notification(x, opRemove) before x goes away.
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Exceptions.h"
#include "platform/core/Properties.h"

ORVANE_EXCEPTION_CLASS(EComponentError, EPlatformError);
ORVANE_EXCEPTION_CLASS(EInvalidOperation, EPlatformError);

enum TOperation { opInsert, opRemove };

enum TComponentStateElement { csLoading, csReading, csWriting, csDestroying, csDesigning };
using TComponentState = unsigned;

class TComponent : public TObject {
    ORVANE_CLASS_INFO
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return FOwner; }
    const std::string& Name() const { return FName; }
    // Raises EComponentError when another component of the same owner
    // already has the name (compared without regard to case).
    virtual void SetName(const std::string& value);
    int Tag() const { return FTag; }
    void SetTag(int v) { FTag = v; }

    int ComponentCount() const { return static_cast<int>(FComponents.size()); }
    TComponent* Components(int index) const; // raises EListError out of range
    int ComponentIndex() const;               // position in the owner's list, -1 without owner
    TComponent* FindComponent(std::string_view name) const;

    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    // Frees every owned component, newest first.
    void DestroyComponents();

    // Both components hear of the other's destruction.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    // Frees the component: BeforeDestruction runs while the whole object
    // (derived parts included) still exists, then the destructors. Code that
    // frees a component uses this rather than delete.
    void Free();
    // True from the start of Free: the component is on its way out.
    bool BeforeDestructionDone() const { return FBeforeDestructionDone; }

    TComponentState ComponentState() const { return FState; }
    bool Destroying() const { return FState & (1u << csDestroying); }

protected:
    // Told when a component is inserted into or removed from this owner, and
    // when a component this one registered with is being freed.
    virtual void Notification(TComponent* component, TOperation operation);
    // Marks the component as being destroyed; derived destructors call it
    // first so that nothing reacts to events of a half-destroyed component.
    void BeginDestroy();
    // Runs once, at the start of Free (forms run OnDestroy here).
    virtual void BeforeDestruction() {}
    // Runs BeforeDestruction unless it ran already. Free calls it; so does
    // the destructor of a class whose handlers need its own parts, for a
    // component deleted without Free.
    void EnsureBeforeDestruction();

private:
    void ValidateRename(const std::string& newName) const;

    TComponent* FOwner = nullptr;
    std::string FName;
    int FTag = 0;
    TComponentState FState = 0;
    bool FBeforeDestructionDone = false;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};
