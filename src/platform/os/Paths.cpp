#include "platform/os/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace os {

namespace {

// Position of the last separator, or npos.
std::size_t LastDelimiter(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathDelimiter(path[i - 1])) return i - 1;
    return std::string_view::npos;
}

bool StatPath(std::string_view path, struct stat& st)
{
    if (path.empty()) return false;
    const std::string native = NativePath(path);
    return ::stat(native.c_str(), &st) == 0;
}

} // namespace

std::string NativePath(std::string_view path)
{
    std::string r(path);
    std::replace(r.begin(), r.end(), '\\', '/');
    return r;
}

std::string IncludeTrailingPathDelimiter(std::string_view path)
{
    std::string r(path);
    if (r.empty() || !IsPathDelimiter(r.back())) r += PathDelim;
    return r;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path)
{
    // The root folder "/" keeps its separator: without it the path would
    // name the current folder instead.
    if (path.size() > 1 && IsPathDelimiter(path.back())) path.remove_suffix(1);
    return std::string(path);
}

std::string ExtractFilePath(std::string_view path)
{
    const std::size_t p = LastDelimiter(path);
    return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string ExtractFileName(std::string_view path)
{
    const std::size_t p = LastDelimiter(path);
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string ExtractFileExt(std::string_view path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t delim = LastDelimiter(path);
    if (dot == std::string_view::npos || (delim != std::string_view::npos && dot < delim)) return {};
    return std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    const std::string current = ExtractFileExt(path);
    std::string r(path.substr(0, path.size() - current.size()));
    r += ext;
    return r;
}

bool FileExists(std::string_view path)
{
    struct stat st{};
    return StatPath(path, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(std::string_view path)
{
    struct stat st{};
    return StatPath(path, st) && S_ISDIR(st.st_mode);
}

bool ForceDirectories(std::string_view path)
{
    if (path.empty()) return false;
    const std::string native = NativePath(path);
    std::error_code ec;
    std::filesystem::create_directories(native, ec);
    return DirectoryExists(native);
}

bool AppendToFile(std::string_view path, std::string_view bytes)
{
    if (path.empty()) return false;
    const std::string native = NativePath(path);
    const int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = true;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) ok = false;
    return ok;
}

bool ReadFileBytes(std::string_view path, std::string& bytes)
{
    if (path.empty()) return false;
    const std::string native = NativePath(path);
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    std::string data;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false; // a folder opens but cannot be read
            break;
        }
        if (n == 0) break;
        data.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (ok) bytes = std::move(data);
    return ok;
}

std::string ExecutableFileName()
{
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ExecutableDir() { return ExtractFilePath(ExecutableFileName()); }

} // namespace os
