#include "runtime/OrvaneINI.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "platform/os/System.h"
#include "runtime/MoxenGeneratorU.h"

using namespace testsupport;

namespace {

using HostList = std::vector<std::pair<std::string, int>>;

// The columns of a ServerList as (host, port) pairs; checks the bounds.
HostList Hosts(const Variant& list)
{
    HostList hosts;
    if (list.IsEmpty()) return hosts;
    EXPECT_EQ(VarArrayDimCount(list), 2);
    EXPECT_EQ(VarArrayLowBound(list, 1), 0);
    EXPECT_EQ(VarArrayHighBound(list, 1), 1);
    EXPECT_EQ(VarArrayLowBound(list, 2), 0);
    for (int k = 0; k <= VarArrayHighBound(list, 2); ++k) hosts.emplace_back(list(0, k).AsString(), list(1, k).AsInteger());
    return hosts;
}

// A temporary installation with its own registry file.
class OrvaneIniFixture : public ::testing::Test {
protected:
    TempDir Dir;
    ScopedEnv Registry{"ORVANE_REGISTRY", Dir.File("registry.ini")};
    // Installation folder as the reader reports it (with its separator).
    const std::string Install = Dir.Path() + "install/";

    // Writes the registry: the system code page and, unless orvaneKey is
    // false, the installation key with the given value lines.
    void SetRegistry(const std::string& values, int acp = 936, bool orvaneKey = true)
    {
        std::string text = "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Nls\\CodePage]\nACP=" +
                           std::to_string(acp) + "\n";
        if (orvaneKey) text += "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\n" + values;
        WriteFile(Dir.File("registry.ini"), text);
    }
    // Both installation paths point at Install, written without the
    // trailing separator the reader adds.
    void SetInstallation(const std::string& extra = "", int acp = 936)
    {
        const std::string path = Install.substr(0, Install.size() - 1);
        SetRegistry("ClientPath=" + path + "\nServerPath=" + path + "\n" + extra, acp);
    }
    void WriteClientIni(const std::string& text) { WriteFile(Install + "OrvaneC.ini", text); }
    void WriteServerIni(const std::string& text) { WriteFile(Install + "OrvaneS.ini", text); }
};

using OrvaneIniClient = OrvaneIniFixture;
using OrvaneIniServer = OrvaneIniFixture;
using OrvaneIniBoth = OrvaneIniFixture;

} // namespace

// ---------------------------------------------------------------------------
// Client

TEST_F(OrvaneIniClient, MissingFileGivesTheDefaultOfEveryKey)
{
    SetInstallation();
    TOrvaneIniC ini;
    EXPECT_TRUE(ini.LoadConfig());
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_EQ(ini.ClientPath, Install);
    EXPECT_EQ(ini.ProfilePath, Install);
    EXPECT_EQ(ini.IniFileName, Install + "OrvaneC.ini");
    EXPECT_EQ(ini.ProfileType, ""); // value absent from the registry
    EXPECT_EQ(ini.UserName, "Default");
    EXPECT_EQ(ini.LangType, "ENG");
    EXPECT_EQ(ini.Version, "");
    EXPECT_EQ(ini.CreateGifBeforeSendEF, "Y");
    EXPECT_EQ(ini.AutoCheckNewMsg, "1");
    EXPECT_EQ(ini.CheckInterval, "1");
    EXPECT_EQ(ini.PopupMsg, "1");
    EXPECT_EQ(ini.LoginCheck, "0");
    EXPECT_FALSE(ini.SupportCallBack);
    EXPECT_EQ(Hosts(ini.ServerList), (HostList{{"127.0.0.1", 211}}));
    EXPECT_EQ(ini.WorkDLLPath.ToVector(), std::vector<std::string>{Install + "C_PKG/"});
}

