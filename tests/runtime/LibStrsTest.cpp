#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "TestSupport.h"
#include "platform/core/Properties.h"
#include "platform/data/DataSet.h"
#include "runtime/LibStrs.h"

using testsupport::ReadFile;
using testsupport::ScopedEnv;
using testsupport::TempDir;
using testsupport::WriteFile;

TEST(LibStrsFields, GetCutCount)
{
    struct Case {
        const char* Text;
        int N;
        const char* Field;
    } fields[] = {{"a;b;c", 1, "a"}, {"a;b;c", 2, "b"}, {"a;b;c", 3, "c"}, {"a;b;c", 4, ""},
                  {"abc", 1, "abc"}, {"abc", 2, ""},   {"a;;b", 2, ""},   {"a;b;c", 0, ""}};
    for (const auto& c : fields) EXPECT_EQ(GetField(c.Text, ";", c.N), c.Field) << c.Text << " " << c.N;
    EXPECT_EQ(GetField("x||y||z", "||", 3), "z");

    std::string text = "a;b";
    EXPECT_EQ(CutField(text, ";"), "a");
    EXPECT_EQ(text, "b");
    text = "abc";
    EXPECT_EQ(CutField(text, ";"), "abc");
    EXPECT_EQ(text, "");

    EXPECT_EQ(CountFields("", ";"), 0);
    EXPECT_EQ(CountFields("a", ";"), 1);
    EXPECT_EQ(CountFields("a;;b", ";"), 3);
    EXPECT_EQ(CountFields("a;", ";"), 2);
}

TEST(LibStrsFields, ReplaceText)
{
    EXPECT_EQ(ReplaceText("aabb", "ab", "", false), ""); // the joined "ab" is replaced too
    EXPECT_EQ(ReplaceText("xaaabbby", "ab", "", false), "xy");
    EXPECT_EQ(ReplaceText("a--b---c", "--", "-", false), "a-b-c");
    EXPECT_EQ(ReplaceText("abc", "a", "A", false), "abc"); // a change of case only is never made
    EXPECT_EQ(ReplaceText("  x-y-z  ", "-", "/", true), "x/y/z");
    EXPECT_EQ(ReplaceText("  x-y  ", "-", "/", false), "  x/y  ");
    // A new text holding the old one must not loop for ever.
    EXPECT_EQ(ReplaceText("a.b", ".", "..", false), "a..b");
}

TEST(LibStrsFields, JoinCountedAndButtonCaptions)
{
    Variant items = VarArrayCreate({0, 2});
    items[0] = 2;
    items[1] = "USD";
    items[2] = "汇";
    EXPECT_EQ(JoinCounted("P", items), u"P\x03" u"2\x03USD\x03汇\x03");
    EXPECT_EQ(DialogButtonCaption("Yes"), "是(&Y)");
    EXPECT_EQ(DialogButtonCaption("NoToAll"), "全否(&o)");
    EXPECT_EQ(DialogButtonCaption("yes"), "yes");
}

