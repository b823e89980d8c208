#include "platform/core/Variant.h"

#include <cmath>

#include "platform/core/Automation.h"
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"

// ---------------------------------------------------------------------------
// TVarArray

TVarArray::TVarArray(std::vector<TVarArrayBound> bounds, TVarType elementType)
    : FBounds(std::move(bounds)), FElementType(elementType)
{
    if (FBounds.empty() || FBounds.size() > 2) throw EVariantError("Variant array bounds error");
    std::size_t count = 1;
    for (const auto& b : FBounds) {
        if (b.HighBound < b.LowBound - 1) throw EVariantError("Variant array bounds error");
        count *= static_cast<std::size_t>(b.ElementCount());
    }
    FItems.resize(count);
}

const TVarArrayBound& TVarArray::Bound(int dim) const
{
    if (dim < 1 || dim > DimCount()) throw EVariantError("Variant array dimension out of range");
    return FBounds[dim - 1];
}

std::size_t TVarArray::Offset(int i) const
{
    if (DimCount() != 1) throw EVariantError("Variant array dimension out of range");
    const auto& b = FBounds[0];
    if (i < b.LowBound || i > b.HighBound) throw EVariantError("Variant or safe array index out of bounds");
    return static_cast<std::size_t>(i - b.LowBound);
}

std::size_t TVarArray::Offset(int i, int j) const
{
    if (DimCount() != 2) throw EVariantError("Variant array dimension out of range");
    const auto& b0 = FBounds[0];
    const auto& b1 = FBounds[1];
    if (i < b0.LowBound || i > b0.HighBound || j < b1.LowBound || j > b1.HighBound)
        throw EVariantError("Variant or safe array index out of bounds");
    return static_cast<std::size_t>(i - b0.LowBound) +
           static_cast<std::size_t>(j - b1.LowBound) * static_cast<std::size_t>(b0.ElementCount());
}

Variant& TVarArray::At(int i) { return FItems[Offset(i)]; }
const Variant& TVarArray::At(int i) const { return FItems[Offset(i)]; }
Variant& TVarArray::At(int i, int j) { return FItems[Offset(i, j)]; }
const Variant& TVarArray::At(int i, int j) const { return FItems[Offset(i, j)]; }

void TVarArray::Redim(int highBound)
{
    if (FBounds.empty()) throw EVariantError("Variant is not an array");
    auto& last = FBounds.back();
    if (highBound < last.LowBound - 1) throw EVariantError("Variant array bounds error");
    last.HighBound = highBound;
    std::size_t count = 1;
    for (const auto& b : FBounds) count *= static_cast<std::size_t>(b.ElementCount());
    FItems.resize(count);
}

bool TVarArray::operator==(const TVarArray& other) const
{
    return FBounds == other.FBounds && FItems == other.FItems;
}

// ---------------------------------------------------------------------------
// Variant

Variant::Variant(IAutoObjectPtr value)
{
    if (value) FValue = std::move(value);
}

TVarType Variant::Type() const
{
    static constexpr TVarType types[] = {varEmpty,  varNull,   varBoolean, varInteger, varInt64,   varDouble,
                                         varDate,   varString, varOleStr,  varArray,   varDispatch};
    const TVarType t = types[FValue.index()];
    if (t == varArray) return static_cast<TVarType>(varArray | std::get<TVarArray>(FValue).ElementType());
    return t;
}

const char* VarTypeName(TVarType type)
{
    if (type & varArray) return "Array";
    switch (type) {
    case varEmpty: return "Empty";
    case varNull: return "Null";
    case varInteger: return "Integer";
    case varDouble: return "Double";
    case varDate: return "Date";
    case varOleStr: return "OleStr";
    case varDispatch: return "Dispatch";
    case varBoolean: return "Boolean";
    case varInt64: return "Int64";
    case varString: return "String";
    default: return "Unknown";
    }
}

