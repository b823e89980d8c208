#include "runtime/OrvaneINI.h"

#include <cctype>

#include "platform/core/SysUtils.h"
#include "platform/os/IniFile.h"
#include "platform/os/Paths.h"
#include "platform/os/Registry.h"
#include "platform/os/System.h"
#include "runtime/MoxenGeneratorU.h"

const TClassInfo& TOrvaneIniC::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TOrvaneIniC>("TOrvaneIniC", TObject::StaticClass()).Build();
    return info;
}

const TClassInfo& TOrvaneIniS::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TOrvaneIniS>("TOrvaneIniS", TObject::StaticClass()).Build();
    return info;
}

namespace {

// A drive letter with colon, or a UNC prefix (two separators of one kind).
bool HasDrivePart(const std::string& value)
{
    if (value.size() < 2) return false;
    if (std::isalpha(static_cast<unsigned char>(value[0])) && value[1] == ':') return true;
    return os::IsPathDelimiter(value[0]) && value[1] == value[0];
}

// The login name as the original 32-byte buffer holds it: a name of more
// than 31 bytes does not fit and reads as empty.
std::string ProfileUserName()
{
    std::string name = os::GetUserName();
    if (name.size() > 31) name.clear();
    return name;
}

bool IsTrueText(const std::string& text)
{
    const std::string s = UpperCase(text);
    return s == "1" || s == "Y" || s == "YES" || s == "TRUE";
}

// Conversion kinds of the code converter: 2 GB -> Big5, 1 Big5 -> GB, 4 a
// simplified-Chinese interface on a traditional-Chinese system (no text is
// converted). DBConvertType is the direction from database to interface.
template <class T>
void ComputeConvertTypes(T& r)
{
    if (r.UICodePage == "950") r.UIConvertType = 2;
    else if (r.UICodePage == "936" && r.SysCodePage == "950") r.UIConvertType = 4;
    else r.UIConvertType = 0;

    if (r.UICodePage == "950" && r.DBCodePage == "936") r.DBConvertType = 2;
    else if (r.UICodePage == "936" && r.DBCodePage == "950") r.DBConvertType = 1;
    else r.DBConvertType = 0;
}

// Resets the fields both readers share and derives the code pages from the
// system code page.
template <class T>
void ResetCommon(T& r, std::string& installPath)
{
    r.ErrorCode.clear();
    installPath.clear();
    r.ProfilePath.clear();
    r.ProfileType = "0";
    r.UserName = "Default";
    r.UICodePage = r.DBCodePage = "936";

    r.SysCodePage = std::to_string(os::GetACP());
    if (r.SysCodePage != "936" && r.SysCodePage != "950") r.SysCodePage = r.UICodePage = "437";
    r.UICodePage = r.SysCodePage;

    r.SupportCallBack = false;
    r.IniFileName.clear();
    ComputeConvertTypes(r);

    r.WorkDLLPath.Clear();
    r.Version.clear();
}

// Reads the installation path and profile type from the registry and finds
// the configuration file. False (reading stops) when the key cannot be
// opened (ErrorCode "E;000015") or the installation path is empty.
template <class T>
bool LocateConfigFile(T& r, std::string& installPath, const char* pathValue, const char* fileName)
{
    os::TRegistry reg("HKEY_LOCAL_MACHINE");
    if (!reg.OpenKeyReadOnly(OrvaneRegistryKey)) {
        r.ErrorCode = "E;000015";
        return false;
    }
    installPath = reg.ReadString(pathValue);
    r.ProfileType = reg.ReadString("ProfileType");
    reg.CloseKey();
    if (installPath.empty()) return false;
    installPath = os::IncludeTrailingPathDelimiter(installPath);

    if (r.ProfileType.empty() || r.ProfileType == "0") {
        r.ProfilePath = installPath;
    } else {
        const std::string user = ProfileUserName();
        r.ProfilePath = installPath + "Profile/" + user + "/";
        r.UserName = user;
    }

    // A per-user profile without its own file falls back to the shared one.
    r.IniFileName = r.ProfilePath + fileName;
    if (!os::FileExists(r.IniFileName)) {
        r.ProfilePath = installPath;
        r.IniFileName = installPath + fileName;
    }
    return true;
}

// Turns the "name=value" lines of [WorkDLLPath] into absolute folders, or
// gives the one default folder when the section is empty.
void ResolveWorkDLLPath(TStringList& list, const std::string& installPath, const char* defaultFolder)
{
    if (list.Count() == 0) {
        list.Add(installPath + defaultFolder);
        return;
    }
    for (int i = 0; i < list.Count(); ++i) {
        const std::string value = list.Values(list.Names(i));
        // An empty value names the installation folder itself; appending the
        // separator first would turn it into the root folder "/".
        list.Put(i, value.empty() ? installPath
                                  : MakeAbsolutePath(os::IncludeTrailingPathDelimiter(value), installPath));
    }
}

} // namespace

