#include "runtime/MoxenGeneratorU.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "platform/os/Paths.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

const std::string Dashes = "----------------------------------";

// File names in <base>/Log, sorted; empty when the folder does not exist.
std::vector<std::string> LogFiles(const std::string& base)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(base + "/Log", ec)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Everything in <base>/Log, files in name order.
std::string ReadLog(const std::string& base)
{
    std::string text;
    for (const std::string& name : LogFiles(base)) text += ReadFile(base + "/Log/" + name);
    return text;
}

// A log text with the "[...] " stamps at the start of its lines removed.
std::string WithoutStamps(const std::string& text)
{
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find("\r\n", pos);
        end = end == std::string::npos ? text.size() : end + 2;
        std::string line = text.substr(pos, end - pos);
        const std::size_t close = line.find("] ");
        if (line.starts_with("[") && close != std::string::npos &&
            line.find_first_not_of("0123456789/: ", 1) == close)
            line.erase(0, close + 2);
        out += line;
        pos = end;
    }
    return out;
}

// Whether text has the shape of pattern, where "#" stands for any digit.
bool HasShape(const std::string& text, const std::string& pattern)
{
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (pattern[i] == '#' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != pattern[i]) return false;
    return true;
}

// The one file name a writer may have used: the stamp taken just before the
// call, or the one just after when the date changed in between.
bool IsOneOf(const std::vector<std::string>& files, const std::string& before, const std::string& after)
{
    return files == std::vector<std::string>{before} || files == std::vector<std::string>{after};
}

std::string UniqueName()
{
    std::random_device rd;
    return "moxen-test-" + std::to_string(rd());
}

// Points the registry at a file in a temporary folder and the temporary
// folder itself at a subfolder, so no writer leaves that folder.
class MoxenFixture : public ::testing::Test {
protected:
    TempDir Dir;
    ScopedEnv Registry{"ORVANE_REGISTRY", Dir.File("registry.ini")};
    ScopedEnv Temp{"TMPDIR", Dir.Path() + "tmp/"};
    const std::string Client = Dir.Path() + "client";
    const std::string Server = Dir.Path() + "server";

    void SetRegistry(const std::string& values)
    {
        WriteFile(Dir.File("registry.ini"), "[HKEY_LOCAL_MACHINE\\Software\\KVT\\Orvane]\n" + values);
    }
    void UseClient() { SetRegistry("ClientPath=" + Client + "\n"); }
};

using MoxenAlertLog = MoxenFixture;
using MoxenErrorReport = MoxenFixture;
using MoxenSQLSa = MoxenFixture;

} // namespace

// ---------------------------------------------------------------------------
// Alert files

TEST_F(MoxenAlertLog, FileNameFollowsPeriodAndName)
{
    struct Case {
        std::string Name, Period, StampFormat, Extension;
    };
    const Case cases[] = {
        {"libstrs", "M", "yyyymm", ".log"},
        {"libstrs", "Y", "yyyy", ".log"},
        {"libstrs", "D", "yyyymmdd", ".log"},
        {"libstrs", "d", "yyyymmdd", ".log"}, // compared case-sensitively
        {"libstrs", "W", "yyyymmdd", ".log"},
        {"trace.txt", "D", "yyyymmdd", ""},
    };
    UseClient();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name + " " + c.Period);
        fs::remove_all(Client);
        const std::string before = FormatDateTime(c.StampFormat, Now());
        ASSERT_TRUE(WriteAlertLog(c.Name, "text", c.Period));
        const std::string after = FormatDateTime(c.StampFormat, Now());
        EXPECT_TRUE(IsOneOf(LogFiles(Client), "Alert_" + c.Name + "_" + before + c.Extension,
                            "Alert_" + c.Name + "_" + after + c.Extension));
    }
}

TEST_F(MoxenAlertLog, LinesAppendWithStampInTheSystemSeparators)
{
    UseClient();
    TFormatSettings& settings = FormatSettings();
    const TFormatSettings saved = settings;
    settings.DateSeparator = '-';
    settings.TimeSeparator = '.';
    const bool first = WriteAlertLog("libstrs", "LINE[2735] 第一行", "Y");
    const bool second = WriteAlertLog("libstrs", "100% 完成", "Y");
    settings = saved;
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);

    const std::string stamp = "[####-##-## ##.##.##.###] ";
    EXPECT_TRUE(HasShape(ReadLog(Client), stamp + "LINE[2735] 第一行\r\n" + stamp + "100% 完成\r\n")) << ReadLog(Client);
}

