#include <gtest/gtest.h>

#include "platform/core/Exceptions.h"
#include "platform/os/CodePage.h"

namespace {

const std::string Zhong = "\xE4\xB8\xAD";     // 中, in GBK and Big5 alike
const std::string EAcute = "\xC3\xA9";        // é
const std::string Grinning = "\xF0\x9F\x98\x80"; // outside GBK and Big5
const std::string Replacement = "\xEF\xBF\xBD";

TEST(CodePageTest, CountsBytesInTheCodePage)
{
    struct Case {
        std::string Text;
        int CodePage;
        int Bytes;
    };
    const Case cases[] = {
        {Zhong, 936, 2},        {Zhong, 950, 2},         {Zhong, 65001, 3},
        {EAcute, 437, 1},       {EAcute, 1252, 1},       {EAcute, 936, 2},
        {Zhong, 437, 1},        {"abc", 936, 3},         {"", 950, 0},
        {Grinning, 950, 1},     {"\xFF\xFE", 936, 2}, // one "?" per broken byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(os::CodePageByteLength(c.Text, c.CodePage), c.Bytes) << c.Text << " in " << c.CodePage;
}

TEST(CodePageTest, EncodesAndDecodesWithReplacements)
{
    EXPECT_EQ(os::EncodeToCodePage("a" + Zhong + "b", 936), "a\xD6\xD0" "b");
    EXPECT_EQ(os::EncodeToCodePage(Zhong, 950), "\xA4\xA4");
    EXPECT_EQ(os::EncodeToCodePage("caf" + EAcute, 437), "caf\xE9");
    EXPECT_EQ(os::EncodeToCodePage("a" + Grinning + "b" + Zhong, 437), "a?b?");
    EXPECT_EQ(os::EncodeToCodePage("a\xE4\xB8" "b", 936), "a?b") << "a cut-off character is one \"?\"";

    EXPECT_EQ(os::DecodeFromCodePage("a\xD6\xD0\xCE\xC4", 936), "a" + Zhong + "\xE6\x96\x87");
    EXPECT_EQ(os::DecodeFromCodePage("\xA4\xA4", 950), Zhong);
    EXPECT_EQ(os::DecodeFromCodePage("caf\xE9", 437), "caf" + EAcute);
    EXPECT_EQ(os::DecodeFromCodePage("a\xD6", 936), "a" + Replacement) << "lead byte at the end";
    EXPECT_EQ(os::DecodeFromCodePage("\xFF" "a", 936), Replacement + "a");
    EXPECT_EQ(os::DecodeFromCodePage("\x81", 1252), Replacement) << "byte without a character";
    EXPECT_EQ(os::DecodeFromCodePage("a\xC0\x80" "b", 65001), "a" + Replacement + "b");

    for (int codePage : {936, 950, 65001})
        EXPECT_EQ(os::DecodeFromCodePage(os::EncodeToCodePage("Orvane " + Zhong, codePage), codePage), "Orvane " + Zhong)
            << codePage;
}

TEST(CodePageTest, TruncatesToWholeCharactersWithinTheByteLimit)
{
    std::string twelve;
    for (int i = 0; i < 12; ++i) twelve += Zhong;
    struct Case {
        std::string Text;
        int MaxBytes;
        int CodePage;
        std::string Expected;
    };
    const Case cases[] = {
        {twelve, 20, 936, twelve.substr(0, 30)},        // ten characters
        {twelve, 20, 950, twelve.substr(0, 30)},
        {"ab" + Zhong, 3, 936, "ab"},                   // never half a character
        {"ab" + Zhong, 4, 936, "ab" + Zhong},
        {"ab" + Zhong, 4, 65001, "ab"},
        {"caf" + EAcute + "s", 4, 437, "caf" + EAcute},
        {"abc", 0, 936, ""},
        {"abc", -1, 936, ""},
        {"abc", 10, 936, "abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(os::TruncateToCodePageBytes(c.Text, c.MaxBytes, c.CodePage), c.Expected)
            << c.Text << " / " << c.MaxBytes << " / " << c.CodePage;
}

TEST(CodePageTest, UnknownCodePagesRaise)
{
    EXPECT_EQ(os::CodePageCharset(437), "CP1252");
    EXPECT_EQ(os::CodePageCharset(0), "");
    for (int codePage : {0, -1, 99999}) {
        EXPECT_THROW(os::EncodeToCodePage("a", codePage), EConvertError) << codePage;
        EXPECT_THROW(os::DecodeFromCodePage("a", codePage), EConvertError) << codePage;
        EXPECT_THROW(os::CodePageByteLength("a", codePage), EConvertError) << codePage;
        EXPECT_THROW(os::TruncateToCodePageBytes("a", 1, codePage), EConvertError) << codePage;
    }
}

} // namespace
