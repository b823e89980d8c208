#include "platform/os/System.h"

#include <pwd.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/os/Paths.h"

namespace os {

namespace {

// The longest prefix of at most maxBytes bytes that does not cut a UTF-8
// sequence in two.
std::string CutAtCharBoundary(std::string s, std::size_t maxBytes)
{
    if (s.size() <= maxBytes) return s;
    std::size_t n = maxBytes;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
    s.resize(n);
    return s;
}

} // namespace

std::string GetComputerName()
{
    // The computer's name is the host's short name: a network name of at
    // most 15 characters, without any domain part.
    char buffer[HOST_NAME_MAX + 1] = {};
    if (::gethostname(buffer, sizeof buffer - 1) != 0) return "Unknown";
    std::string name(buffer);
    if (const auto dot = name.find('.'); dot != std::string::npos) name.resize(dot);
    name = CutAtCharBoundary(std::move(name), 15);
    return name.empty() ? "Unknown" : name;
}

std::string GetUserName()
{
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0) size = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(size));
    struct passwd pw{};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name &&
        *found->pw_name)
        return found->pw_name;
    return GetEnvironmentVariable("USER");
}

std::string GetTempPath()
{
    std::string dir = GetEnvironmentVariable("TMPDIR");
    if (dir.empty()) dir = "/tmp";
    return IncludeTrailingPathDelimiter(NativePath(dir));
}

std::string GetEnvironmentVariable(std::string_view name)
{
    const std::string key(name);
    if (key.empty()) return {};
    const char* value = std::getenv(key.c_str());
    return value ? std::string(value) : std::string();
}

} // namespace os