TEST_F(OrvaneIniClient, ReadsEveryKeyOfTheFile)
{
    SetInstallation();
    WriteClientIni("[Client Components]\nLangType=CHT\n"
                   "[ProductVersion]\nVersion=5.8.1\n"
                   "[UserDefine]\nCreateGifBeforeSendEF=N\n"
                   "[Server Information]\nComputerName=app1\nServerPort=9000\nSupportCallBack=1\n"
                   "[TaskMessageCenter Setting]\nAutoCheckNewMsg=0\nCheckInterval=15\nPopupMsg=0\nLoginCheck=1\n");
    TOrvaneIniC ini;
    EXPECT_EQ(ini.LangType, "CHT");
    EXPECT_EQ(ini.Version, "5.8.1");
    EXPECT_EQ(ini.CreateGifBeforeSendEF, "N");
    EXPECT_TRUE(ini.SupportCallBack);
    EXPECT_EQ(Hosts(ini.ServerList), (HostList{{"app1", 9000}}));
    EXPECT_EQ(ini.AutoCheckNewMsg, "0");
    EXPECT_EQ(ini.CheckInterval, "15");
    EXPECT_EQ(ini.PopupMsg, "0");
    EXPECT_EQ(ini.LoginCheck, "1");
}

TEST_F(OrvaneIniClient, ServerListFromComputerName)
{
    struct Case {
        std::string Section; // lines of [Server Information]
        HostList Expected;
    };
    const Case cases[] = {
        {"", {{"127.0.0.1", 211}}},
        {"ComputerName=srv1;srv2;\nServerPort=300\n", {{"srv1", 300}, {"srv2", 300}}},
        {"ComputerName=srv1;\n", {{"srv1", 211}}},
        // Hosts stay as written between the separators.
        {"ComputerName=a; b;c\n", {{"a", 211}, {" b", 211}, {"c", 211}}},
        {"ComputerName=srv1\nServerPort=abc\n", {{"srv1", 211}}},
    };
    SetInstallation();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Section);
        WriteClientIni("[Server Information]\n" + c.Section);
        TOrvaneIniC ini;
        EXPECT_TRUE(ini.LoadConfig());
        EXPECT_EQ(ini.ErrorCode, "");
        EXPECT_EQ(Hosts(ini.ServerList), c.Expected);
    }
}

TEST_F(OrvaneIniClient, NoHostSetsE000016AndLeavesWorkDLLPathUnresolved)
{
    SetInstallation();
    // Quotes keep the blanks around the ";" so the value trims to ";".
    for (const std::string computerName : {"\" ; \"", "", ";"}) {
        SCOPED_TRACE(computerName);
        WriteClientIni("[Server Information]\nComputerName=" + computerName + "\n[WorkDLLPath]\nPkg=Lib\n");
        TOrvaneIniC ini;
        EXPECT_FALSE(ini.LoadConfig());
        EXPECT_EQ(ini.ErrorCode, "E;000016");
        EXPECT_TRUE(ini.ServerList.IsEmpty());
        EXPECT_EQ(ini.WorkDLLPath.ToVector(), std::vector<std::string>{"Pkg=Lib"});
    }
}

TEST_F(OrvaneIniClient, SupportCallBackValues)
{
    const std::pair<std::string, bool> cases[] = {
        {"yes", true}, {"True", true}, {"1", true}, {"y", true},
        {"2", false}, {"no", false}, {"", false}, {"YESS", false},
    };
    SetInstallation();
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        WriteClientIni("[Server Information]\nSupportCallBack=" + value + "\n");
        EXPECT_EQ(TOrvaneIniC().SupportCallBack, expected);
    }
}

