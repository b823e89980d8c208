#include "runtime/MoxenGeneratorU.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/core/DateTime.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Variant.h"
#include "platform/os/Paths.h"
#include "platform/os/Registry.h"
#include "platform/os/System.h"
#include "runtime/OrvaneINI.h"

namespace {

constexpr char EmptyPasswordMarker[] = "[EMPTY STORED DATABASE PASSWORD 001]";
constexpr char DecodeErrorMarker[] = "<UNREADABLE PASSWORD>";
static_assert(sizeof(EmptyPasswordMarker) - 1 == 36);
static_assert(sizeof(DecodeErrorMarker) - 1 == 21);

// ---------------------------------------------------------------------------
// Alert files

// ClientPath, else ServerPath, from the installation key; empty when neither
// is set or the key cannot be read.
std::string InstallationDir()
{
    os::TRegistry reg("HKEY_LOCAL_MACHINE");
    if (!reg.OpenKeyReadOnly(OrvaneRegistryKey)) return {};
    std::string dir = reg.ReadString("ClientPath");
    if (dir.empty()) dir = reg.ReadString("ServerPath");
    return dir;
}

// Base folder of WriteReportLine: the installation, else the temporary
// folder (which the system reports in at most 255 characters), else /tmp/.
std::string ReportBaseDir()
{
    try {
        std::string dir = InstallationDir();
        if (dir.empty()) {
            dir = os::GetTempPath();
            if (dir.size() > 255) dir.clear();
        }
        return dir.empty() ? std::string("/tmp/") : dir;
    } catch (...) {
        return "/tmp/";
    }
}

// Appends one CR LF-ended line to <base>/Log/<fileName>, creating the folder
// with any missing parents. The one writer behind every alert file.
bool AppendAlertLine(const std::string& baseDir, const std::string& fileName, const std::string& line)
{
    const std::string folder = os::IncludeTrailingPathDelimiter(baseDir) + "Log";
    if (!os::ForceDirectories(folder)) return false;
    return os::AppendToFile(folder + "/" + fileName, line + "\r\n");
}

// Alert_<Name>_<stamp>[.log]; a name that already has a "." keeps it as
// the file's extension.
std::string AlertFileName(const std::string& name, const std::string& period, TDateTime now)
{
    const char* stamp = "yyyymmdd";
    if (period == "M") stamp = "yyyymm";
    else if (period == "Y") stamp = "yyyy";
    std::string file = "Alert_" + name + "_" + FormatDateTime(stamp, now);
    if (name.find('.') == std::string::npos) file += ".log";
    return file;
}

bool WriteStampedAlert(const std::string& baseDir, const std::string& name, const std::string& text,
                       const std::string& period)
{
    const TDateTime now = Now();
    return AppendAlertLine(baseDir, AlertFileName(name, period, now),
                           "[" + FormatDateTime("yyyy/mm/dd hh:nn:ss:zzz", now) + "] " + text);
}

// ---------------------------------------------------------------------------
// Password codec

std::uint8_t RotateRight(std::uint8_t b, unsigned n)
{
    n %= 8;
    return n == 0 ? b : static_cast<std::uint8_t>((b >> n) | (b << (8 - n)));
}

std::uint8_t RotateLeft(std::uint8_t b, unsigned n)
{
    n %= 8;
    return n == 0 ? b : static_cast<std::uint8_t>((b << n) | (b >> (8 - n)));
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

const char* const SQLSaEmptyPasswordMarker = EmptyPasswordMarker;
const char* const SQLSaDecodeErrorMarker = DecodeErrorMarker;

bool WriteAlertLog(const std::string& Name, const std::string& Text, const std::string& Period)
{
    try {
        std::string base;
        try {
            base = InstallationDir();
        } catch (...) {
        }
        if (base.empty()) base = os::ExecutableDir();
        return WriteStampedAlert(base, Name, Text, Period);
    } catch (...) {
        return false;
    }
}

bool WriteExeAlertLog(const std::string& Name, const std::string& Text, const std::string& Period)
{
    try {
        return WriteStampedAlert(os::ExecutableDir(), Name, Text, Period);
    } catch (...) {
        return false;
    }
}

bool WriteReportLine(const std::string& Text)
{
    try {
        const TDateTime now = Now();
        return AppendAlertLine(ReportBaseDir(), "Alert_MoxenGenerator_" + FormatDateTime("yyyymmdd", now) + ".log",
                               "[" + DateTimeToStr(now) + "] " + Text);
    } catch (...) {
        return false;
    }
}

void WriteErrorReport(const std::exception* E, const std::string& Where, const std::string& ProgrammerMessage)
{
    try {
        const std::string dashes = "----------------------------------";
        WriteReportLine(dashes + (Trim(Where).empty() ? std::string() : " on " + Where + " ") + dashes);

        if (E) {
            WriteReportLine("讯息信息:");
            int count = 0;
            const auto* platformError = dynamic_cast<const EPlatformError*>(E);
            const std::string message = platformError ? platformError->Message() : std::string(E->what());
            if (const auto* db = dynamic_cast<const EDBEngineError*>(E)) {
                for (const TDBError& sub : db->Errors) {
                    ++count;
                    // The engine's codes are 16-bit unsigned values.
                    const int code = static_cast<std::uint16_t>(sub.ErrorCode);
                    WriteReportLine(Format("EDBEngineError Error %.2d: Code: %d, Message: %s",
                                           {Variant(count), Variant(code), Variant(sub.Message)}));
                }
            } else if (const auto* osError = dynamic_cast<const EOSError*>(E)) {
                count = 1;
                WriteReportLine(Format("EWin32Error Error %.2d: Code: %d, Message: %s",
                                       {Variant(1), Variant(osError->ErrorCode), Variant(message)}));
            } else if (const auto* io = dynamic_cast<const EInOutError*>(E)) {
                count = 1;
                WriteReportLine(Format("EInOutError Error %.2d: Code: %d, Message: %s",
                                       {Variant(1), Variant(io->ErrorCode), Variant(message)}));
            } else {
                count = 1;
                const std::string className = platformError ? platformError->ClassName() : "Exception";
                // The message is appended, not formatted, so any "%" in it stays.
                WriteReportLine(Format("Exception is %s\r\nMessage %.2d: ", {Variant(className), Variant(1)}) +
                                message);
            }
            WriteReportLine(Format("ErrorMessage Count: %d", {Variant(count)}));
        }

        if (!Trim(ProgrammerMessage).empty()) WriteReportLine("Programer Message: " + ProgrammerMessage);
    } catch (...) {
    }
}

std::string EncodeSQLSa(const std::string& Password)
{
    static constexpr char Digits[] = "0123456789abcdef";
    const std::string_view plain = Password.empty() ? std::string_view(EmptyPasswordMarker) : Password;
    std::string out;
    out.reserve(plain.size() * 2);
    for (std::size_t i = 1; i <= plain.size(); ++i) {
        const std::uint8_t b = RotateRight(static_cast<std::uint8_t>(plain[i - 1]), static_cast<unsigned>(i % 8));
        out += Digits[b >> 4];
        out += Digits[b & 0x0F];
    }
    return out;
}

std::string DecodeSQLSa(const std::string& Stored)
{
    try {
        std::string plain;
        plain.reserve(Stored.size() / 2);
        for (std::size_t k = 1; 2 * k <= Stored.size(); ++k) {
            const int hi = HexDigit(Stored[2 * k - 2]);
            const int lo = HexDigit(Stored[2 * k - 1]);
            if (hi < 0 || lo < 0)
                throw EConvertError("'" + Stored.substr(2 * k - 2, 2) + "' is not a valid hexadecimal value");
            plain += static_cast<char>(RotateLeft(static_cast<std::uint8_t>(hi * 16 + lo), static_cast<unsigned>(k % 8)));
        }
        if (plain == EmptyPasswordMarker) return {};
        return plain;
    } catch (const std::exception& e) {
        WriteErrorReport(&e, EncodeSQLSa("DecodeSQLSa"), "解析 Sa 时发生错误!");
        return DecodeErrorMarker;
    } catch (...) {
        return DecodeErrorMarker;
    }
}
