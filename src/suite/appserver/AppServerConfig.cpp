#include "suite/appserver/AppServerConfig.h"

#include "platform/core/StringList.h"
#include "platform/core/SysUtils.h"
#include "platform/os/IniFile.h"
#include "platform/os/Library.h"
#include "platform/os/Paths.h"
#include "runtime/OrvaneINI.h"

namespace {

void AddFolder(std::vector<std::string>& folders, const std::string& folder)
{
    if (folder.empty()) return;
    const std::string f = os::IncludeTrailingPathDelimiter(os::NativePath(folder));
    for (const auto& known : folders)
        if (known == f) return;
    folders.push_back(f);
}

// The parent of a folder ending in "/", itself ending in "/".
std::string ParentFolder(const std::string& folder)
{
    return os::ExtractFilePath(os::ExcludeTrailingPathDelimiter(folder));
}

} // namespace

TAppServerConfig LoadAppServerConfig(const std::string& installFolder)
{
    TAppServerConfig config;
    std::string install = installFolder;
    if (install.empty()) {
        TOrvaneIniS reader;
        if (!reader.ErrorCode.empty() || reader.ServerPath.empty())
            throw EAppServerError("The application server's installation folder is not configured (registry value "
                                  "ServerPath of HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane)");
        install = reader.ServerPath;
    }
    install = os::IncludeTrailingPathDelimiter(os::NativePath(install));
    if (!os::DirectoryExists(install))
        throw EAppServerError("The installation folder '" + install + "' does not exist");
    config.InstallPath = install;
    config.IniFileName = install + "OrvaneS.ini";

    const os::TIniFile ini(config.IniFileName);
    config.DBType = UpperCase(Trim(ini.ReadString("DBE Setting", "MainDBType", "SQLITE")));
    if (config.DBType.empty()) config.DBType = "SQLITE";
    if (config.DBType == "POSTGRESQL")
        throw EAppServerError("The database type POSTGRESQL is not available yet; set MainDBType=SQLITE in " +
                              config.IniFileName);
    if (config.DBType != "SQLITE")
        throw EAppServerError("The database type '" + config.DBType + "' is not supported; set MainDBType=SQLITE in " +
                              config.IniFileName);
    const std::string dbName = Trim(ini.ReadString("DBE Setting", "MainDBName", ""));
    config.DataPath = dbName.empty() ? install : os::IncludeTrailingPathDelimiter(MakeAbsolutePath(dbName, install));
    if (!os::DirectoryExists(config.DataPath))
        throw EAppServerError("The database folder '" + config.DataPath + "' (MainDBName) does not exist");

    config.Port = ini.ReadInteger("Server Information", "ServerPort", 211);
    if (config.Port < 0 || config.Port > 65535)
        throw EAppServerError("The server port " + IntToStr(config.Port) + " is out of range");
    config.ListenAddress = Trim(ini.ReadString("Server Information", "ListenAddress", "127.0.0.1"));
    if (config.ListenAddress.empty()) config.ListenAddress = "127.0.0.1";

    TStringList lines;
    ini.ReadSectionValues("WorkDLLPath", lines);
    if (lines.Count() == 0) AddFolder(config.LibraryPaths, install + "S_PKG/");
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string line = lines[i];
        const std::size_t eq = line.find('=');
        const std::string value = Trim(eq == std::string::npos ? line : line.substr(eq + 1));
        if (!value.empty()) AddFolder(config.LibraryPaths, MakeAbsolutePath(value, install));
    }
    static const int anchor = 0;
    const std::string own = os::ModuleFileName(&anchor);
    if (!own.empty()) AddFolder(config.LibraryPaths, os::ExtractFilePath(own));
    const std::string exeDir = os::ExecutableDir();
    AddFolder(config.LibraryPaths, ParentFolder(exeDir) + "lib/");
    AddFolder(config.LibraryPaths, exeDir);
    return config;
}
