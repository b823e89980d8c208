#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/core/StringList.h"
#include "platform/os/IniFile.h"

using namespace testsupport;

namespace {

// A profile with the layouts real files have: comments, blanks around
// names and values, quoted values, repeated keys and sections, keys
// without "=", and lines before the first section.
const char* const SampleIni =
    "orphan=before any section\r\n"
    "; a comment\r\n"
    "[Database]\r\n"
    "  Server = db01  \r\n"
    "Name=\"  quoted keeps inner blanks  \"\r\n"
    "Single='x'\r\n"
    "Mismatched=\"abc'\r\n"
    "Server=second wins never\r\n"
    "SERVER=third\r\n"
    ";Commented=1\r\n"
    "Flag\r\n"
    "Empty=\r\n"
    "Expr=a=b\r\n"
    "\r\n"
    "[ Paths ]\n"
    "Log=C:\\Orvane\\Log\n"
    "[Broken\n"
    "Lost=goes to Paths\n"
    "[database]\n"
    "Server=from repeated section\n"
    "Extra=1\n";

class IniFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes)
    {
        const std::string path = Dir.File("sample.ini");
        WriteFile(path, bytes);
        return path;
    }
    TempDir Dir;
};

TEST_F(IniFileTest, ReadsValuesWithProfileRules)
{
    const os::TIniFile ini(Write(SampleIni));
    ASSERT_TRUE(ini.FileFound());
    struct Case {
        const char* Section;
        const char* Key;
        const char* Expected;
    };
    const Case cases[] = {
        {"Database", "Server", "db01"},           // trimmed, first duplicate wins
        {"DATABASE", "server", "db01"},           // case-insensitive
        {"Database", "Name", "  quoted keeps inner blanks  "},
        {"Database", "Single", "x"},
        {"Database", "Mismatched", "\"abc'"},
        {"Database", "Empty", ""},
        {"Database", "Expr", "a=b"},              // split at the first "="
        {"Database", "Flag", "dflt"},             // no "=": no value
        {"Database", "Commented", "dflt"},
        {"Database", "Extra", "dflt"},            // only in the repeated section
        {"Database", "Missing", "dflt"},
        {"Paths", "Log", "C:\\Orvane\\Log"},      // section name was blank-padded
        {"Paths", "Lost", "goes to Paths"},       // "[Broken" is no header
        {"Missing", "Server", "dflt"},
        {"", "orphan", "dflt"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, "dflt"), c.Expected) << c.Section << "/" << c.Key;

    EXPECT_TRUE(ini.SectionExists("paths"));
    EXPECT_FALSE(ini.SectionExists("Broken"));
    EXPECT_TRUE(ini.ValueExists("Database", "Flag"));
    EXPECT_FALSE(ini.ValueExists("Database", "Commented"));
}

TEST_F(IniFileTest, ListsSectionsKeysAndValuesInFileOrderOnce)
{
    const os::TIniFile ini(Write(SampleIni));
    TStringList list{"stale"};
    ini.ReadSections(list);
    EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"Database", "Paths"}));

    ini.ReadSection("database", list);
    EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"Server", "Name", "Single", "Mismatched", "Flag", "Empty", "Expr"}));

    ini.ReadSectionValues("Database", list);
    EXPECT_EQ(list.ToVector(), (std::vector<std::string>{"Server=db01", "Name=  quoted keeps inner blanks  ", "Single=x",
                                                         "Mismatched=\"abc'", "Flag=", "Empty=", "Expr=a=b"}));
    EXPECT_EQ(list.Values("server"), "db01");

    ini.ReadSection("Missing", list);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(IniFileTest, IntegersAndBooleansFallBackToTheDefaultUnlessTheWholeValueIsANumber)
{
    const os::TIniFile ini(Write("[N]\n"
                                 "dec= 42 \n"
                                 "neg=-7\n"
                                 "dollar=$1F\n"
                                 "hex=0x10\n"
                                 "quoted=\" 5 \"\n"
                                 "suffix=12abc\n"
                                 "words=abc\n"
                                 "blank=\n"
                                 "inner=1 2\n"
                                 "huge=99999999999\n"
                                 "zero=0\n"));
    struct Case {
        const char* Key;
        int Expected;
    };
    const Case cases[] = {{"dec", 42},      {"neg", -7},      {"dollar", 31},  {"hex", 16},
                          {"quoted", 5},    {"suffix", -1},   {"words", -1},   {"blank", -1},
                          {"inner", -1},    {"huge", -1},     {"zero", 0},     {"absent", -1}};
    for (const auto& c : cases) EXPECT_EQ(ini.ReadInteger("n", c.Key, -1), c.Expected) << c.Key;

    EXPECT_FALSE(ini.ReadBool("N", "zero", true));
    EXPECT_TRUE(ini.ReadBool("N", "neg", false));
    EXPECT_TRUE(ini.ReadBool("N", "words", true));
    EXPECT_FALSE(ini.ReadBool("N", "words", false));
    EXPECT_TRUE(ini.ReadBool("N", "absent", true));
}

TEST_F(IniFileTest, MissingOrMalformedFilesReadAsEmpty)
{
    const os::TIniFile missing(Dir.File("none.ini"));
    EXPECT_FALSE(missing.FileFound());
    EXPECT_EQ(missing.ReadString("A", "B", "d"), "d");
    EXPECT_EQ(missing.ReadInteger("A", "B", 3), 3);

    const os::TIniFile folder(Dir.Path());
    EXPECT_FALSE(folder.FileFound());

    std::string garbage = "[\x01\xFF]\n=\n==\n[]\n]x[\n[A]\n\xC0\x80=\xFE\n";
    garbage += std::string("k\0v=1\n", 6);
    for (int i = 0; i < 256; ++i) garbage += static_cast<char>(i);
    const os::TIniFile ini(Write(garbage));
    EXPECT_TRUE(ini.FileFound());
    EXPECT_EQ(ini.ReadString("A", "missing", "d"), "d");
    TStringList sections;
    ini.ReadSections(sections);
    EXPECT_GE(sections.Count(), 1);
}

TEST_F(IniFileTest, SkipsTheByteOrderMark)
{
    const os::TIniFile ini(Write("\xEF\xBB\xBF[First]\nKey=\xE4\xB8\xAD\xE6\x96\x87\n"));
    EXPECT_EQ(ini.ReadString("First", "Key", ""), "\xE4\xB8\xAD\xE6\x96\x87"); // 中文
}

// A file that is not UTF-8 is read in the system code page named by the
// registry (936 when the registry says nothing).
TEST_F(IniFileTest, DecodesNonUtf8FilesFromTheSystemCodePage)
{
    const std::string zhong = "\xE4\xB8\xAD"; // 中: D6D0 in GBK, A4A4 in Big5
    const std::string gbkFile = "[\xD6\xD0]\nKey=\xD6\xD0\xCE\xC4\n"; // [中] Key=中文
    const std::string big5File = "[Sec]\nKey=\xA4\xA4\n";

    {
        ScopedEnv env("ORVANE_REGISTRY", Dir.File("no-registry.ini"));
        const os::TIniFile ini(Write(gbkFile));
        EXPECT_EQ(ini.ReadString(zhong, "key", ""), zhong + "\xE6\x96\x87");
    }
    {
        const std::string registry = Dir.File("registry.ini");
        WriteFile(registry, "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\nACP=950\n");
        ScopedEnv env("ORVANE_REGISTRY", registry);
        const os::TIniFile ini(Write(big5File));
        EXPECT_EQ(ini.ReadString("Sec", "Key", ""), zhong);
    }
}

} // namespace
