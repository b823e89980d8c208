#pragma once
// Client and server configuration readers.
//
// Each reader opens the registry key "Software\KVT\Orvane" under
// HKEY_LOCAL_MACHINE and the configuration file ("OrvaneC.ini" for the
// client, "OrvaneS.ini" for the server) when it is constructed, and exposes
// what it found as plain fields. Nothing is cached between readers: create
// one, copy what you need, free it. Readers never raise; callers look at
// ErrorCode and the fields.
//
// Paths produced here end in "/". Values written with "\" (configuration
// files from the original installations) are accepted.
#include <cstdint>
#include <string>

#include "platform/core/Properties.h"
#include "platform/core/StringList.h"
#include "platform/core/Variant.h"

// The registry key both readers open.
inline constexpr const char* OrvaneRegistryKey = "Software\\KVT\\Orvane";

// Makes a configured folder absolute against Base (a folder ending in "/"):
// a value with a drive part ("D:...", "\\server\share", "//server/share")
// or starting with "/" is returned as written; a value starting with "\"
// is joined to Base without that first character; anything else is joined
// to Base. Joined values have their "\" turned into "/".
std::string MakeAbsolutePath(const std::string& Value, const std::string& Base);

class TOrvaneIniC : public TObject {
    ORVANE_CLASS_INFO
public:
    TOrvaneIniC();
    ~TOrvaneIniC() override;
    TOrvaneIniC(const TOrvaneIniC&) = delete;
    TOrvaneIniC& operator=(const TOrvaneIniC&) = delete;

    // Starts over from the defaults and reads registry and file. True when
    // the registry key opened, ClientPath is set and "ComputerName" names at
    // least one host.
    bool LoadConfig();

    std::string ClientPath;
    std::string ProfilePath;
    std::string ProfileType = "0";
    std::string UserName = "Default";
    std::string UICodePage;
    std::string DBCodePage = "936";
    std::string SysCodePage;
    std::uint8_t UIConvertType = 0;
    std::uint8_t DBConvertType = 0;
    bool SupportCallBack = false;
    std::string IniFileName;
    // [0, k] host text, [1, k] port, one column per host.
    Variant ServerList;
    // "E;000015" (registry key missing) or "E;000016" (no host).
    std::string ErrorCode;
    std::string LangType;
    // One resolved folder per line.
    TStringList WorkDLLPath;
    std::string Version;
    std::string CreateGifBeforeSendEF;
    std::string AutoCheckNewMsg;
    std::string CheckInterval;
    std::string PopupMsg;
    std::string LoginCheck;
};

class TOrvaneIniS : public TObject {
    ORVANE_CLASS_INFO
public:
    TOrvaneIniS();
    ~TOrvaneIniS() override;
    TOrvaneIniS(const TOrvaneIniS&) = delete;
    TOrvaneIniS& operator=(const TOrvaneIniS&) = delete;

    // Starts over from the defaults and reads registry and file. True when
    // the registry key opened and ServerPath is set.
    bool LoadConfig();
    // Replaces the contents of Paths with a copy of WorkDLLPath.
    void GetWorkDLLPaths(TStringList& Paths) const;

    std::string ServerPath;
    std::string ProfilePath;
    std::string ProfileType = "0";
    std::string UserName = "Default";
    std::string UICodePage;
    std::string DBCodePage = "936";
    std::string SysCodePage;
    std::uint8_t UIConvertType = 0;
    std::uint8_t DBConvertType = 0;
    bool SupportCallBack = false;
    std::string IniFileName;
    // [0..3, 0..7]: row 0 main database, 1 temporary database, 2 password
    // control server, 3 electronic-commerce database. Unlisted cells are empty.
    Variant DBInfo;
    // "E;000015" when the registry key is missing.
    std::string ErrorCode;
    TStringList WorkDLLPath;
    std::string Version;
    // 1 for an ORACLE main database, 2 for DB2, else 0.
    std::uint8_t DBKind = 0;
    std::string SystemControlAddress;
    std::string OtherSystemControlAddress;
};