void Variant::CastError(const char* target) const
{
    throw EVariantError(std::string("Could not convert variant of type (") + VarTypeName(Type()) +
                        ") into type (" + target + ")");
}

std::string Variant::AsString() const
{
    return std::visit(
        [this](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) return "";
            else if constexpr (std::is_same_v<T, bool>) return v ? "True" : "False";
            else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, std::int64_t>) return std::to_string(v);
            else if constexpr (std::is_same_v<T, double>) return FloatToStr(v);
            else if constexpr (std::is_same_v<T, DateValue>) return DateTimeToStr(v.Value);
            else if constexpr (std::is_same_v<T, std::string>) return v;
            else if constexpr (std::is_same_v<T, std::u16string>) return Utf16ToUtf8Lenient(v);
            else CastError("String");
        },
        FValue);
}

std::u16string Variant::AsWideString() const
{
    if (const auto* w = std::get_if<std::u16string>(&FValue)) return *w;
    const std::string s = AsString();
    if (!IsValidUtf8(s)) CastError("OleStr");
    return Utf8ToUtf16(s);
}

namespace {

// Rounds to nearest, halves to even, as conversions of floats to integers do.
std::int64_t RoundToInt64(double d, bool& ok)
{
    ok = std::isfinite(d) && d >= -9.2233720368547758e18 && d < 9.2233720368547758e18;
    return ok ? static_cast<std::int64_t>(std::nearbyint(d)) : 0;
}

} // namespace

std::int64_t Variant::AsInt64() const
{
    return std::visit(
        [this](const auto& v) -> std::int64_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) return 0;
            else if constexpr (std::is_same_v<T, bool>) return v ? -1 : 0;
            else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, std::int64_t>) return v;
            else if constexpr (std::is_same_v<T, double> || std::is_same_v<T, DateValue>) {
                bool ok;
                std::int64_t r;
                if constexpr (std::is_same_v<T, double>) r = RoundToInt64(v, ok);
                else r = RoundToInt64(v.Value, ok);
                if (!ok) CastError("Int64");
                return r;
            } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::u16string>) {
                const std::string s = AsString();
                if (auto i = TryStrToInt64(Trim(s))) return *i;
                if (auto d = TryStrToFloat(s)) {
                    bool ok;
                    const std::int64_t r = RoundToInt64(*d, ok);
                    if (ok) return r;
                }
                if (SameText(Trim(s), "True")) return -1;
                if (SameText(Trim(s), "False")) return 0;
                CastError("Int64");
            } else CastError("Int64");
        },
        FValue);
}

std::int32_t Variant::AsInteger() const
{
    const std::int64_t v = AsInt64();
    if (v < INT32_MIN || v > INT32_MAX) CastError("Integer");
    return static_cast<std::int32_t>(v);
}

double Variant::AsDouble() const
{
    return std::visit(
        [this](const auto& v) -> double {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>) return 0.0;
            else if constexpr (std::is_same_v<T, bool>) return v ? -1.0 : 0.0;
            else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, std::int64_t>)
                return static_cast<double>(v);
            else if constexpr (std::is_same_v<T, double>) return v;
            else if constexpr (std::is_same_v<T, DateValue>) return v.Value;
            else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, std::u16string>) {
                const std::string s = AsString();
                if (auto d = TryStrToFloat(s)) return *d;
                if (auto i = TryStrToInt64(Trim(s))) return static_cast<double>(*i);
                CastError("Double");
            } else CastError("Double");
        },
        FValue);
}

bool Variant::AsBoolean() const
{
    if (const auto* b = std::get_if<bool>(&FValue)) return *b;
    if (IsString() || IsWideString()) {
        const std::string s = Trim(AsString());
        if (SameText(s, "True")) return true;
        if (SameText(s, "False")) return false;
        if (auto d = TryStrToFloat(s)) return *d != 0.0;
        CastError("Boolean");
    }
    if (IsEmpty()) return false;
    if (VarIsNumeric(*this) || Type() == varDate) return AsDouble() != 0.0;
    CastError("Boolean");
}

