#pragma once
// File paths. The system writes paths with "\" (its texts and configuration
// files come from a platform that uses it); every function here accepts "\"
// and "/" alike and produces paths with the platform separator "/".
#include <string>
#include <string_view>

namespace os {

constexpr char PathDelim = '/';

inline bool IsPathDelimiter(char c) { return c == '/' || c == '\\'; }
// Replaces every "\" by "/".
std::string NativePath(std::string_view path);
// Appends "/" unless the path already ends in "/" or "\".
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
// Folder part including its final separator ("" when there is none).
std::string ExtractFilePath(std::string_view path);
std::string ExtractFileName(std::string_view path);
// Extension including its dot ("" when there is none).
std::string ExtractFileExt(std::string_view path);
std::string ChangeFileExt(std::string_view path, std::string_view ext);

bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);
// Creates the folder and any missing parents; true when it exists afterwards.
bool ForceDirectories(std::string_view path);
// Appends the bytes to the file, creating it when absent; false on failure.
bool AppendToFile(std::string_view path, std::string_view bytes);
// The whole file, or false when it cannot be read.
bool ReadFileBytes(std::string_view path, std::string& bytes);

// The running executable's full file name and folder (with its separator).
std::string ExecutableFileName();
std::string ExecutableDir();

} // namespace os
