#pragma once
// Helpers shared by the test programs: a temporary folder removed at the end
// of the test, file writing, and an environment variable set for one test.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir()
    {
        std::random_device rd;
        FPath = std::filesystem::temp_directory_path() / ("orvane-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(FPath);
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(FPath, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The folder with a trailing "/".
    std::string Path() const { return FPath.string() + "/"; }
    std::string File(const std::string& name) const { return (FPath / name).string(); }

private:
    std::filesystem::path FPath;
};

inline void WriteFile(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : FName(name)
    {
        if (const char* old = std::getenv(name)) FOld = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (FOld) setenv(FName, FOld->c_str(), 1);
        else unsetenv(FName);
    }

private:
    const char* FName;
    std::optional<std::string> FOld;
};

} // namespace testsupport
