#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/core/StringList.h"
#include "platform/os/Paths.h"
#include "platform/os/Registry.h"

using namespace testsupport;

namespace {

const char* const OrvaneKey = "Software\\KVT\\Orvane";

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() : File(Dir.File("registry.ini")), Env("ORVANE_REGISTRY", File) {}
    void Write(const std::string& text) { WriteFile(File, text); }

    TempDir Dir;
    std::string File;
    ScopedEnv Env;
};

TEST_F(RegistryTest, OpensKeysWrittenInAnySpellingAndReadsValues)
{
    Write("[hkey_local_machine/SOFTWARE/kvt/orvane/]\n"
          "ClientPath=\"C:\\Orvane Client\\\"\n"
          "Quoted='kept'\n"
          "ProfileType=1\n"
          "NoValue\n"
          "[HKEY_CURRENT_USER\\Software\\KVT\\Orvane]\n"
          "ClientPath=user\n");
    os::TRegistry reg;
    EXPECT_EQ(reg.ReadString("ClientPath"), "") << "no key open yet";
    ASSERT_TRUE(reg.OpenKeyReadOnly(OrvaneKey));
    EXPECT_TRUE(reg.IsOpen());
    EXPECT_EQ(reg.ReadString("clientpath"), "C:\\Orvane Client\\");
    EXPECT_EQ(reg.ReadString("Quoted"), "'kept'");
    EXPECT_TRUE(reg.ValueExists("PROFILETYPE"));
    EXPECT_FALSE(reg.ValueExists("NoValue"));
    EXPECT_EQ(reg.ReadString("Missing"), "");
    TStringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(names.ToVector(), (std::vector<std::string>{"ClientPath", "Quoted", "ProfileType"}));

    reg.CloseKey();
    EXPECT_FALSE(reg.IsOpen());
    EXPECT_EQ(reg.ReadString("ClientPath"), "");

    os::TRegistry user("HKEY_CURRENT_USER");
    ASSERT_TRUE(user.OpenKeyReadOnly("\\Software\\KVT\\Orvane"));
    EXPECT_EQ(user.ReadString("ClientPath"), "user");
}

TEST_F(RegistryTest, ParentKeysExistAndRelativeKeysOpenBelowTheOpenKey)
{
    Write("[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nA=1\n");
    os::TRegistry reg;
    EXPECT_TRUE(reg.KeyExists("Software\\KVT"));
    EXPECT_FALSE(reg.KeyExists("Software\\KV")) << "a prefix of a part is no parent";
    EXPECT_FALSE(reg.KeyExists("Software\\KVT\\Orvane\\Sub"));

    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\KVT"));
    EXPECT_FALSE(reg.ValueExists("A"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("Orvane"));
    EXPECT_EQ(reg.CurrentPath(), OrvaneKey);
    EXPECT_EQ(reg.ReadString("A"), "1");

    EXPECT_FALSE(reg.OpenKeyReadOnly("Nothing"));
    EXPECT_EQ(reg.ReadString("A"), "1") << "a failed open keeps the open key";
}

TEST_F(RegistryTest, ReadsTheFileAgainOnEveryOpen)
{
    os::TRegistry reg;
    EXPECT_FALSE(reg.OpenKeyReadOnly(OrvaneKey)) << "no file yet";

    Write("[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nClientPath=/one\n");
    ASSERT_TRUE(reg.OpenKeyReadOnly(OrvaneKey));
    EXPECT_EQ(reg.ReadString("ClientPath"), "/one");

    Write("[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nClientPath=/two\n");
    EXPECT_EQ(reg.ReadString("ClientPath"), "/one") << "an open key keeps what it read";
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKeyReadOnly(OrvaneKey));
    EXPECT_EQ(reg.ReadString("ClientPath"), "/two");
}

TEST_F(RegistryTest, SystemCodePageDefaultsTo936UnlessAPositiveNumberIsSet)
{
    EXPECT_EQ(os::GetACP(), 936) << "no registry file";
    struct Case {
        const char* Value;
        int Expected;
    };
    const Case cases[] = {{"950", 950}, {" 437 ", 437}, {"\"1252\"", 1252}, {"0", 936},
                          {"-5", 936},  {"abc", 936},   {"950x", 936},      {"", 936}};
    for (const auto& c : cases) {
        Write(std::string("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\nACP=") + c.Value +
              "\n");
        EXPECT_EQ(os::GetACP(), c.Expected) << c.Value;
    }
}

// A registry file saved in the system code page it names is read in it.
TEST_F(RegistryTest, NonUtf8RegistryFileIsReadInTheCodePageItNames)
{
    Write("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\nACP=950\n"
          "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\nClientPath=/opt/\xA4\xA4\n"); // 中 in Big5
    EXPECT_EQ(os::GetACP(), 950);
    os::TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(OrvaneKey));
    EXPECT_EQ(reg.ReadString("ClientPath"), "/opt/\xE4\xB8\xAD");
}

TEST(RegistryFileNameTest, DefaultsToRegistryIniBesideTheExecutable)
{
    {
        ScopedEnv env("ORVANE_REGISTRY", "/etc/orvane/reg.ini");
        EXPECT_EQ(os::RegistryFileName(), "/etc/orvane/reg.ini");
    }
    ScopedEnv env("ORVANE_REGISTRY", "");
    EXPECT_EQ(os::RegistryFileName(), os::ExecutableDir() + "registry.ini");
}

} // namespace
