#pragma once
// Published properties by name. Every class that takes part derives from
// TObject and describes its properties in a TClassInfo that names its parent
// class, so a lookup walks the class chain. Windows, datasets, fonts and any
// other plain object can publish properties this way.
#include <concepts>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/core/Events.h"
#include "platform/core/Variant.h"

class TObject;
class TClassInfo;

enum class TTypeKind { tkInteger, tkInt64, tkChar, tkEnumeration, tkSet, tkFloat, tkString, tkClass, tkMethod };

struct TPropInfo {
    std::string Name;
    TTypeKind Kind = TTypeKind::tkInteger;
    // Value names of an enumeration (index = ordinal value) or element names
    // of a set (index = bit number).
    std::vector<std::string> ValueNames;
    bool ReadOnly = false;

    std::function<std::int64_t(const TObject&)> GetOrd;
    std::function<void(TObject&, std::int64_t)> SetOrd;
    std::function<double(const TObject&)> GetFloat;
    std::function<void(TObject&, double)> SetFloat;
    std::function<std::string(const TObject&)> GetStr;
    std::function<void(TObject&, const std::string&)> SetStr;
    std::function<TObject*(const TObject&)> GetObject;
    std::function<void(TObject&, TObject*)> SetObject;
    std::function<TMethod(const TObject&)> GetMethod;
    std::function<bool(TObject&, const TMethod&)> SetMethod; // false: handler of another type

    bool IsOrdinal() const
    {
        return Kind == TTypeKind::tkInteger || Kind == TTypeKind::tkInt64 || Kind == TTypeKind::tkChar ||
               Kind == TTypeKind::tkEnumeration || Kind == TTypeKind::tkSet;
    }
};

class TClassInfo {
public:
    TClassInfo(std::string name, const TClassInfo* parent, std::vector<TPropInfo> props = {});

    const std::string& Name() const { return FName; }
    const TClassInfo* Parent() const { return FParent; }
    // Own properties, in declaration order.
    const std::vector<TPropInfo>& OwnProperties() const { return FProps; }
    // Looks the property up in this class and its ancestors (case-insensitive);
    // a derived class's property hides an ancestor's of the same name.
    const TPropInfo* FindProperty(std::string_view name) const;
    // All properties, ancestors' first, without hidden ones.
    std::vector<const TPropInfo*> Properties() const;
    bool InheritsFrom(const TClassInfo& other) const;

private:
    std::string FName;
    const TClassInfo* FParent;
    std::vector<TPropInfo> FProps;
};

class TObject {
public:
    virtual ~TObject();
    static const TClassInfo& StaticClass();
    virtual const TClassInfo& ClassType() const { return StaticClass(); }
    const std::string& ClassName() const { return ClassType().Name(); }
    bool InheritsFrom(const TClassInfo& cls) const { return ClassType().InheritsFrom(cls); }
};

// Declares the class-information members of a class derived from TObject;
// the class defines StaticClass() with a TClassBuilder.
#define ORVANE_CLASS_INFO                                                                   \
public:                                                                                     \
    static const TClassInfo& StaticClass();                                                 \
    const TClassInfo& ClassType() const override { return StaticClass(); }

template <class T>
struct TIsEvent : std::false_type {};
template <class S>
struct TIsEvent<TEvent<S>> : std::true_type {};

// Builds the class information of T. Getters are called as get(obj) and
// setters as set(obj, value): member function pointers and callables taking
// T& both work; a field pointer gives both.
template <class T>
class TClassBuilder {
public:
    TClassBuilder(std::string name, const TClassInfo& parent) : FName(std::move(name)), FParent(&parent) {}

    template <class V, class Get, class Set>
    TClassBuilder& Prop(std::string name, Get get, Set set, std::vector<std::string> valueNames = {})
    {
        TPropInfo p;
        p.Name = std::move(name);
        p.ValueNames = std::move(valueNames);
        p.ReadOnly = std::is_same_v<Set, std::nullptr_t>;
        Bind<V>(p, get, set);
        FProps.push_back(std::move(p));
        return *this;
    }

    // A property read and written straight from a field.
    template <class V>
    TClassBuilder& Field(std::string name, V T::*field, std::vector<std::string> valueNames = {})
    {
        return Prop<V>(
            std::move(name), [field](const T& o) -> V { return o.*field; },
            [field](T& o, V v) { o.*field = std::move(v); }, std::move(valueNames));
    }

    // A set property: V is an integer bit mask, bit n stands for element n.
    template <class V, class Get, class Set>
    TClassBuilder& SetProp(std::string name, Get get, Set set, std::vector<std::string> elementNames)
    {
        Prop<V>(std::move(name), get, set, std::move(elementNames));
        FProps.back().Kind = TTypeKind::tkSet;
        return *this;
    }