TEST_F(OrvaneIniClient, ProfileTypeSelectsThePerUserFile)
{
    const std::string user = os::GetUserName();
    // The per-user folder; a name longer than 31 bytes reads as empty.
    const std::string profileUser = user.size() > 31 ? std::string() : user;
    const std::string userDir = Install + "Profile/" + profileUser + "/";

    struct Case {
        std::string ProfileType;
        bool PerUserFile;
        std::string ExpectedProfilePath;
        std::string ExpectedUserName;
        std::string ExpectedLang;
    };
    const Case cases[] = {
        {"", true, Install, "Default", "SHARED"},
        {"0", true, Install, "Default", "SHARED"},
        {"1", true, userDir, profileUser, "OWN"},
        // No file in the user's folder: the shared file is read, the user
        // name is still the login name.
        {"1", false, Install, profileUser, "SHARED"},
    };
    WriteClientIni("[Client Components]\nLangType=SHARED\n");
    for (const Case& c : cases) {
        SCOPED_TRACE("ProfileType=" + c.ProfileType + (c.PerUserFile ? " with" : " without") + " user file");
        std::filesystem::remove_all(Install + "Profile");
        if (c.PerUserFile) WriteFile(userDir + "OrvaneC.ini", "[Client Components]\nLangType=OWN\n");
        SetInstallation("ProfileType=" + c.ProfileType + "\n");
        TOrvaneIniC ini;
        EXPECT_EQ(ini.ProfileType, c.ProfileType);
        EXPECT_EQ(ini.ProfilePath, c.ExpectedProfilePath);
        EXPECT_EQ(ini.IniFileName, c.ExpectedProfilePath + "OrvaneC.ini");
        EXPECT_EQ(ini.UserName, c.ExpectedUserName);
        EXPECT_EQ(ini.LangType, c.ExpectedLang);
    }
}

TEST_F(OrvaneIniClient, WorkDLLPathResolvesAgainstClientPath)
{
    struct Case {
        std::string Value;
        std::string Expected; // "~" stands for the installation folder
    };
    const Case cases[] = {
        {"Pkg", "~Pkg/"},
        {"Rel\\Sub\\", "~Rel/Sub/"},
        {"\\Sub\\Dir", "~Sub/Dir/"},
        {"\\", "~"},
        {"", "~"},
        {"D:\\Pkgs", "D:\\Pkgs/"},
        {"d:pkg\\", "d:pkg\\"},
        {"\\\\srv\\share\\pkg", "\\\\srv\\share\\pkg/"},
        {"//srv/share", "//srv/share/"},
        {"/opt/pkgs", "/opt/pkgs/"},
    };
    std::string section = "[WorkDLLPath]\n";
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        section += "Path" + std::to_string(i) + "=" + cases[i].Value + "\n";
        std::string e = cases[i].Expected;
        if (!e.empty() && e[0] == '~') e = Install + e.substr(1);
        expected.push_back(e);
    }
    SetInstallation();
    WriteClientIni(section);
    TOrvaneIniC ini;
    EXPECT_TRUE(ini.LoadConfig());
    EXPECT_EQ(ini.WorkDLLPath.ToVector(), expected);
}

// ---------------------------------------------------------------------------
// Server