TEST_F(MoxenAlertLog, BaseFolderFallbacks)
{
    struct Case {
        const char* What;
        std::string Registry;
        std::string AlertBase;  // WriteAlertLog
        std::string ReportBase; // WriteReportLine
    };
    const Case cases[] = {
        {"client first", "ClientPath=" + Client + "/\nServerPath=" + Server + "\n", Client, Client},
        {"server when the client path is empty", "ClientPath=\nServerPath=" + Server + "/\n", Server, Server},
        {"server without a client path", "ServerPath=" + Server + "\n", Server, Server},
        {"temporary folder without a key", "", "", Dir.Path() + "tmp"},
    };
    fs::create_directories(Dir.Path() + "tmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        fs::remove_all(Client);
        fs::remove_all(Server);
        if (c.Registry.empty()) fs::remove(Dir.File("registry.ini"));
        else SetRegistry(c.Registry);

        const std::string name = UniqueName();
        ASSERT_TRUE(WriteAlertLog(name, "alert", "Y"));
        const std::string alertBase = c.AlertBase.empty() ? os::ExecutableDir() : c.AlertBase;
        const std::string alertFile = alertBase + "/Log/Alert_" + name + "_" + FormatDateTime("yyyy", Now()) + ".log";
        EXPECT_TRUE(fs::exists(alertFile));
        if (c.AlertBase.empty()) {
            // Beside the test program: leave nothing behind.
            fs::remove(alertFile);
            std::error_code ec;
            fs::remove(alertBase + "/Log", ec);
        }

        ASSERT_TRUE(WriteReportLine("report"));
        EXPECT_NE(WithoutStamps(ReadLog(c.ReportBase)).find("report\r\n"), std::string::npos);
    }
}

TEST_F(MoxenAlertLog, ExeAlertLogIgnoresTheInstallation)
{
    UseClient();
    const std::string name = UniqueName();
    const std::string before = FormatDateTime("yyyymmdd", Now());
    ASSERT_TRUE(WriteExeAlertLog(name, "download", "D"));
    const std::string after = FormatDateTime("yyyymmdd", Now());
    EXPECT_FALSE(fs::exists(Client));

    const std::string dir = os::IncludeTrailingPathDelimiter(os::ExecutableDir());
    bool found = false;
    for (const std::string& stamp : {before, after}) {
        const std::string file = dir + "Log/Alert_" + name + "_" + stamp + ".log";
        if (fs::exists(file)) {
            found = true;
            EXPECT_NE(ReadFile(file).find("] download\r\n"), std::string::npos);
            fs::remove(file);
        }
    }
    std::error_code ec;
    fs::remove(dir + "Log", ec); // only when nothing else is in it
    EXPECT_TRUE(found);
}

TEST_F(MoxenAlertLog, ReportLineFileNameAndStamp)
{
    UseClient();
    const std::string before = FormatDateTime("yyyymmdd", Now());
    ASSERT_TRUE(WriteReportLine("x"));
    const std::string after = FormatDateTime("yyyymmdd", Now());
    EXPECT_TRUE(IsOneOf(LogFiles(Client), "Alert_MoxenGenerator_" + before + ".log",
                        "Alert_MoxenGenerator_" + after + ".log"));
    // Short date and long time; the time is left out only at midnight.
    const std::string log = ReadLog(Client);
    EXPECT_TRUE(HasShape(log, "[####/##/## ##:##:##] x\r\n") || HasShape(log, "[####/##/##] x\r\n")) << log;
}

TEST_F(MoxenAlertLog, WritersReturnFalseWhenTheFolderCannotBeCreated)
{
    // The base folder is a regular file, so "Log" cannot be made inside it.
    WriteFile(Client, "not a folder");
    UseClient();
    EXPECT_FALSE(WriteAlertLog("libstrs", "text", "D"));
    EXPECT_FALSE(WriteReportLine("text"));
    EXPECT_NO_THROW(WriteErrorReport(nullptr, "where", "message"));
    EXPECT_EQ(DecodeSQLSa("zz"), SQLSaDecodeErrorMarker);
    EXPECT_EQ(ReadFile(Client), "not a folder");
}

// ---------------------------------------------------------------------------
// Error reports

