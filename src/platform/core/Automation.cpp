#include "platform/core/Automation.h"

#include <mutex>

#include "platform/core/SysUtils.h"

IAutoObject::~IAutoObject() = default;

bool TAutoObject::NoCaseLess::operator()(std::string_view a, std::string_view b) const
{
    return CompareText(a, b) < 0;
}

void TAutoObject::RegisterMethod(std::string name, TAutoMethod method) { FMethods[std::move(name)] = std::move(method); }

void TAutoObject::RegisterProperty(std::string name, TAutoGetter getter, TAutoSetter setter)
{
    FProperties[std::move(name)] = TPropertyEntry{std::move(getter), std::move(setter)};
}

bool TAutoObject::HasMethod(std::string_view name) const { return FMethods.find(name) != FMethods.end(); }

Variant TAutoObject::Invoke(std::string_view name, std::vector<Variant>& args)
{
    const auto it = FMethods.find(name);
    if (it == FMethods.end()) {
        // A property read may be written as a call without arguments.
        const auto p = FProperties.find(name);
        if (p != FProperties.end() && args.empty() && p->second.Get) return p->second.Get();
        throw EOleError("Method '" + std::string(name) + "' not supported by automation object");
    }
    return it->second(args);
}

Variant TAutoObject::GetProperty(std::string_view name)
{
    const auto it = FProperties.find(name);
    if (it == FProperties.end() || !it->second.Get)
        throw EOleError("Property '" + std::string(name) + "' not supported by automation object");
    return it->second.Get();
}

void TAutoObject::SetProperty(std::string_view name, const Variant& value)
{
    const auto it = FProperties.find(name);
    if (it == FProperties.end() || !it->second.Set)
        throw EOleError("Property '" + std::string(name) + "' not supported by automation object");
    it->second.Set(value);
}

IAutoObjectPtr VarToAutoObject(const Variant& obj)
{
    IAutoObjectPtr p = obj.IsObject() ? obj.AsObject() : nullptr;
    if (!p) throw EOleError("Variant does not reference an automation object");
    return p;
}

Variant OleInvoke(const Variant& obj, std::string_view method, std::vector<Variant>& args)
{
    return VarToAutoObject(obj)->Invoke(method, args);
}

Variant OleInvoke(const Variant& obj, std::string_view method, std::initializer_list<Variant> args)
{
    std::vector<Variant> copy(args);
    return OleInvoke(obj, method, copy);
}

Variant OleGetProperty(const Variant& obj, std::string_view name) { return VarToAutoObject(obj)->GetProperty(name); }

void OleSetProperty(const Variant& obj, std::string_view name, const Variant& value)
{
    VarToAutoObject(obj)->SetProperty(name, value);
}

// ---------------------------------------------------------------------------
// Class registry

namespace {

struct TRegistryData {
    std::mutex Lock;
    std::vector<std::pair<std::string, TAutoObjectFactory>> Classes;
};

TRegistryData& Registry()
{
    static TRegistryData data;
    return data;
}

} // namespace

void RegisterAutoClass(std::string className, TAutoObjectFactory factory)
{
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    for (auto& entry : r.Classes)
        if (SameText(entry.first, className)) {
            entry.second = std::move(factory);
            return;
        }
    r.Classes.emplace_back(std::move(className), std::move(factory));
}

void UnregisterAutoClass(std::string_view className)
{
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    std::erase_if(r.Classes, [&](const auto& entry) { return SameText(entry.first, className); });
}

TAutoObjectFactory FindAutoClass(std::string_view className)
{
    auto& r = Registry();
    std::lock_guard lock(r.Lock);
    for (const auto& entry : r.Classes)
        if (SameText(entry.first, className)) return entry.second;
    return {};
}

TAutoClassRegistration::TAutoClassRegistration(std::string className, TAutoObjectFactory factory)
    : ClassName(className)
{
    RegisterAutoClass(std::move(className), std::move(factory));
}

TAutoClassRegistration::~TAutoClassRegistration() { UnregisterAutoClass(ClassName); }
