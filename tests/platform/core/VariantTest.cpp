#include <gtest/gtest.h>

#include "platform/core/Automation.h"
#include "platform/core/DateTime.h"
#include "platform/core/Variant.h"

TEST(Variant, KindsAndTypeCodes)
{
    struct Case {
        Variant Value;
        TVarType Type;
    } cases[] = {
        {Variant(), varEmpty},
        {Variant::Null(), varNull},
        {Variant(true), varBoolean},
        {Variant(42), varInteger},
        {Variant(std::int64_t(1) << 40), varInt64},
        {Variant(2u), varInt64}, // unsigned 32-bit does not fit a signed 32-bit integer
        {Variant(short(3)), varInteger},
        {Variant(1.5), varDouble},
        {Variant::FromDateTime(45356.0), varDate},
        {Variant("abc"), varString},
        {Variant(u"abc"), varOleStr},
        {VarArrayCreate({1, 3}), static_cast<TVarType>(varArray | varVariant)},
    };
    for (const auto& c : cases) EXPECT_EQ(VarType(c.Value), c.Type) << VarTypeName(c.Type);
}

TEST(Variant, ConversionsFollowTheRunTimeRules)
{
    EXPECT_EQ(Variant().AsString(), "");
    EXPECT_EQ(Variant().AsInteger(), 0);
    EXPECT_EQ(Variant().AsDouble(), 0.0);
    EXPECT_FALSE(Variant().AsBoolean());
    EXPECT_EQ(Variant(true).AsString(), "True");
    EXPECT_EQ(Variant(true).AsInteger(), -1);
    EXPECT_EQ(Variant(12).AsString(), "12");
    EXPECT_EQ(Variant(0.1 + 0.2).AsString(), "0.3");
    EXPECT_EQ(Variant(" 17").AsInteger(), 17);
    EXPECT_EQ(Variant("2.5").AsDouble(), 2.5);
    EXPECT_EQ(Variant(2.5).AsInteger(), 2); // halves round to even
    EXPECT_EQ(Variant(3.5).AsInteger(), 4);
    EXPECT_TRUE(Variant("true").AsBoolean());
    EXPECT_EQ(Variant(u"汇率").AsString(), "汇率");
    EXPECT_EQ(Variant("汇率").AsWideString(), u"汇率");
    EXPECT_EQ(Variant::FromDateTime(EncodeDate(2024, 3, 5)).AsString(), "2024/03/05");
    EXPECT_EQ(Variant("2024/03/05").AsDateTime(), EncodeDate(2024, 3, 5));
    EXPECT_EQ(VarToStr(Variant::Null()), "");

    // Null and shapes that cannot convert raise the variant error.
    EXPECT_THROW(Variant::Null().AsString(), EVariantError);
    EXPECT_THROW(Variant::Null().AsInteger(), EVariantError);
    EXPECT_THROW(Variant("abc").AsInteger(), EVariantError);
    EXPECT_THROW(Variant(std::int64_t(1) << 40).AsInteger(), EVariantError);
    EXPECT_THROW(VarArrayCreate({0, 1}).AsString(), EVariantError);
    EXPECT_THROW(Variant(42).AsArray(), EVariantError);
}

TEST(Variant, OneDimensionalArrayWithItsOwnBounds)
{
    Variant a = VarArrayCreate({1, 3});
    EXPECT_TRUE(VarIsArray(a));
    EXPECT_EQ(VarArrayDimCount(a), 1);
    EXPECT_EQ(VarArrayLowBound(a, 1), 1);
    EXPECT_EQ(VarArrayHighBound(a, 1), 3);
    a[1] = "first";
    a[3] = 3;
    EXPECT_TRUE(a[2].IsEmpty());
    EXPECT_THROW(a[0], EVariantError);
    EXPECT_THROW(a[4], EVariantError);

    VarArrayRedim(a, 5);
    EXPECT_EQ(VarArrayHighBound(a, 1), 5);
    EXPECT_EQ(a[1], Variant("first"));
    EXPECT_EQ(a[3], Variant(3));
    VarArrayRedim(a, 1);
    EXPECT_EQ(a.AsArray().Count(), 1u);

    // Arrays copy on assignment.
    Variant b = a;
    b[1] = "changed";
    EXPECT_EQ(a[1], Variant("first"));

    Variant empty = VarArrayCreate({0, -1});
    EXPECT_EQ(VarArrayHighBound(empty, 1), -1);
    EXPECT_EQ(empty.AsArray().Count(), 0u);

    EXPECT_THROW(VarArrayCreate({3, 1}), EVariantError);
    EXPECT_THROW(VarArrayCreate({0, 1, 0, 1, 0, 1}), EVariantError);
}

TEST(Variant, TwoDimensionalArrayGrowsItsLastDimensionInPlace)
{
    // The layout of a host list: [0..1, 0..n] with the name in row 0 and the
    // port in row 1; adding a column must keep the earlier columns.
    Variant list = VarArrayCreate({0, 1, 0, 0});
    list(0, 0) = "srv1";
    list(1, 0) = 211;
    VarArrayRedim(list, 1);
    list(0, 1) = "srv2";
    list(1, 1) = 212;
    EXPECT_EQ(VarArrayDimCount(list), 2);
    EXPECT_EQ(VarArrayHighBound(list, 1), 1);
    EXPECT_EQ(VarArrayHighBound(list, 2), 1);
    EXPECT_EQ(list(0, 0), Variant("srv1"));
    EXPECT_EQ(list(1, 0), Variant(211));
    EXPECT_EQ(list(0, 1), Variant("srv2"));
    EXPECT_EQ(list(1, 1), Variant(212));
    EXPECT_THROW(list(2, 0), EVariantError);
    EXPECT_THROW(list[0], EVariantError); // wrong number of indices

    Variant grid = VarArrayCreate({1, 2, 5, 6});
    grid(2, 6) = 1.5;
    EXPECT_EQ(VarArrayLowBound(grid, 2), 5);
    EXPECT_EQ(grid(2, 6), Variant(1.5));
    EXPECT_THROW(VarArrayLowBound(grid, 3), EVariantError);
}

TEST(Variant, Equality)
{
    EXPECT_EQ(Variant(), Variant());
    EXPECT_EQ(Variant::Null(), Variant::Null());
    EXPECT_NE(Variant(), Variant::Null());
    EXPECT_EQ(Variant(1), Variant(std::int64_t(1)));
    EXPECT_EQ(Variant(1), Variant(1.0));
    EXPECT_NE(Variant(true), Variant(-1)); // Booleans equal only Booleans
    EXPECT_EQ(Variant("ab"), Variant(u"ab"));
    EXPECT_NE(Variant("1"), Variant(1));
    EXPECT_EQ(VarArrayOf({1, "a"}), VarArrayOf({1, "a"}));
    EXPECT_NE(VarArrayOf({1, "a"}), VarArrayOf({1, "b"}));
    Variant shifted = VarArrayCreate({1, 2});
    shifted[1] = 1;
    shifted[2] = "a";
    EXPECT_NE(shifted, VarArrayOf({1, "a"})); // same items, other bounds
}

TEST(Variant, NestedArraysAreIndependentCopies)
{
    Variant outer = VarArrayCreate({0, 1});
    outer[0] = VarArrayOf({"x"});
    Variant copy = outer;
    copy[0][0] = "y";
    EXPECT_EQ(outer[0][0], Variant("x"));
    EXPECT_EQ(copy[0][0], Variant("y"));
}
