#pragma once
// Date-time values: days since 30 December 1899 with the time of day as the
// fraction, as the original run time stores them.
#include <cstdint>
#include <string>
#include <string_view>

using TDateTime = double;

struct TFormatSettings {
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "yyyy/mm/dd";
    std::string LongTimeFormat = "hh:nn:ss";
};
// The process-wide format settings (the system's regional settings).
TFormatSettings& FormatSettings();

bool IsLeapYear(int year);
int DaysInAMonth(int year, int month); // 0 for a month outside 1..12

bool TryEncodeDate(int year, int month, int day, TDateTime& result);
TDateTime EncodeDate(int year, int month, int day); // raises EConvertError
bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result);
TDateTime EncodeTime(int hour, int min, int sec, int msec);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec);

TDateTime Now();
TDateTime Date();

// Format patterns: yyyy yy m mm (month, or minutes right after an hour)
// d dd h hh n nn s ss z zzz; "/" and ":" take the separators of the
// format settings, text in quotes is copied.
std::string FormatDateTime(std::string_view format, TDateTime value);
// Short date, plus the long time when the time of day is not midnight.
std::string DateTimeToStr(TDateTime value);