TEST_F(OrvaneIniServer, MissingFileGivesTheDefaultOfEveryCell)
{
    SetInstallation();
    TOrvaneIniS ini;
    EXPECT_TRUE(ini.LoadConfig());
    EXPECT_EQ(ini.ServerPath, Install);
    EXPECT_EQ(ini.IniFileName, Install + "OrvaneS.ini");
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_FALSE(ini.SupportCallBack);
    EXPECT_EQ(ini.DBKind, 0);
    EXPECT_EQ(ini.WorkDLLPath.ToVector(), std::vector<std::string>{Install + "S_PKG/"});

    const Variant& db = ini.DBInfo;
    ASSERT_EQ(VarArrayDimCount(db), 2);
    EXPECT_EQ(VarArrayLowBound(db, 1), 0);
    EXPECT_EQ(VarArrayHighBound(db, 1), 3);
    EXPECT_EQ(VarArrayLowBound(db, 2), 0);
    EXPECT_EQ(VarArrayHighBound(db, 2), 7);
    const char* const texts[4][8] = {
        {"Pavok", "sa", "", "MSSQL", "", "", nullptr, nullptr},
        {"PavokTemp", "sa", "", "PARADOX", "", "PostgreSQL", nullptr, nullptr},
        {"", nullptr, nullptr, "Chinese_Taiwan_Stroke_BIN", nullptr, nullptr, nullptr, nullptr},
        {"EDIDATA", "sa", "", nullptr, nullptr, nullptr, nullptr, nullptr},
    };
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 8; ++j) {
            SCOPED_TRACE("cell " + std::to_string(i) + "," + std::to_string(j));
            if (texts[i][j]) {
                EXPECT_TRUE(db(i, j).IsString());
                EXPECT_EQ(db(i, j).AsString(), texts[i][j]);
            }
        }
    const int numbers[][3] = {{0, 6, 300}, {0, 7, 3000}, {1, 6, 300}, {1, 7, 3000}, {2, 1, 211}, {2, 2, 1024}};
    for (const auto& [i, j, value] : numbers) {
        EXPECT_EQ(VarType(db(i, j)), varInteger);
        EXPECT_EQ(db(i, j).AsInteger(), value);
    }
    for (const auto& [i, j] : {std::pair{2, 4}, {2, 5}, {2, 6}, {2, 7}, {3, 3}, {3, 4}, {3, 5}, {3, 6}, {3, 7}})
        EXPECT_TRUE(db(i, j).IsEmpty()) << i << "," << j;
}

TEST_F(OrvaneIniServer, ReadsCellsDecodingOnlyTheTwoPasswords)
{
    SetInstallation();
    WriteServerIni("[ProductVersion]\nVersion=2.0\n"
                   "[DBE Setting]\nMainAlias=Main\nMainUserName=u1\nXXXXXX=" + EncodeSQLSa("s3cret") + "\n"
                   "MainDBType=MSSQL\nMainDBName=acct\nMainServerName=dbhost\n"
                   "MainConnectionTimeOut=x12\nMainCommandTimeOut=60\n"
                   "TempPassword=" + EncodeSQLSa("") + "\nTempDriverName=SQLite\n"
                   "DataBaseCodeOrder=Latin1_General_BIN\n"
                   "EctAlias=Ect\nEctPassword=" + EncodeSQLSa("plain") + "\n"
                   "[DBPasswordCtrl]\nComputerName=\"  pwdhost  \"\nServerPort=500\nSupportCallBack=yes\n");
    TOrvaneIniS ini;
    const Variant& db = ini.DBInfo;
    EXPECT_EQ(ini.Version, "2.0");
    EXPECT_EQ(db(0, 0).AsString(), "Main");
    EXPECT_EQ(db(0, 1).AsString(), "u1");
    EXPECT_EQ(db(0, 2).AsString(), "s3cret");
    EXPECT_EQ(db(0, 4).AsString(), "acct");
    EXPECT_EQ(db(0, 5).AsString(), "dbhost");
    EXPECT_EQ(db(0, 6).AsInteger(), 300); // not a number: the default
    EXPECT_EQ(db(0, 7).AsInteger(), 60);
    EXPECT_EQ(db(1, 2).AsString(), "");   // the encoded empty password
    EXPECT_EQ(db(1, 5).AsString(), "SQLite");
    EXPECT_EQ(db(2, 0).AsString(), "pwdhost");
    EXPECT_EQ(db(2, 1).AsInteger(), 500);
    EXPECT_EQ(db(2, 3).AsString(), "Latin1_General_BIN");
    EXPECT_EQ(db(3, 0).AsString(), "Ect");
    EXPECT_EQ(db(3, 2).AsString(), EncodeSQLSa("plain"));
    EXPECT_TRUE(ini.SupportCallBack);
}