std::string MakeAbsolutePath(const std::string& Value, const std::string& Base)
{
    if (HasDrivePart(Value) || (!Value.empty() && Value[0] == '/')) return Value;
    if (!Value.empty() && Value[0] == '\\') return Base + os::NativePath(std::string_view(Value).substr(1));
    return Base + os::NativePath(Value);
}

// ---------------------------------------------------------------------------
// Client

TOrvaneIniC::TOrvaneIniC()
{
    LoadConfig();
}

TOrvaneIniC::~TOrvaneIniC() = default;

bool TOrvaneIniC::LoadConfig()
{
    try {
        ResetCommon(*this, ClientPath);
        ServerList = Unassigned();
        LangType.clear();
        CreateGifBeforeSendEF.clear();
        AutoCheckNewMsg.clear();
        CheckInterval.clear();
        PopupMsg.clear();
        LoginCheck.clear();

        if (!LocateConfigFile(*this, ClientPath, "ClientPath", "OrvaneC.ini")) return false;

        const os::TIniFile ini(IniFileName);
        LangType = ini.ReadString("Client Components", "LangType", "ENG");
        Version = ini.ReadString("ProductVersion", "Version", "");
        CreateGifBeforeSendEF = ini.ReadString("UserDefine", "CreateGifBeforeSendEF", "Y");
        UICodePage = ini.ReadString("CodePage", "UICodePage", SysCodePage);
        DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");
        const std::string callBack = ini.ReadString("Server Information", "SupportCallBack", "0");
        const std::string computers = ini.ReadString("Server Information", "ComputerName", "127.0.0.1");
        const int port = ini.ReadInteger("Server Information", "ServerPort", 211);
        ini.ReadSectionValues("WorkDLLPath", WorkDLLPath);
        AutoCheckNewMsg = ini.ReadString("TaskMessageCenter Setting", "AutoCheckNewMsg", "1");
        CheckInterval = ini.ReadString("TaskMessageCenter Setting", "CheckInterval", "1");
        PopupMsg = ini.ReadString("TaskMessageCenter Setting", "PopupMsg", "1");
        LoginCheck = ini.ReadString("TaskMessageCenter Setting", "LoginCheck", "0");

        SupportCallBack = IsTrueText(callBack);
        ComputeConvertTypes(*this);

        std::string hosts = Trim(computers);
        if (!hosts.empty() && hosts.back() == ';') hosts.pop_back();
        if (hosts.empty()) {
            ErrorCode = "E;000016";
            return false;
        }
        // One column per host, in the order written; hosts are kept as
        // written between the separators.
        ServerList = VarArrayCreate({0, 1, 0, 0});
        int k = 0;
        std::size_t start = 0;
        for (;;) {
            const std::size_t sep = hosts.find(';', start);
            if (k > 0) VarArrayRedim(ServerList, k);
            ServerList(0, k) = hosts.substr(start, sep == std::string::npos ? std::string::npos : sep - start);
            ServerList(1, k) = port;
            if (sep == std::string::npos) break;
            start = sep + 1;
            ++k;
        }

        ResolveWorkDLLPath(WorkDLLPath, ClientPath, "C_PKG/");
        return true;
    } catch (...) {
        return false;
    }
}

// ---------------------------------------------------------------------------
// Server

TOrvaneIniS::TOrvaneIniS()
{
    LoadConfig();
}

TOrvaneIniS::~TOrvaneIniS() = default;

