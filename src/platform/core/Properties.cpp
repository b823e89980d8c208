#include "platform/core/Properties.h"

#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent, std::vector<TPropInfo> props)
    : FName(std::move(name)), FParent(parent), FProps(std::move(props))
{
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const
{
    for (const TClassInfo* c = this; c; c = c->FParent)
        for (const auto& p : c->FProps)
            if (SameText(p.Name, name)) return &p;
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::Properties() const
{
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->FParent) chain.insert(chain.begin(), c);
    std::vector<const TPropInfo*> result;
    for (const TClassInfo* c : chain)
        for (const auto& p : c->FProps) {
            bool replaced = false;
            for (auto& existing : result)
                if (SameText(existing->Name, p.Name)) {
                    existing = &p; // a derived class redeclares the property
                    replaced = true;
                }
            if (!replaced) result.push_back(&p);
        }
    return result;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const
{
    for (const TClassInfo* c = this; c; c = c->FParent)
        if (c == &other) return true;
    return false;
}

TObject::~TObject() = default;

const TClassInfo& TObject::StaticClass()
{
    static const TClassInfo info("TObject", nullptr);
    return info;
}

// ---------------------------------------------------------------------------
// By-name access

namespace {

const TPropInfo& Require(const TObject* obj, std::string_view name)
{
    if (!obj) throw EPropertyError("Property " + std::string(name) + " of a nil object");
    const TPropInfo* p = obj->ClassType().FindProperty(name);
    if (!p) throw EPropertyError("Property " + std::string(name) + " does not exist");
    return *p;
}

[[noreturn]] void WrongKind(const TPropInfo& p) { throw EPropertyError("Invalid property type: " + p.Name); }
[[noreturn]] void ReadOnly(const TPropInfo& p) { throw EPropertyError("Property " + p.Name + " is read-only"); }

} // namespace

const TPropInfo* GetPropInfo(const TObject* obj, std::string_view name)
{
    return obj ? obj->ClassType().FindProperty(name) : nullptr;
}

bool IsPublishedProp(const TObject* obj, std::string_view name) { return GetPropInfo(obj, name) != nullptr; }

std::vector<const TPropInfo*> GetPropList(const TObject* obj)
{
    return obj ? obj->ClassType().Properties() : std::vector<const TPropInfo*>{};
}

std::int64_t GetOrdProp(const TObject* obj, std::string_view name)
{
    const TPropInfo& p = Require(obj, name);
    if (!p.IsOrdinal()) WrongKind(p);
    return p.GetOrd(*obj);
}

void SetOrdProp(TObject* obj, std::string_view name, std::int64_t value)
{
    const TPropInfo& p = Require(obj, name);
    if (!p.IsOrdinal()) WrongKind(p);
    if (!p.SetOrd) ReadOnly(p);
    p.SetOrd(*obj, value);
}

std::string GetEnumProp(const TObject* obj, std::string_view name)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkEnumeration) return std::to_string(GetOrdProp(obj, name));
    const std::int64_t v = p.GetOrd(*obj);
    return v >= 0 && v < static_cast<std::int64_t>(p.ValueNames.size()) ? p.ValueNames[v] : std::to_string(v);
}

void SetEnumProp(TObject* obj, std::string_view name, std::string_view valueName)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkEnumeration) WrongKind(p);
    for (std::size_t i = 0; i < p.ValueNames.size(); ++i)
        if (SameText(p.ValueNames[i], valueName)) return SetOrdProp(obj, name, static_cast<std::int64_t>(i));
    throw EPropertyError("Invalid property value " + std::string(valueName) + " for " + p.Name);
}

std::string GetSetProp(const TObject* obj, std::string_view name)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkSet) WrongKind(p);
    const std::int64_t mask = p.GetOrd(*obj);
    std::string out = "[";
    for (std::size_t bit = 0; bit < p.ValueNames.size() && bit < 64; ++bit)
        if (mask & (std::int64_t(1) << bit)) {
            if (out.size() > 1) out += ",";
            out += p.ValueNames[bit];
        }
    return out + "]";
}

