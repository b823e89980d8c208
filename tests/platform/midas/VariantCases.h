#pragma once
// Variants of every kind, and an exact comparison: same kind, same bits,
// same bounds and element type, recursively.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/core/Variant.h"

inline ::testing::AssertionResult SameVariant(const Variant& a, const Variant& b)
{
    if (a.Type() != b.Type())
        return ::testing::AssertionFailure() << "type " << a.Type() << " vs " << b.Type();
    if (a.IsArray()) {
        const TVarArray &x = a.AsArray(), &y = b.AsArray();
        if (x.ElementType() != y.ElementType() || x.DimCount() != y.DimCount() || x.Count() != y.Count())
            return ::testing::AssertionFailure() << "array shape differs";
        for (int d = 1; d <= x.DimCount(); ++d)
            if (!(x.Bound(d) == y.Bound(d))) return ::testing::AssertionFailure() << "bounds of dimension " << d;
        for (std::size_t i = 0; i < x.Count(); ++i)
            if (auto r = SameVariant(x.Items()[i], y.Items()[i]); !r) return r << " at item " << i;
        return ::testing::AssertionSuccess();
    }
    if (a.Type() == varDouble || a.Type() == varDate) {
        const double x = a.Type() == varDate ? a.AsDateTime() : a.AsDouble();
        const double y = b.Type() == varDate ? b.AsDateTime() : b.AsDouble();
        if (std::memcmp(&x, &y, sizeof x) != 0) return ::testing::AssertionFailure() << x << " vs " << y;
        return ::testing::AssertionSuccess();
    }
    if (a.Value() != b.Value()) return ::testing::AssertionFailure() << "values differ";
    return ::testing::AssertionSuccess();
}

struct TVariantCase {
    const char* Name;
    Variant Value;
};

inline std::vector<TVariantCase> VariantCases()
{
    Variant ints = VarArrayCreate({1, 3}, varInteger);
    ints[1] = 10;
    ints[2] = -20;
    ints[3] = 30;

    Variant grid = VarArrayCreate({1, 2, 0, 2}, varVariant);
    grid(1, 0) = "a";
    grid(2, 0) = std::int64_t{1} << 40;
    grid(1, 2) = Variant::FromDateTime(45000.25);
    grid(2, 1) = Variant::Null();

    Variant nested = VarArrayOf({Variant(1), VarArrayOf({Variant(u"内"), VarArrayOf({Variant(true)})}), Variant()});

    return {
        {"empty", Variant()},
        {"null", Variant::Null()},
        {"true", Variant(true)},
        {"false", Variant(false)},
        {"int32 min", Variant(std::int32_t{INT32_MIN})},
        {"int32 max", Variant(std::int32_t{INT32_MAX})},
        {"small int64 stays int64", Variant(std::int64_t{7})},
        {"int64 min", Variant(std::int64_t{INT64_MIN})},
        {"int64 max", Variant(std::int64_t{INT64_MAX})},
        {"double", Variant(0.1)},
        {"whole double", Variant(3.0)},
        {"negative zero", Variant(-0.0)},
        {"huge double", Variant(1.7976931348623157e308)},
        {"date-time", Variant::FromDateTime(45291.5)},
        {"whole date", Variant::FromDateTime(45291.0)},
        {"empty string", Variant(std::string())},
        {"utf-8 string", Variant("汇率调整")},
        {"any bytes", Variant(std::string("\xff\x00\x80z", 4))},
        {"empty wide", Variant(std::u16string())},
        {"wide with lone surrogate", Variant(std::u16string(u"a\xD800" u"b\xDC01"))},
        {"integer array from 1", ints},
        {"empty array", VarArrayCreate({1, 0}, varOleStr)},
        {"two dimensions", grid},
        {"nested arrays", nested},
    };
}