TEST_F(OrvaneIniServer, UndecodablePasswordGivesTheMarkerAndReadingGoesOn)
{
    SetInstallation();
    WriteServerIni("[DBE Setting]\nXXXXXX=zz\nTempPassword=" + EncodeSQLSa("tmp") + "\nEctAlias=Ect\n");
    TOrvaneIniS ini;
    EXPECT_EQ(ini.DBInfo(0, 2).AsString(), SQLSaDecodeErrorMarker);
    EXPECT_EQ(ini.DBInfo(1, 2).AsString(), "tmp");
    EXPECT_EQ(ini.DBInfo(3, 0).AsString(), "Ect");
    // The report lands in the installation's Log folder.
    ASSERT_TRUE(std::filesystem::is_directory(Install + "Log"));
    EXPECT_FALSE(std::filesystem::is_empty(Install + "Log"));
}

TEST_F(OrvaneIniServer, DBKindAndSystemControlAddressFallbacks)
{
    struct Case {
        std::string Lines; // lines of [DBE Setting]
        int DBKind;
        std::string SystemControlAddress;
        std::string OtherSystemControlAddress;
    };
    const Case cases[] = {
        {"MainDBType=oracle\n", 1, "main", "main"},
        {"MainDBType=Db2\nSystemControlAddress=\" \"\n", 2, "main", "main"},
        {"MainDBType=MSSQL\nSystemControlAddress=ctl\n", 0, "ctl", "main"},
        {"MainDBType=ORACLE8\nOtherSystemControlAddress=other\n", 0, "main", "other"},
    };
    SetInstallation();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Lines);
        WriteServerIni("[DBE Setting]\nMainServerName=main\n" + c.Lines);
        TOrvaneIniS ini;
        EXPECT_EQ(ini.DBKind, c.DBKind);
        EXPECT_EQ(ini.SystemControlAddress, c.SystemControlAddress);
        EXPECT_EQ(ini.OtherSystemControlAddress, c.OtherSystemControlAddress);
    }
}

TEST_F(OrvaneIniServer, GetWorkDLLPathsReplacesTheCallersList)
{
    SetInstallation();
    WriteServerIni("[WorkDLLPath]\nA=Libs\nB=/srv/libs\n");
    TOrvaneIniS ini;
    TStringList paths{"stale"};
    ini.GetWorkDLLPaths(paths);
    EXPECT_EQ(paths.ToVector(), (std::vector<std::string>{Install + "Libs/", "/srv/libs/"}));
}

// ---------------------------------------------------------------------------
// Both readers

namespace {

struct CodePageCase {
    int Acp;
    std::string IniLines; // lines of [CodePage]
    std::string Sys, UI, DB;
    int UIConvert, DBConvert;
};

const CodePageCase CodePageCases[] = {
    {1252, "", "437", "437", "936", 0, 0},
    {437, "UICodePage=950\n", "437", "950", "936", 2, 2},
    {950, "UICodePage=936\nDBCodePage=950\n", "950", "936", "950", 4, 1},
    {950, "", "950", "950", "936", 2, 2},
    {936, "UICodePage=950\nDBCodePage=950\n", "936", "950", "950", 2, 0},
    {936, "DBCodePage=950\n", "936", "936", "950", 0, 1},
    {936, "", "936", "936", "936", 0, 0},
};

template <class TReader>
void CheckCodePages(const CodePageCase& c, const TReader& ini)
{
    EXPECT_EQ(ini.SysCodePage, c.Sys);
    EXPECT_EQ(ini.UICodePage, c.UI);
    EXPECT_EQ(ini.DBCodePage, c.DB);
    EXPECT_EQ(ini.UIConvertType, c.UIConvert);
    EXPECT_EQ(ini.DBConvertType, c.DBConvert);
}

} // namespace

TEST_F(OrvaneIniBoth, CodePagesAndConversionKinds)
{
    for (const CodePageCase& c : CodePageCases) {
        SCOPED_TRACE("ACP " + std::to_string(c.Acp) + " " + c.IniLines);
        SetInstallation("", c.Acp);
        WriteClientIni("[CodePage]\n" + c.IniLines);
        WriteServerIni("[CodePage]\n" + c.IniLines);
        CheckCodePages(c, TOrvaneIniC());
        CheckCodePages(c, TOrvaneIniS());
    }
}