void SetSetProp(TObject* obj, std::string_view name, std::string_view elements)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkSet) WrongKind(p);
    std::string text = Trim(elements);
    if (!text.empty() && text.front() == '[') text.erase(0, 1);
    if (!text.empty() && text.back() == ']') text.pop_back();
    std::int64_t mask = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string::npos) comma = text.size();
        const std::string element = Trim(std::string_view(text).substr(start, comma - start));
        if (!element.empty()) {
            bool found = false;
            for (std::size_t bit = 0; bit < p.ValueNames.size() && bit < 64; ++bit)
                if (SameText(p.ValueNames[bit], element)) {
                    mask |= std::int64_t(1) << bit;
                    found = true;
                }
            if (!found) throw EPropertyError("Invalid property element " + element + " for " + p.Name);
        }
        start = comma + 1;
    }
    SetOrdProp(obj, name, mask);
}

double GetFloatProp(const TObject* obj, std::string_view name)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkFloat) WrongKind(p);
    return p.GetFloat(*obj);
}

void SetFloatProp(TObject* obj, std::string_view name, double value)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkFloat) WrongKind(p);
    if (!p.SetFloat) ReadOnly(p);
    p.SetFloat(*obj, value);
}

std::string GetStrProp(const TObject* obj, std::string_view name)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkString) WrongKind(p);
    return p.GetStr(*obj);
}

void SetStrProp(TObject* obj, std::string_view name, const std::string& value)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkString) WrongKind(p);
    if (!p.SetStr) ReadOnly(p);
    p.SetStr(*obj, value);
}

TObject* GetObjectProp(const TObject* obj, std::string_view name)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkClass) WrongKind(p);
    return p.GetObject(*obj);
}

void SetObjectProp(TObject* obj, std::string_view name, TObject* value)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkClass) WrongKind(p);
    if (!p.SetObject) ReadOnly(p);
    p.SetObject(*obj, value);
}

TMethod GetMethodProp(const TObject* obj, std::string_view name)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkMethod) WrongKind(p);
    return p.GetMethod(*obj);
}

void SetMethodProp(TObject* obj, std::string_view name, const TMethod& value)
{
    const TPropInfo& p = Require(obj, name);
    if (p.Kind != TTypeKind::tkMethod) WrongKind(p);
    if (!p.SetMethod) ReadOnly(p);
    if (!p.SetMethod(*obj, value)) throw EPropertyError("Incompatible handler for " + p.Name);
}

Variant GetPropValue(const TObject* obj, std::string_view name)
{
    const TPropInfo& p = Require(obj, name);
    switch (p.Kind) {
    case TTypeKind::tkEnumeration:
        if (p.ValueNames.size() == 2 && p.ValueNames[0] == "False") return Variant(p.GetOrd(*obj) != 0);
        return Variant(GetEnumProp(obj, name));
    case TTypeKind::tkSet: return Variant(GetSetProp(obj, name));
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar: return Variant(static_cast<std::int32_t>(p.GetOrd(*obj)));
    case TTypeKind::tkInt64: return Variant(p.GetOrd(*obj));
    case TTypeKind::tkFloat: return Variant(p.GetFloat(*obj));
    case TTypeKind::tkString: return Variant(p.GetStr(*obj));
    default: WrongKind(p);
    }
}

void SetPropValue(TObject* obj, std::string_view name, const Variant& value)
{
    const TPropInfo& p = Require(obj, name);
    switch (p.Kind) {
    case TTypeKind::tkEnumeration:
        if (VarIsStr(value)) return SetEnumProp(obj, name, value.AsString());
        return SetOrdProp(obj, name, value.Type() == varBoolean ? (value.AsBoolean() ? 1 : 0) : value.AsInt64());
    case TTypeKind::tkSet:
        if (VarIsStr(value)) return SetSetProp(obj, name, value.AsString());
        return SetOrdProp(obj, name, value.AsInt64());
    case TTypeKind::tkInteger:
    case TTypeKind::tkChar:
    case TTypeKind::tkInt64: return SetOrdProp(obj, name, value.AsInt64());
    case TTypeKind::tkFloat: return SetFloatProp(obj, name, value.AsDouble());
    case TTypeKind::tkString: return SetStrProp(obj, name, value.AsString());
    default: WrongKind(p);
    }
}