double Variant::AsDateTime() const
{
    if (const auto* d = std::get_if<DateValue>(&FValue)) return d->Value;
    if (IsString() || IsWideString()) {
        // Texts convert through the short date format "yyyy/mm/dd" with an
        // optional "hh:nn:ss" time, as a typed date would be read.
        const std::string s = Trim(AsString());
        int y = 0, m = 0, d = 0, hh = 0, nn = 0, ss = 0;
        char sep1 = 0, sep2 = 0;
        TDateTime date, time = 0;
        const int n = std::sscanf(s.c_str(), "%d%c%d%c%d %d:%d:%d", &y, &sep1, &m, &sep2, &d, &hh, &nn, &ss);
        if (n >= 5 && sep1 == sep2 && TryEncodeDate(y, m, d, date) && (n == 5 || TryEncodeTime(hh, nn, ss, 0, time)))
            return date + time;
        CastError("Date");
    }
    return AsDouble();
}

IAutoObjectPtr Variant::AsObject() const
{
    if (IsEmpty()) return nullptr;
    if (const auto* o = std::get_if<IAutoObjectPtr>(&FValue)) return *o;
    CastError("Dispatch");
}

TVarArray& Variant::AsArray()
{
    if (auto* a = std::get_if<TVarArray>(&FValue)) return *a;
    throw EVariantError("Variant is not an array");
}

const TVarArray& Variant::AsArray() const
{
    if (const auto* a = std::get_if<TVarArray>(&FValue)) return *a;
    throw EVariantError("Variant is not an array");
}

bool Variant::operator==(const Variant& other) const
{
    const bool numeric = VarIsNumeric(*this) || Type() == varDate;
    const bool otherNumeric = VarIsNumeric(other) || other.Type() == varDate;
    if (numeric && otherNumeric) {
        if (std::holds_alternative<bool>(FValue) != std::holds_alternative<bool>(other.FValue)) return false;
        return AsDouble() == other.AsDouble();
    }
    if (VarIsStr(*this) && VarIsStr(other)) {
        if (IsString() && other.IsString()) return std::get<std::string>(FValue) == std::get<std::string>(other.FValue);
        return AsWideString() == other.AsWideString();
    }
    return FValue == other.FValue;
}

// ---------------------------------------------------------------------------
// Free functions

TVarType VarType(const Variant& v) { return v.Type(); }

bool VarIsStr(const Variant& v) { return v.IsString() || v.IsWideString(); }

bool VarIsNumeric(const Variant& v)
{
    const TVarType t = v.Type();
    return t == varBoolean || t == varInteger || t == varInt64 || t == varDouble;
}

std::string VarToStr(const Variant& v) { return v.IsNull() ? std::string() : v.AsString(); }

Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType)
{
    if (bounds.size() == 0 || bounds.size() % 2 != 0) throw EVariantError("Variant array bounds error");
    std::vector<TVarArrayBound> b;
    for (auto it = bounds.begin(); it != bounds.end(); it += 2) b.push_back({*it, *(it + 1)});
    return VarArrayCreate(b, elementType);
}

Variant VarArrayCreate(const std::vector<TVarArrayBound>& bounds, TVarType elementType)
{
    return Variant(TVarArray(bounds, elementType));
}

Variant VarArrayOf(std::vector<Variant> values)
{
    TVarArray a({{0, static_cast<int>(values.size()) - 1}}, varVariant);
    a.Items() = std::move(values);
    return Variant(std::move(a));
}

int VarArrayDimCount(const Variant& v) { return v.IsArray() ? v.AsArray().DimCount() : 0; }
int VarArrayLowBound(const Variant& v, int dim) { return v.AsArray().Bound(dim).LowBound; }
int VarArrayHighBound(const Variant& v, int dim) { return v.AsArray().Bound(dim).HighBound; }
void VarArrayRedim(Variant& v, int highBound) { v.AsArray().Redim(highBound); }
