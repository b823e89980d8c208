#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/os/Paths.h"
#include "platform/os/System.h"

using namespace testsupport;

namespace {

TEST(PathsTest, SplitsPathsAtEitherSeparator)
{
    struct Case {
        const char* Path;
        const char* FilePath;
        const char* FileName;
        const char* FileExt;
    };
    const Case cases[] = {
        {"C:\\Orvane\\Log\\a.log", "C:\\Orvane\\Log\\", "a.log", ".log"},
        {"/opt/orvane/bin/host", "/opt/orvane/bin/", "host", ""},
        {"mixed/dir.d\\file", "mixed/dir.d\\", "file", ""},
        {"archive.tar.gz", "", "archive.tar.gz", ".gz"},
        {"folder/", "folder/", "", ""},
        {"", "", "", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(os::ExtractFilePath(c.Path), c.FilePath) << c.Path;
        EXPECT_EQ(os::ExtractFileName(c.Path), c.FileName) << c.Path;
        EXPECT_EQ(os::ExtractFileExt(c.Path), c.FileExt) << c.Path;
    }
    EXPECT_EQ(os::ChangeFileExt("dir.d\\QTVB58C.dll", ".so"), "dir.d\\QTVB58C.so");
    EXPECT_EQ(os::ChangeFileExt("dir.d/Kvlanguage", ".so"), "dir.d/Kvlanguage.so");
    EXPECT_EQ(os::NativePath("C:\\Orvane\\Log/x"), "C:/Orvane/Log/x");
    EXPECT_EQ(os::IncludeTrailingPathDelimiter("a"), "a/");
    EXPECT_EQ(os::IncludeTrailingPathDelimiter("a\\"), "a\\");
    EXPECT_EQ(os::IncludeTrailingPathDelimiter(""), "/");
    EXPECT_EQ(os::ExcludeTrailingPathDelimiter("a\\"), "a");
    EXPECT_EQ(os::ExcludeTrailingPathDelimiter("/"), "/");
}

TEST(PathsTest, CreatesAppendsAndReadsFiles)
{
    TempDir dir;
    const std::string folder = dir.Path() + "Log\\2024\\05";
    ASSERT_TRUE(os::ForceDirectories(folder));
    EXPECT_TRUE(os::DirectoryExists(dir.Path() + "Log/2024/05"));
    EXPECT_TRUE(os::ForceDirectories(folder)) << "an existing folder is fine";

    const std::string file = folder + "\\alert.log";
    EXPECT_FALSE(os::FileExists(file));
    ASSERT_TRUE(os::AppendToFile(file, "one\r\n"));
    ASSERT_TRUE(os::AppendToFile(file, "two\r\n"));
    EXPECT_TRUE(os::FileExists(file));
    EXPECT_FALSE(os::DirectoryExists(file));
    EXPECT_FALSE(os::FileExists(folder));

    std::string bytes = "untouched";
    ASSERT_TRUE(os::ReadFileBytes(file, bytes));
    EXPECT_EQ(bytes, "one\r\ntwo\r\n");

    bytes = "untouched";
    EXPECT_FALSE(os::ReadFileBytes(dir.File("missing"), bytes));
    EXPECT_FALSE(os::ReadFileBytes(folder, bytes));
    EXPECT_EQ(bytes, "untouched");

    WriteFile(dir.File("plain"), "x");
    EXPECT_FALSE(os::ForceDirectories(dir.File("plain") + "/sub")) << "a file is in the way";
    EXPECT_FALSE(os::AppendToFile(dir.File("plain") + "/sub/f", "x"));
    EXPECT_FALSE(os::ForceDirectories(""));
}

TEST(PathsTest, ExecutableFileNameIsThisProgram)
{
    const std::string exe = os::ExecutableFileName();
    EXPECT_EQ(os::ExtractFileName(exe), "test_platform_os");
    EXPECT_TRUE(os::FileExists(exe));
    EXPECT_EQ(os::ExecutableDir(), os::ExtractFilePath(exe));
    EXPECT_EQ(os::ExecutableDir().back(), '/');
}

TEST(SystemTest, TempPathFollowsTmpdirWithTrailingSeparator)
{
    {
        ScopedEnv env("TMPDIR", "/var/tmp/orvane");
        EXPECT_EQ(os::GetTempPath(), "/var/tmp/orvane/");
    }
    {
        ScopedEnv env("TMPDIR", "/var/tmp/");
        EXPECT_EQ(os::GetTempPath(), "/var/tmp/");
    }
    ScopedEnv env("TMPDIR", "");
    EXPECT_EQ(os::GetTempPath(), "/tmp/");
}

TEST(SystemTest, MachineAndUserNames)
{
    const std::string computer = os::GetComputerName();
    EXPECT_FALSE(computer.empty());
    EXPECT_LE(computer.size(), 15u);
    EXPECT_EQ(computer.find('.'), std::string::npos);

    // The login name comes from the user database; $USER is only the
    // fallback, so setting it must not change the answer when the database
    // knows the user.
    const std::string user = os::GetUserName();
    ScopedEnv env("USER", "someone-else");
    EXPECT_EQ(os::GetUserName(), user.empty() ? "someone-else" : user);

    ScopedEnv var("ORVANE_TEST_VARIABLE", "value");
    EXPECT_EQ(os::GetEnvironmentVariable("ORVANE_TEST_VARIABLE"), "value");
    EXPECT_EQ(os::GetEnvironmentVariable("ORVANE_TEST_UNSET_VARIABLE"), "");
}

} // namespace