TEST_F(MoxenErrorReport, LayoutByExceptionKind)
{
    const EConvertError convertError("100% done");
    const std::runtime_error stdError("50%s off");
    const EDBEngineError noSubErrors("engine");
    const EDBEngineError twoSubErrors("engine", {{70000, "first %d"}, {-1, "second"}});
    const EOSError osError("Access denied", 5);
    const EInOutError ioError("Disk full", 112);
    const EAbort abortError;

    struct Case {
        const char* What;
        const std::exception* E;
        std::string Where, ProgrammerMessage;
        std::string Expected; // the file without its stamps
    };
    const std::string head = "讯息信息:\r\n";
    const Case cases[] = {
        {"other kind, percent kept", &convertError, "f", "解析 Sa 时发生错误!",
         Dashes + " on f " + Dashes + "\r\n" + head + "Exception is EConvertError\r\nMessage 01: 100% done\r\n" +
             "ErrorMessage Count: 1\r\nProgramer Message: 解析 Sa 时发生错误!\r\n"},
        {"not a platform exception", &stdError, "", "",
         Dashes + Dashes + "\r\n" + head + "Exception is Exception\r\nMessage 01: 50%s off\r\nErrorMessage Count: 1\r\n"},
        {"platform class name", &abortError, "", "",
         Dashes + Dashes + "\r\n" + head + "Exception is EAbort\r\nMessage 01: Operation aborted\r\nErrorMessage Count: 1\r\n"},
        {"database error without sub-errors", &noSubErrors, "", "",
         Dashes + Dashes + "\r\n" + head + "ErrorMessage Count: 0\r\n"},
        {"database error, 16-bit codes", &twoSubErrors, "", "",
         Dashes + Dashes + "\r\n" + head + "EDBEngineError Error 01: Code: 4464, Message: first %d\r\n" +
             "EDBEngineError Error 02: Code: 65535, Message: second\r\nErrorMessage Count: 2\r\n"},
        {"system error", &osError, "", "",
         Dashes + Dashes + "\r\n" + head + "EWin32Error Error 01: Code: 5, Message: Access denied\r\nErrorMessage Count: 1\r\n"},
        {"input/output error", &ioError, "", "",
         Dashes + Dashes + "\r\n" + head + "EInOutError Error 01: Code: 112, Message: Disk full\r\nErrorMessage Count: 1\r\n"},
        {"no exception, blank texts", nullptr, " \t", "  ", Dashes + Dashes + "\r\n"},
        {"texts inserted untrimmed", nullptr, " w% ", " p ", Dashes + " on  w%  " + Dashes + "\r\nProgramer Message:  p \r\n"},
    };
    UseClient();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        fs::remove_all(Client);
        WriteErrorReport(c.E, c.Where, c.ProgrammerMessage);
        EXPECT_EQ(WithoutStamps(ReadLog(Client)), c.Expected);
    }
}

// ---------------------------------------------------------------------------
// Password codec

TEST_F(MoxenSQLSa, EncodesAndDecodes)
{
    EXPECT_EQ(EncodeSQLSa("abc"), "b0986c");
    const std::pair<std::string, std::string> decodes[] = {
        {"b0986c", "abc"},
        {"B0986C", "abc"},
        {"b0986c7", "abc"}, // a lone last digit is ignored
        {"", ""},
        {"b", ""},
    };
    UseClient();
    for (const auto& [stored, plain] : decodes) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(DecodeSQLSa(stored), plain);
    }
    EXPECT_FALSE(fs::exists(Client)) << "valid input writes no report";
}

TEST_F(MoxenSQLSa, RoundTripKeepsEveryByteAndPositionsEightAndSixteen)
{
    std::string password = "abcdefghijklmnopq密码";
    for (int b = 1; b < 256; ++b) password += static_cast<char>(b);
    const std::string stored = EncodeSQLSa(password);
    ASSERT_EQ(stored.size(), password.size() * 2);
    EXPECT_EQ(stored.substr(14, 2), "68"); // 'h', position 8
    EXPECT_EQ(stored.substr(30, 2), "70"); // 'p', position 16
    EXPECT_TRUE(std::all_of(stored.begin(), stored.end(), [](char c) { return std::isdigit(c) || (c >= 'a' && c <= 'f'); }));
    EXPECT_EQ(DecodeSQLSa(stored), password);
}

TEST_F(MoxenSQLSa, EmptyPasswordIsStoredAsTheEncodedMarker)
{
    ASSERT_EQ(std::string(SQLSaEmptyPasswordMarker).size(), 36u);
    ASSERT_EQ(std::string(SQLSaDecodeErrorMarker).size(), 21u);
    const std::string stored = EncodeSQLSa("");
    EXPECT_EQ(stored.size(), 72u);
    EXPECT_EQ(stored, EncodeSQLSa(SQLSaEmptyPasswordMarker));
    EXPECT_EQ(DecodeSQLSa(stored), "");
    std::string upper = stored;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(std::toupper(c)); });
    EXPECT_EQ(DecodeSQLSa(upper), "");
}

TEST_F(MoxenSQLSa, InvalidHexGivesTheMarkerAndOneReport)
{
    UseClient();
    for (const std::string stored : {"zz", "b098zz6c", " 1", "+1", "0x"}) {
        SCOPED_TRACE(stored);
        fs::remove_all(Client);
        EXPECT_EQ(DecodeSQLSa(stored), SQLSaDecodeErrorMarker);
        const std::string log = WithoutStamps(ReadLog(Client));
        const std::string header = Dashes + " on " + EncodeSQLSa("DecodeSQLSa") + " " + Dashes + "\r\n";
        ASSERT_EQ(log.rfind(header), 0u) << log;
        EXPECT_EQ(log.find(Dashes, header.size()), std::string::npos) << "one report only";
        EXPECT_NE(log.find("讯息信息:\r\nException is EConvertError\r\nMessage 01: "), std::string::npos) << log;
        EXPECT_NE(log.find("\r\nErrorMessage Count: 1\r\nProgramer Message: 解析 Sa 时发生错误!\r\n"), std::string::npos) << log;
    }
}