bool TOrvaneIniS::LoadConfig()
{
    try {
        ResetCommon(*this, ServerPath);
        DBInfo = Unassigned();
        DBKind = 0;
        SystemControlAddress.clear();
        OtherSystemControlAddress.clear();

        if (!LocateConfigFile(*this, ServerPath, "ServerPath", "OrvaneS.ini")) return false;

        const os::TIniFile ini(IniFileName);
        const char* const dbe = "DBE Setting";
        const char* const pwd = "DBPasswordCtrl";
        Version = ini.ReadString("ProductVersion", "Version", "");
        UICodePage = ini.ReadString("CodePage", "UICodePage", SysCodePage);
        DBCodePage = ini.ReadString("CodePage", "DBCodePage", "936");

        DBInfo = VarArrayCreate({0, 3, 0, 7});
        Variant& db = DBInfo;
        db(0, 0) = ini.ReadString(dbe, "MainAlias", "Pavok");
        db(0, 1) = ini.ReadString(dbe, "MainUserName", "sa");
        db(0, 2) = DecodeSQLSa(ini.ReadString(dbe, "XXXXXX", ""));
        db(0, 3) = ini.ReadString(dbe, "MainDBType", "MSSQL");
        db(0, 4) = ini.ReadString(dbe, "MainDBName", "");
        const std::string mainServer = ini.ReadString(dbe, "MainServerName", "");
        db(0, 5) = mainServer;
        SystemControlAddress = ini.ReadString(dbe, "SystemControlAddress", "");
        if (Trim(SystemControlAddress).empty()) SystemControlAddress = mainServer;
        OtherSystemControlAddress = ini.ReadString(dbe, "OtherSystemControlAddress", "");
        if (Trim(OtherSystemControlAddress).empty()) OtherSystemControlAddress = mainServer;
        db(0, 6) = ini.ReadInteger(dbe, "MainConnectionTimeOut", 300);
        db(0, 7) = ini.ReadInteger(dbe, "MainCommandTimeOut", 3000);

        db(1, 0) = ini.ReadString(dbe, "TempAlias", "PavokTemp");
        db(1, 1) = ini.ReadString(dbe, "TempUserName", "sa");
        db(1, 2) = DecodeSQLSa(ini.ReadString(dbe, "TempPassword", ""));
        db(1, 3) = ini.ReadString(dbe, "TempDBType", "PARADOX");
        db(1, 4) = ini.ReadString(dbe, "TempDBName", "");
        db(1, 5) = ini.ReadString(dbe, "TempDriverName", "PostgreSQL");
        db(1, 6) = ini.ReadInteger(dbe, "TempConnectionTimeOut", 300);
        db(1, 7) = ini.ReadInteger(dbe, "TempCommandTimeOut", 3000);

        db(2, 0) = Trim(ini.ReadString(pwd, "ComputerName", ""));
        db(2, 1) = ini.ReadInteger(pwd, "ServerPort", 211);
        db(2, 2) = ini.ReadInteger(pwd, "ClientSocketPort", 1024);
        const std::string callBack = ini.ReadString(pwd, "SupportCallBack", "0");
        db(2, 3) = ini.ReadString(dbe, "DataBaseCodeOrder", "Chinese_Taiwan_Stroke_BIN");

        db(3, 0) = ini.ReadString(dbe, "EctAlias", "EDIDATA");
        db(3, 1) = ini.ReadString(dbe, "EctUserName", "sa");
        db(3, 2) = ini.ReadString(dbe, "EctPassword", "");

        ini.ReadSectionValues("WorkDLLPath", WorkDLLPath);

        const std::string mainType = db(0, 3).AsString();
        if (SameText(mainType, "ORACLE")) DBKind = 1;
        else if (SameText(mainType, "DB2")) DBKind = 2;
        else DBKind = 0;

        SupportCallBack = IsTrueText(callBack);
        ComputeConvertTypes(*this);
        ResolveWorkDLLPath(WorkDLLPath, ServerPath, "S_PKG/");
        return true;
    } catch (...) {
        return false;
    }
}

void TOrvaneIniS::GetWorkDLLPaths(TStringList& Paths) const
{
    Paths.Assign(WorkDLLPath);
}