TEST_F(OrvaneIniBoth, MissingKeyGivesE000015AndDefaults)
{
    struct Case {
        const char* Name;
        bool RegistryFile;
    };
    for (const Case c : {Case{"no registry file", false}, Case{"no installation key", true}}) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove(Dir.File("registry.ini"));
        // The code page key alone: ACP 950 shows through in the code pages.
        if (c.RegistryFile) SetRegistry("", 950, false);
        const std::string sys = c.RegistryFile ? "950" : "936";

        TOrvaneIniC client;
        EXPECT_FALSE(client.LoadConfig());
        EXPECT_EQ(client.ErrorCode, "E;000015");
        EXPECT_EQ(client.ClientPath, "");
        EXPECT_EQ(client.ProfilePath, "");
        EXPECT_EQ(client.ProfileType, "0");
        EXPECT_EQ(client.UserName, "Default");
        EXPECT_EQ(client.IniFileName, "");
        EXPECT_EQ(client.LangType, "");
        EXPECT_EQ(client.SysCodePage, sys);
        EXPECT_EQ(client.UICodePage, sys);
        EXPECT_EQ(client.DBCodePage, "936");
        EXPECT_EQ(client.UIConvertType, sys == "950" ? 2 : 0);
        EXPECT_EQ(client.DBConvertType, sys == "950" ? 2 : 0);
        EXPECT_TRUE(client.ServerList.IsEmpty());
        EXPECT_EQ(client.WorkDLLPath.Count(), 0);

        TOrvaneIniS server;
        EXPECT_FALSE(server.LoadConfig());
        EXPECT_EQ(server.ErrorCode, "E;000015");
        EXPECT_EQ(server.ServerPath, "");
        EXPECT_TRUE(server.DBInfo.IsEmpty());
        EXPECT_EQ(server.WorkDLLPath.Count(), 0);
        EXPECT_EQ(server.SysCodePage, sys);
    }
}

TEST_F(OrvaneIniBoth, EmptyInstallationPathReadsNoFile)
{
    SetRegistry("ClientPath=\nProfileType=1\n");
    TOrvaneIniC client;
    EXPECT_FALSE(client.LoadConfig());
    EXPECT_EQ(client.ErrorCode, "");
    EXPECT_EQ(client.ProfileType, "1");
    EXPECT_EQ(client.IniFileName, "");
    EXPECT_EQ(client.LangType, "");
    EXPECT_TRUE(client.ServerList.IsEmpty());

    TOrvaneIniS server;
    EXPECT_FALSE(server.LoadConfig());
    EXPECT_EQ(server.ErrorCode, "");
    EXPECT_EQ(server.IniFileName, "");
    EXPECT_TRUE(server.DBInfo.IsEmpty());
}

TEST_F(OrvaneIniBoth, LoadConfigAgainStartsOverFromTheDefaults)
{
    SetInstallation();
    WriteClientIni("[Client Components]\nLangType=CHS\n[WorkDLLPath]\nA=Libs\n");
    WriteServerIni("[WorkDLLPath]\nA=Libs\n");
    TOrvaneIniC client;
    TOrvaneIniS server;
    ASSERT_EQ(client.LangType, "CHS");

    SetRegistry("", 936, false);
    EXPECT_FALSE(client.LoadConfig());
    EXPECT_EQ(client.ErrorCode, "E;000015");
    EXPECT_EQ(client.LangType, "");
    EXPECT_TRUE(client.ServerList.IsEmpty());
    EXPECT_EQ(client.WorkDLLPath.Count(), 0);

    EXPECT_FALSE(server.LoadConfig());
    EXPECT_TRUE(server.DBInfo.IsEmpty());
    EXPECT_EQ(server.WorkDLLPath.Count(), 0);
}