TEST(LibStrsDates, FormatByType)
{
    const TDateTime d2024 = EncodeDate(2024, 3, 5);
    const TDateTime d1999 = EncodeDate(1999, 3, 5);
    struct Case {
        int Type;
        TDateTime Date;
        const char* Full;
        const char* YearMonth;
    } cases[] = {
        {1, d2024, "2024/03/05", "2024/03"}, {2, d2024, "03/05/2024", "03/2024"}, {3, d2024, "05/03/2024", "03/2024"},
        {4, d2024, "113/03/05", "113/03"},   {5, d2024, "113/03/05", "113/03"},   {4, d1999, "88/03/05", "88/03"},
        {5, d1999, "088/03/05", "088/03"},   {0, d2024, "", ""},                  {6, d2024, "", ""},
        {1, 0, "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDateByType(c.Type, "/", c.Date), c.Full) << c.Type;
        EXPECT_EQ(FormatYearMonthByType(c.Type, "/", c.Date), c.YearMonth) << c.Type;
    }
    EXPECT_EQ(FormatDateByType(1, "-x", d2024), "2024-03-05"); // first character of the separator
    EXPECT_EQ(FormatDateByType(1, "", d2024), "20240305");
    // Values outside the years 1 to 9999 are no dates.
    for (const TDateTime bad : {1e7, -700000.0, std::nan("")}) {
        EXPECT_EQ(FormatDateByType(1, "/", bad), "") << bad;
        EXPECT_EQ(FormatYearMonthByType(3, "/", bad), "") << bad;
    }
}

TEST(LibStrsDates, ParseByType)
{
    struct Case {
        const char* Text;
        int Type;
        TDateTime Expected;
    } cases[] = {
        {"2024/03/05", 1, EncodeDate(2024, 3, 5)}, {"03/05/2024", 2, EncodeDate(2024, 3, 5)},
        {"05/03/2024", 3, EncodeDate(2024, 3, 5)}, {"113/3/5", 5, EncodeDate(2024, 3, 5)},
        {"88/03/05", 4, EncodeDate(1999, 3, 5)},   {" 2024 / 3 / 5 ", 1, EncodeDate(2024, 3, 5)},
        {"2024/04/31", 1, EncodeDate(2024, 5, 1)}, // the day runs into the next month
        {"2024/13/01", 1, 0},                      {"2024/0/01", 1, 0},
        {"2024/03", 1, 0},                         {"2024/xx/01", 1, 0},
        {"   ", 1, 0},                             {"2024/03/05", 6, 0},
        {"2147483647/1/1", 4, 0},                  {"8089/01/01", 5, 0},
        {"8088/12/31", 4, EncodeDate(9999, 12, 31)},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseDateByType(c.Text, c.Type, "/"), c.Expected) << c.Text;
}

TEST(LibStrsDates, EightDigitDates)
{
    EXPECT_EQ(Date8ToDate("20240305"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(Date8ToDate("20240230"), 0);
    EXPECT_EQ(Date8ToDate("2024031"), 0);
    EXPECT_EQ(Date8ToDate("00000101"), 0);
    EXPECT_EQ(Date8ToDate("2024ab05"), 0);

    struct Case {
        const char* Text;
        bool Valid;
    } cases[] = {{"", true},          {"20240305", true},  {"17530101", true}, {"99991231", true},
                 {"17521231", false}, {"20240230", false}, {"abcdefgh", false}, {"2024", false}};
    for (const auto& c : cases) EXPECT_EQ(IsValidDate8(c.Text), c.Valid) << c.Text;

    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2024, 13), 0);
}

TEST(LibStrsDates, ShiftDate8)
{
    struct Case {
        Variant Value;
        const char* Unit;
        int N;
        const char* Expected;
    } cases[] = {
        {"20240131", "M", 1, "20240229"},  {"20241215", "M", 1, "20250115"}, {"20240315", "M", -3, "20231215"},
        {"20241231", "M", 12, "20251231"}, {"20240229", "Y", 1, "20250228"}, {"20240229", "d", -1, "20240228"},
        {"20240101", "D", 366, "20250101"}, {"20240101", "W", 1, ""},         {"20240230", "D", 1, ""},
        {u"20240305", "D", 1, "20240306"}, {Variant::FromDateTime(EncodeDate(2024, 3, 5) + 0.5), "m", 1, "20240405"},
        {Variant(20240305), "D", 1, ""},   {Variant(), "D", 1, ""},          {"99991231", "D", 1, ""},
        {"20240101", "Y", INT_MAX, ""},    {"20240101", "Y", -2024, ""},     {"20240101", "M", INT_MIN, ""},
        {Variant::FromDateTime(1e7), "D", 1, ""}, {Variant::FromDateTime(std::nan("")), "D", 1, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ShiftDate8(c.Value, c.Unit, c.N), c.Expected) << c.Value.AsString() << c.Unit;
}

TEST(LibStrsNumbers, CompareAndParse)
{
    EXPECT_EQ(CompareFloat(0.1 + 0.2, 0.3), 0);
    EXPECT_EQ(CompareFloat(1, 1.0000001), -1);
    EXPECT_EQ(CompareFloat(2, 1), 1);
    EXPECT_EQ(StrToFloatDefault("6.8235", -1), 6.8235);
    EXPECT_EQ(StrToFloatDefault("6,8", -1), -1);
    EXPECT_EQ(IfThenVar(false, 1, "b"), Variant("b"));
    EXPECT_TRUE(VarIsEmptyOrNull(Variant::Null()));
    EXPECT_FALSE(VarIsEmptyOrNull(Variant("")));
    EXPECT_TRUE(IsLocalHost("127.0.0.1"));
    EXPECT_FALSE(IsLocalHost("localhost"));
    EXPECT_EQ(GetTempDir().back(), '/');
}

TEST(LibStrsVariants, StringKindsInArraysAndSingleValues)
{
    // 1-D array indexed from 1 with a nested array: every wide string becomes
    // an 8-bit string, nested arrays included; other kinds stay.
    Variant v = VarArrayCreate({1, 3});
    v[1] = u"汇率";
    v[2] = 7;
    v[3] = VarArrayOf({u"USD", "EUR"});
    Variant a = VarWideToAnsi(v, 936);
    EXPECT_EQ(VarArrayLowBound(a, 1), 1);
    EXPECT_EQ(VarType(a[1]), varString);
    EXPECT_EQ(a[1].AsString(), "汇率");
    EXPECT_EQ(a[2], Variant(7));
    EXPECT_EQ(VarType(a[3][0]), varString);
    EXPECT_EQ(VarType(v[1]), varOleStr); // the argument itself is untouched

    // 2-D: cells are converted, arrays in cells are not entered.
    Variant grid = VarArrayCreate({0, 1, 0, 0});
    grid(0, 0) = u"台币";
    grid(1, 0) = VarArrayOf({u"inner"});
    Variant g = VarWideToAnsi(grid, 950);
    EXPECT_EQ(VarType(g(0, 0)), varString);
    EXPECT_EQ(VarType(g(1, 0)[0]), varOleStr);

    // Back to wide: wide elements stay wide; a single 8-bit value is widened.
    Variant w = VarAnsiToWide(a, 936);
    EXPECT_EQ(VarType(w[1]), varString);
    EXPECT_EQ(VarType(VarAnsiToWide(Variant("汇"), 936)), varOleStr);
    EXPECT_EQ(VarAnsiToWide(Variant("汇"), 936).AsWideString(), u"汇");
    EXPECT_EQ(VarType(VarWideToAnsi(Variant(u"x"), 936)), varString);
    EXPECT_TRUE(VarWideToAnsi(Variant::Null(), 936).IsNull());
    EXPECT_EQ(VarWideToAnsi(Variant(3.5), 936), Variant(3.5));
}

TEST(LibStrsVariants, FailureIsLoggedAndKeepsWhatWasConverted)
{
    TempDir dir;
    WriteFile(dir.File("registry.ini"), "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nClientPath=" + dir.Path() + "\n");
    ScopedEnv env("ORVANE_REGISTRY", dir.File("registry.ini"));

    Variant v = VarArrayCreate({0, 2});
    v[0] = u"ok";
    v[1] = std::u16string(1, char16_t(0xD800)); // unpaired surrogate: no such character
    v[2] = u"later";
    Variant a = VarWideToAnsi(v, 936);
    EXPECT_EQ(VarType(a[0]), varString);
    EXPECT_EQ(VarType(a[1]), varOleStr);
    EXPECT_EQ(VarType(a[2]), varOleStr);

    Variant bad("\xB2\xE2"); // bytes that are no UTF-8 text
    EXPECT_EQ(VarAnsiToWide(bad, 936), bad);

    const std::string log = ReadFile(dir.Path() + "Log/Alert_libstrs_" + FormatDateTime("yyyymmdd", Date()) + ".log");
    EXPECT_NE(log.find("] LINE[2735] "), std::string::npos);
    EXPECT_NE(log.find("] LINE[115] "), std::string::npos);
}

namespace {

class TProbe : public TObject {
    ORVANE_CLASS_INFO
public:
    std::string Caption;
    int Tag = 0;
    TNotifyEvent OnExit;
    std::string Kind = "probe";
};

} // namespace

const TClassInfo& TProbe::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TProbe>("TProbe", TObject::StaticClass())
                                       .Field("Caption", &TProbe::Caption)
                                       .Field("Tag", &TProbe::Tag)
                                       .Field("OnExit", &TProbe::OnExit)
                                       .Prop<std::string>("Kind", &TProbe::Kind, nullptr)
                                       .Build();
    return info;
}

TEST(LibStrsProperties, ByNameNeverRaises)
{
    TProbe p;
    EXPECT_TRUE(HasProperty(&p, "caption"));
    EXPECT_FALSE(HasProperty(&p, "Hint"));
    EXPECT_FALSE(HasProperty(nullptr, "Caption"));

    SetStrPropByName(&p, "Caption", "汇率");
    SetOrdPropByName(&p, "Tag", 5);
    EXPECT_EQ(GetStrPropByName(&p, "Caption"), "汇率");
    EXPECT_EQ(GetOrdPropByName(&p, "Tag"), 5);

    // Missing component, missing property, property of another kind.
    EXPECT_EQ(GetStrPropByName(nullptr, "Caption"), "");
    EXPECT_EQ(GetStrPropByName(&p, "Hint"), "");
    EXPECT_EQ(GetStrPropByName(&p, "Tag"), "");
    EXPECT_EQ(GetOrdPropByName(&p, "Caption"), 0);
    SetStrPropByName(nullptr, "Caption", "x");
    SetStrPropByName(&p, "Tag", "x");
    SetOrdPropByName(&p, "Hint", 1);
    EXPECT_EQ(p.Tag, 5);
    SetStrPropByName(&p, "Kind", "x"); // read-only: nothing happens
    EXPECT_EQ(GetStrPropByName(&p, "Kind"), "probe");

    int calls = 0;
    TNotifyEvent handler([&](TObject*) { ++calls; });
    SetMethodPropByName(&p, "OnExit", handler.ToMethod());
    EXPECT_EQ(GetMethodPropByName(&p, "OnExit"), handler.ToMethod());
    p.OnExit(&p);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(GetMethodPropByName(&p, "OnEnter"));
    SetMethodPropByName(&p, "OnEnter", handler.ToMethod());
}

TEST(LibStrsFieldText, SetFieldText)
{
    TempDir dir;
    ScopedEnv env("ORVANE_REGISTRY", dir.File("registry.ini")); // no file: system code page 936
    TClientDataSet cds;
    TField* name = cds.AddField("MF002", TFieldType::ftString, 10);
    TField* rate = cds.AddField("MG007", TFieldType::ftFloat);
    TField* memo = cds.AddField("NOTE", TFieldType::ftMemo);
    cds.CreateDataSet();
    cds.Append();

    EXPECT_FALSE(SetFieldText(nullptr, "x", false));

    // 11 bytes in GBK; the 10th byte starts the last character, which is dropped whole.
    name->ReadOnly = true;
    EXPECT_TRUE(SetFieldText(name, "abcdefghi中", false));
    EXPECT_EQ(name->AsString(), "abcdefghi");
    EXPECT_TRUE(name->ReadOnly);
    EXPECT_TRUE(SetFieldText(name, "汇差调整单别", true)); // 12 bytes: five characters fit
    EXPECT_EQ(name->AsString(), "汇差调整单");

    rate->ReadOnly = true;
    EXPECT_TRUE(SetFieldText(rate, "1,234.5", true));
    EXPECT_DOUBLE_EQ(rate->AsFloat(), 1234.5);
    EXPECT_TRUE(SetFieldText(rate, "7.1234567", false)); // a number field has no byte size to cut to
    EXPECT_DOUBLE_EQ(rate->AsFloat(), 7.1234567);
    EXPECT_THROW(SetFieldText(rate, "1,234.5", false), EConvertError);
    EXPECT_TRUE(rate->ReadOnly); // restored after the error too
    EXPECT_DOUBLE_EQ(rate->AsFloat(), 7.1234567);

    const std::string longText(300, 'x');
    EXPECT_TRUE(SetFieldText(memo, longText, false));
    EXPECT_EQ(memo->AsString(), longText);
}

TEST(LibStrsFieldText, SetFieldTextQuietSkipsValidation)
{
    TClientDataSet cds;
    TField* rate = cds.AddField("MG007", TFieldType::ftFloat);
    cds.CreateDataSet();
    cds.Append();
    int validated = 0;
    rate->OnValidate = [&](TField* f) {
        ++validated;
        if (f->AsFloat() <= 0) throw EAbort();
    };
    const TFieldNotifyEvent handler = rate->OnValidate;

    SetFieldTextQuiet(rate, "0", true); // accepted while the check is off
    EXPECT_DOUBLE_EQ(rate->AsFloat(), 0);
    EXPECT_EQ(validated, 0);
    EXPECT_TRUE(rate->OnValidate == handler);
    EXPECT_THROW(SetFieldTextQuiet(rate, "abc", true), EConvertError);
    EXPECT_TRUE(rate->OnValidate == handler);
    EXPECT_THROW(SetFieldText(rate, "0", true), EAbort);
    EXPECT_EQ(validated, 1);
    SetFieldTextQuiet(nullptr, "1", true); // nothing to do
}
