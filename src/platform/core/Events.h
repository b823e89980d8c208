#pragma once
// Event handlers that can be stored, compared for identity, restored and
// called. A handler bound to an object's method compares equal to any other
// handler bound to the same object and method (like a method pointer of the
// original run time); a handler made from a callable compares equal only to
// its own copies. Code saves a control's handler, installs its own and later
// calls or restores the saved one.
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <typeindex>
#include <utility>

class TObject;

struct THandlerId {
    const void* Data = nullptr;
    std::array<unsigned char, 2 * sizeof(void*)> Code{};
    bool operator==(const THandlerId&) const = default;
};

// A handler with its type erased, as read and written through the property
// registry. Empty when no handler is assigned.
struct TMethod {
    std::shared_ptr<const void> Func;
    std::type_index Type = typeid(void);
    THandlerId Id;

    explicit operator bool() const { return Func != nullptr; }
    bool operator==(const TMethod& other) const
    {
        return (!Func && !other.Func) || (Func && other.Func && Type == other.Type && Id == other.Id);
    }
};

template <class Signature>
class TEvent;

template <class R, class... Args>
class TEvent<R(Args...)> {
public:
    using Function = std::function<R(Args...)>;

    TEvent() = default;
    TEvent(std::nullptr_t) {}

    // A handler bound to obj's method; its identity is (obj, method).
    template <class Obj, class Method>
        requires std::is_member_function_pointer_v<Method>
    TEvent(Obj* obj, Method method)
        : FFunc(std::make_shared<Function>([obj, method](Args... args) -> R {
              return (obj->*method)(std::forward<Args>(args)...);
          }))
    {
        static_assert(sizeof(Method) <= sizeof(FId.Code), "method pointer too large");
        FId.Data = obj;
        std::memcpy(FId.Code.data(), &method, sizeof(Method));
    }

    // A handler made from any callable; its identity is its own.
    template <class F>
        requires(std::is_invocable_r_v<R, F, Args...> && !std::is_same_v<std::decay_t<F>, TEvent>)
    TEvent(F&& f) : FFunc(std::make_shared<Function>(std::forward<F>(f)))
    {
        FId.Data = FFunc.get();
    }

    explicit operator bool() const { return FFunc != nullptr; }
    bool Assigned() const { return FFunc != nullptr; }

    // Calls the handler; an unassigned handler does nothing and returns R{}.
    R operator()(Args... args) const
    {
        if (!FFunc) {
            if constexpr (!std::is_void_v<R>) return R{};
            else return;
        }
        return (*FFunc)(std::forward<Args>(args)...);
    }

    bool operator==(const TEvent& other) const
    {
        return (!FFunc && !other.FFunc) || (FFunc && other.FFunc && FId == other.FId);
    }

    TMethod ToMethod() const
    {
        TMethod m;
        if (FFunc) {
            m.Func = FFunc;
            m.Type = typeid(TEvent);
            m.Id = FId;
        }
        return m;
    }
    // An empty method gives the empty handler; a method of another handler
    // type gives false and leaves the handler unchanged.
    bool AssignMethod(const TMethod& m)
    {
        if (!m) {
            *this = TEvent();
            return true;
        }
        if (m.Type != typeid(TEvent)) return false;
        FFunc = std::static_pointer_cast<const Function>(m.Func);
        FId = m.Id;
        return true;
    }

private:
    std::shared_ptr<const Function> FFunc;
    THandlerId FId;
};

using TNotifyEvent = TEvent<void(TObject* Sender)>;