    TClassInfo Build() { return TClassInfo(FName, FParent, std::move(FProps)); }

private:
    template <class V, class Get, class Set>
    static void Bind(TPropInfo& p, Get get, Set set)
    {
        constexpr bool writable = !std::is_same_v<Set, std::nullptr_t>;
        auto self = [](const TObject& o) -> const T& { return static_cast<const T&>(o); };
        auto selfm = [](TObject& o) -> T& { return static_cast<T&>(o); };
        if constexpr (std::is_same_v<V, bool> || std::is_enum_v<V>) {
            p.Kind = TTypeKind::tkEnumeration;
            if constexpr (std::is_same_v<V, bool>)
                if (p.ValueNames.empty()) p.ValueNames = {"False", "True"};
            p.GetOrd = [=](const TObject& o) { return static_cast<std::int64_t>(std::invoke(get, self(o))); };
            if constexpr (writable)
                p.SetOrd = [=](TObject& o, std::int64_t v) { std::invoke(set, selfm(o), static_cast<V>(v)); };
        } else if constexpr (std::is_integral_v<V>) {
            p.Kind = sizeof(V) == 8 ? TTypeKind::tkInt64
                     : std::is_same_v<V, char> ? TTypeKind::tkChar
                                               : TTypeKind::tkInteger;
            p.GetOrd = [=](const TObject& o) { return static_cast<std::int64_t>(std::invoke(get, self(o))); };
            if constexpr (writable)
                p.SetOrd = [=](TObject& o, std::int64_t v) { std::invoke(set, selfm(o), static_cast<V>(v)); };
        } else if constexpr (std::is_floating_point_v<V>) {
            p.Kind = TTypeKind::tkFloat;
            p.GetFloat = [=](const TObject& o) { return static_cast<double>(std::invoke(get, self(o))); };
            if constexpr (writable)
                p.SetFloat = [=](TObject& o, double v) { std::invoke(set, selfm(o), static_cast<V>(v)); };
        } else if constexpr (std::is_same_v<V, std::string>) {
            p.Kind = TTypeKind::tkString;
            p.GetStr = [=](const TObject& o) { return std::string(std::invoke(get, self(o))); };
            if constexpr (writable)
                p.SetStr = [=](TObject& o, const std::string& v) { std::invoke(set, selfm(o), v); };
        } else if constexpr (TIsEvent<V>::value) {
            p.Kind = TTypeKind::tkMethod;
            p.GetMethod = [=](const TObject& o) { return V(std::invoke(get, self(o))).ToMethod(); };
            if constexpr (writable)
                p.SetMethod = [=](TObject& o, const TMethod& m) {
                    V handler;
                    if (!handler.AssignMethod(m)) return false;
                    std::invoke(set, selfm(o), handler);
                    return true;
                };
        } else if constexpr (std::is_pointer_v<V> && std::is_base_of_v<TObject, std::remove_pointer_t<V>>) {
            p.Kind = TTypeKind::tkClass;
            p.GetObject = [=](const TObject& o) -> TObject* { return std::invoke(get, self(o)); };
            if constexpr (writable)
                p.SetObject = [=](TObject& o, TObject* v) {
                    std::invoke(set, selfm(o), dynamic_cast<V>(v));
                };
        } else {
            static_assert(sizeof(V) == 0, "unsupported property type");
        }
    }

    std::string FName;
    const TClassInfo* FParent;
    std::vector<TPropInfo> FProps;
};

// By-name access. The Get/Set functions raise EPropertyError when the object
// has no such property, the property has another kind, or it is read-only;
// a null object raises too. Callers that must stay silent check first.
const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name);
bool IsPublishedProp(const TObject* obj, std::string_view name);
std::vector<const TPropInfo*> GetPropList(const TObject* obj);

std::int64_t GetOrdProp(const TObject* obj, std::string_view name);
void SetOrdProp(TObject* obj, std::string_view name, std::int64_t value);
std::string GetEnumProp(const TObject* obj, std::string_view name); // value name
void SetEnumProp(TObject* obj, std::string_view name, std::string_view valueName);
std::string GetSetProp(const TObject* obj, std::string_view name);  // "[a,b]"
void SetSetProp(TObject* obj, std::string_view name, std::string_view elements);
double GetFloatProp(const TObject* obj, std::string_view name);
void SetFloatProp(TObject* obj, std::string_view name, double value);
std::string GetStrProp(const TObject* obj, std::string_view name);
void SetStrProp(TObject* obj, std::string_view name, const std::string& value);
TObject* GetObjectProp(const TObject* obj, std::string_view name);
void SetObjectProp(TObject* obj, std::string_view name, TObject* value);
TMethod GetMethodProp(const TObject* obj, std::string_view name);
void SetMethodProp(TObject* obj, std::string_view name, const TMethod& value);
// Any property as a variant (ordinal as integer, enumeration as its value
// name, float as double, string as text, object and method unsupported).
Variant GetPropValue(const TObject* obj, std::string_view name);
void SetPropValue(TObject* obj, std::string_view name, const Variant& value);
