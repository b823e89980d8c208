#pragma once
// Variant: the dynamically typed value that crosses every late-bound call.
// Kinds: empty, null, Boolean, 32- and 64-bit integer, double, date-time,
// 8-bit string (UTF-8), wide string (UTF-16), arrays of one or two
// dimensions with their own bounds, automation object.
// Values have value semantics: copying a variant that holds an array copies
// the array. Conversions follow the rules of the original run time: empty
// converts to "" / 0 / false, null raises EVariantError.
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/core/Exceptions.h"

class IAutoObject;
using IAutoObjectPtr = std::shared_ptr<IAutoObject>;

// Type codes; the numbers are the classic variant type numbers so code that
// compares VarType results reads as it always did.
enum TVarType : std::uint16_t {
    varEmpty = 0x0000,
    varNull = 0x0001,
    varInteger = 0x0003,
    varDouble = 0x0005,
    varDate = 0x0007,
    varOleStr = 0x0008,   // wide string
    varDispatch = 0x0009, // automation object
    varBoolean = 0x000B,
    varVariant = 0x000C,
    varInt64 = 0x0014,
    varString = 0x0100,   // 8-bit string
    varTypeMask = 0x0FFF,
    varArray = 0x2000,
};

class Variant;

struct TVarArrayBound {
    int LowBound = 0;
    int HighBound = -1;
    int ElementCount() const { return HighBound >= LowBound ? HighBound - LowBound + 1 : 0; }
    bool operator==(const TVarArrayBound&) const = default;
};

// The array payload of a variant. Elements are stored with the first index
// varying fastest, so growing the last dimension keeps every element in place.
class TVarArray {
public:
    TVarArray() = default;
    TVarArray(std::vector<TVarArrayBound> bounds, TVarType elementType);

    int DimCount() const { return static_cast<int>(FBounds.size()); }
    // dim counts from 1, as VarArrayLowBound / VarArrayHighBound do.
    const TVarArrayBound& Bound(int dim) const;
    TVarType ElementType() const { return FElementType; }
    std::size_t Count() const { return FItems.size(); }

    Variant& At(int i);
    const Variant& At(int i) const;
    Variant& At(int i, int j);
    const Variant& At(int i, int j) const;

    // Changes the high bound of the last dimension, keeping the elements that
    // remain inside the new bounds; new elements are empty.
    void Redim(int highBound);

    // All elements in storage order (first index fastest).
    std::vector<Variant>& Items() { return FItems; }
    const std::vector<Variant>& Items() const { return FItems; }

    bool operator==(const TVarArray& other) const;

private:
    std::size_t Offset(int i) const;
    std::size_t Offset(int i, int j) const;

    std::vector<TVarArrayBound> FBounds;
    TVarType FElementType = varVariant;
    std::vector<Variant> FItems;
};

class Variant {
public:
    struct NullTag {
        bool operator==(const NullTag&) const = default;
    };
    struct DateValue {
        double Value;
        bool operator==(const DateValue&) const = default;
    };

    Variant() = default;
    Variant(std::nullptr_t) = delete;
    template <std::integral T>
    Variant(T value)
    {
        if constexpr (std::same_as<T, bool>)
            FValue = value;
        else if constexpr (sizeof(T) < 4 || (sizeof(T) == 4 && std::is_signed_v<T>))
            FValue = static_cast<std::int32_t>(value);
        else
            FValue = static_cast<std::int64_t>(value);
    }
    Variant(double value) : FValue(value) {}
    Variant(const char* value) : FValue(std::string(value)) {}
    Variant(std::string value) : FValue(std::move(value)) {}
    Variant(std::string_view value) : FValue(std::string(value)) {}
    Variant(const char16_t* value) : FValue(std::u16string(value)) {}
    Variant(std::u16string value) : FValue(std::move(value)) {}
    Variant(TVarArray value) : FValue(std::move(value)) {}
    Variant(IAutoObjectPtr value);

    static Variant Null() { Variant v; v.FValue = NullTag{}; return v; }
    static Variant FromDateTime(double value) { Variant v; v.FValue = DateValue{value}; return v; }

    TVarType Type() const; // varArray | varVariant for arrays
    bool IsEmpty() const { return FValue.index() == 0; }
    bool IsNull() const { return std::holds_alternative<NullTag>(FValue); }
    bool IsArray() const { return std::holds_alternative<TVarArray>(FValue); }
    bool IsString() const { return std::holds_alternative<std::string>(FValue); }
    bool IsWideString() const { return std::holds_alternative<std::u16string>(FValue); }
    bool IsObject() const { return std::holds_alternative<IAutoObjectPtr>(FValue); }

    // Conversions. Empty gives "", 0 or false; null, arrays and objects raise
    // EVariantError; a text that is no number raises EVariantError.
    std::string AsString() const;
    std::u16string AsWideString() const;
    std::int32_t AsInteger() const;
    std::int64_t AsInt64() const;
    double AsDouble() const;
    bool AsBoolean() const;
    double AsDateTime() const;
    IAutoObjectPtr AsObject() const; // null pointer for empty; raises otherwise

    TVarArray& AsArray();
    const TVarArray& AsArray() const;
    Variant& operator[](int i) { return AsArray().At(i); }
    const Variant& operator[](int i) const { return AsArray().At(i); }
    Variant& operator()(int i, int j) { return AsArray().At(i, j); }
    const Variant& operator()(int i, int j) const { return AsArray().At(i, j); }

    // Equality: numbers compare by value across kinds, 8-bit and wide strings
    // by their characters, arrays by bounds and elements, objects by identity.
    // Empty equals only empty and null only null.
    bool operator==(const Variant& other) const;

    using Storage = std::variant<std::monostate, NullTag, bool, std::int32_t, std::int64_t, double,
                                 DateValue, std::string, std::u16string, TVarArray, IAutoObjectPtr>;
    const Storage& Value() const { return FValue; }

private:
    [[noreturn]] void CastError(const char* target) const;
    Storage FValue;
};

// Free functions with the run time's names.
inline Variant Unassigned() { return Variant(); }
inline Variant Null() { return Variant::Null(); }
TVarType VarType(const Variant& v);
const char* VarTypeName(TVarType type);
inline bool VarIsEmpty(const Variant& v) { return v.IsEmpty(); }
inline bool VarIsNull(const Variant& v) { return v.IsNull(); }
inline bool VarIsArray(const Variant& v) { return v.IsArray(); }
bool VarIsStr(const Variant& v);     // 8-bit or wide string
bool VarIsNumeric(const Variant& v); // Boolean, integers, double
std::string VarToStr(const Variant& v); // "" for null, otherwise AsString

// Creates an array; bounds are given in pairs (low, high) per dimension, one
// or two dimensions. Raises EVariantError for any other shape.
Variant VarArrayCreate(std::initializer_list<int> bounds, TVarType elementType = varVariant);
Variant VarArrayCreate(const std::vector<TVarArrayBound>& bounds, TVarType elementType = varVariant);
// A one-dimensional array indexed from 0 holding the given values.
Variant VarArrayOf(std::vector<Variant> values);
int VarArrayDimCount(const Variant& v); // 0 when v is no array
int VarArrayLowBound(const Variant& v, int dim);
int VarArrayHighBound(const Variant& v, int dim);
void VarArrayRedim(Variant& v, int highBound);
