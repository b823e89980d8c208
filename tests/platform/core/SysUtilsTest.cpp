#include <gtest/gtest.h>

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Variant.h"

TEST(SysUtils, IntegerTexts)
{
    struct Case {
        const char* Text;
        std::optional<std::int32_t> Value;
    } cases[] = {
        {"211", 211}, {" 211", 211}, {"-5", -5}, {"+5", 5}, {"$1F", 31}, {"0x1f", 31}, {"$FFFFFFFF", -1},
        {"211 ", std::nullopt}, {"12abc", std::nullopt}, {"", std::nullopt}, {"-", std::nullopt},
        {"2147483648", std::nullopt}, {"1.5", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(TryStrToInt(c.Text), c.Value) << c.Text;
    EXPECT_EQ(StrToIntDef("x", 7), 7);
    EXPECT_THROW(StrToInt("x"), EConvertError);
}

TEST(SysUtils, FloatTexts)
{
    EXPECT_EQ(FloatToStr(0.1 + 0.2), "0.3");
    EXPECT_EQ(FloatToStr(1.0), "1");
    EXPECT_EQ(FloatToStr(-2.5), "-2.5");
    EXPECT_EQ(FloatToStr(1e20), "1E20");
    EXPECT_EQ(FloatToStr(1e-7), "1E-7");
    EXPECT_EQ(TryStrToFloat(" 6.8235 "), 6.8235);
    EXPECT_EQ(TryStrToFloat("1e3"), 1000.0);
    EXPECT_EQ(TryStrToFloat("1,5"), std::nullopt);
    EXPECT_EQ(TryStrToFloat("abc"), std::nullopt);
    EXPECT_EQ(TryStrToFloat(""), std::nullopt);
}

TEST(SysUtils, TrimAndCase)
{
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a "), "  a");
    EXPECT_EQ(UpperCase("yes汇"), "YES汇");
    EXPECT_TRUE(SameText("ComputerName", "COMPUTERNAME"));
    EXPECT_LT(CompareText("a", "B"), 0);
}

TEST(SysUtils, FormatFillsArguments)
{
    EXPECT_EQ(Format("Error %.2d: Code: %d, Message: %s", {Variant(1), Variant(-3), Variant("bad")}),
              "Error 01: Code: -3, Message: bad");
    EXPECT_EQ(Format("%.4d%s%.2d", {Variant(113), Variant("/"), Variant(3)}), "0113/03");
    EXPECT_EQ(Format("%.3d", {Variant(2024)}), "2024"); // precision is a minimum
    EXPECT_EQ(Format("100%% %5s|%-3d|", {Variant("x"), Variant(7)}), "100%     x|7  |");
    EXPECT_EQ(Format("%.2f %n", {Variant(1.005), Variant(1234567.891)}), "1.00 1,234,567.89");
    EXPECT_EQ(Format("%x", {Variant(255)}), "FF");
    EXPECT_THROW(Format("%d", {}), EConvertError);
    EXPECT_THROW(Format("%d", {Variant("x")}), EConvertError);
}

TEST(SysUtils, Utf8AndUtf16)
{
    EXPECT_EQ(Utf8ToUtf16("a汇😀"), u"a汇😀");
    EXPECT_EQ(Utf16ToUtf8(u"a汇😀"), "a汇😀");
    const std::u16string lone(1, char16_t(0xD800));
    EXPECT_THROW(Utf16ToUtf8(lone), EConvertError);
    EXPECT_EQ(Utf16ToUtf8Lenient(lone), "\xEF\xBF\xBD");
    EXPECT_THROW(Utf8ToUtf16("\xC3"), EConvertError);        // truncated
    EXPECT_THROW(Utf8ToUtf16("\xC0\xAF"), EConvertError);    // overlong
    EXPECT_THROW(Utf8ToUtf16("\xED\xA0\x80"), EConvertError); // surrogate
    EXPECT_FALSE(IsValidUtf8("\xB2\xE2")); // GBK bytes are no UTF-8
    EXPECT_TRUE(IsValidUtf8("汇率"));
}

TEST(DateTime, EncodeDecodeRoundTrip)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2024, 3, 5), 45356.0);
    struct Ymd {
        int Y, M, D;
    } dates[] = {{1, 1, 1}, {1753, 1, 1}, {1899, 12, 29}, {1900, 2, 28}, {2000, 2, 29}, {2024, 12, 31}, {9999, 12, 31}};
    for (const auto& d : dates) {
        int y, m, day;
        DecodeDate(EncodeDate(d.Y, d.M, d.D), y, m, day);
        EXPECT_EQ(y * 10000 + m * 100 + day, d.Y * 10000 + d.M * 100 + d.D);
    }
    TDateTime r;
    EXPECT_FALSE(TryEncodeDate(2023, 2, 29, r));
    EXPECT_FALSE(TryEncodeDate(2024, 13, 1, r));
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, r));
    EXPECT_THROW(EncodeDate(2024, 4, 31), EConvertError);
    EXPECT_EQ(DaysInAMonth(1900, 2), 28);
    EXPECT_EQ(DaysInAMonth(2000, 2), 29);
    EXPECT_EQ(DaysInAMonth(2024, 13), 0);
}

TEST(DateTime, Formatting)
{
    const TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 45);
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", t), "2024/03/05 07:08:09:045");
    EXPECT_EQ(FormatDateTime("yyyymmdd", t), "20240305");
    EXPECT_EQ(FormatDateTime("hh:mm", t), "07:08"); // "mm" after an hour is minutes
    EXPECT_EQ(FormatDateTime("yy-m-d 'at' h", t), "24-3-5 at 7");
    EXPECT_EQ(DateTimeToStr(t), "2024/03/05 07:08:09");
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 3, 5)), "2024/03/05"); // midnight: no time
    int h, n, s, ms;
    DecodeTime(t, h, n, s, ms);
    EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 7 * 10000000 + 8 * 100000 + 9 * 1000 + 45);
}
