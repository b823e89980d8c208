#pragma once
// Alert logs, error reports and the stored-password codec.
//
// Alert logs are plain-text files in a "Log" folder, one time-stamped line
// per call, written by library code that must not show a dialog. No writer
// ever raises; each returns whether its line was written.
#include <exception>
#include <string>

// Line "[yyyy/mm/dd hh:nn:ss:zzz] " + Text in <base>/Log/Alert_<Name>_<stamp>[.log];
// base: registry ClientPath, else ServerPath, else the executable's folder.
// Period "M" stamps yyyymm, "Y" yyyy, anything else yyyymmdd.
bool WriteAlertLog(const std::string& Name, const std::string& Text, const std::string& Period);
// As WriteAlertLog, with the executable's folder as base.
bool WriteExeAlertLog(const std::string& Name, const std::string& Text, const std::string& Period);
// Line "[" + short date and long time + "] " + Text in
// <base>/Log/Alert_MoxenGenerator_<yyyymmdd>.log; base: ClientPath, else
// ServerPath, else the temporary folder.
bool WriteReportLine(const std::string& Text);
// A multi-line report of an exception (E may be null) through WriteReportLine.
void WriteErrorReport(const std::exception* E, const std::string& Where, const std::string& ProgrammerMessage);

// Stored form of a database password: two lower-case hexadecimal digits per
// character, each byte rotated right by its position modulo 8.
std::string EncodeSQLSa(const std::string& Password);
// The password back; the empty text for an empty or encoded-empty input, the
// decoding-error marker (with an error report in the alert log) for text
// that is not hexadecimal. Never raises.
std::string DecodeSQLSa(const std::string& Stored);

// The marker whose encoding stands for the empty password (36 characters)
// and the result of a failed decoding (21 characters).
extern const char* const SQLSaEmptyPasswordMarker;
extern const char* const SQLSaDecodeErrorMarker;
