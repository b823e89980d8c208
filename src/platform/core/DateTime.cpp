#include "platform/core/DateTime.h"

#include <chrono>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>

#include "platform/core/Exceptions.h"

namespace {

constexpr int DateDelta = 693594; // days from 0001-01-01 to 1899-12-30
constexpr double MSecsPerDay = 86400000.0;

const int MonthDays[2][13] = {{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                              {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

} // namespace

TFormatSettings& FormatSettings()
{
    static TFormatSettings settings;
    return settings;
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(int year, int month)
{
    if (month < 1 || month > 12) return 0;
    return MonthDays[IsLeapYear(year) ? 1 : 0][month];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInAMonth(year, month))
        return false;
    long days = day;
    for (int m = 1; m < month; ++m) days += DaysInAMonth(year, m);
    const long y = year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    result = static_cast<double>(days - DateDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime r;
    if (!TryEncodeDate(year, month, day, r)) throw EConvertError("Invalid argument to date encode");
    return r;
}

bool TryEncodeTime(int hour, int min, int sec, int msec, TDateTime& result)
{
    if (hour < 0 || hour > 23 || min < 0 || min > 59 || sec < 0 || sec > 59 || msec < 0 || msec > 999) return false;
    result = (((hour * 60.0 + min) * 60.0 + sec) * 1000.0 + msec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(int hour, int min, int sec, int msec)
{
    TDateTime r;
    if (!TryEncodeTime(hour, min, sec, msec, r)) throw EConvertError("Invalid argument to time encode");
    return r;
}

namespace {

// Day count since 0001-01-01 (day 1) and milliseconds of the day, the way
// the run time splits a date-time: the integer part is the date, the
// fraction's magnitude is the time.
void SplitDateTime(TDateTime value, long& dayNumber, long& msecOfDay)
{
    const double whole = std::trunc(value);
    dayNumber = DateDelta + static_cast<long>(whole);
    msecOfDay = static_cast<long>(std::llround(std::fabs(value - whole) * MSecsPerDay));
    if (msecOfDay >= static_cast<long>(MSecsPerDay)) msecOfDay = static_cast<long>(MSecsPerDay) - 1;
}

} // namespace

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    long dayNumber, msec;
    SplitDateTime(value, dayNumber, msec);
    if (dayNumber <= 0) {
        year = month = day = 0;
        return;
    }
    long t = dayNumber - 1;
    long y = 1;
    const long d400 = 146097, d100 = 36524, d4 = 1461;
    y += (t / d400) * 400;
    t %= d400;
    long n100 = t / d100;
    if (n100 == 4) n100 = 3;
    y += n100 * 100;
    t -= n100 * d100;
    y += (t / d4) * 4;
    t %= d4;
    long n1 = t / 365;
    if (n1 == 4) n1 = 3;
    y += n1;
    t -= n1 * 365;
    year = static_cast<int>(y);
    int m = 1;
    while (t >= DaysInAMonth(year, m)) t -= DaysInAMonth(year, m++);
    month = m;
    day = static_cast<int>(t) + 1;
}

void DecodeTime(TDateTime value, int& hour, int& min, int& sec, int& msec)
{
    long dayNumber, ms;
    SplitDateTime(value, dayNumber, ms);
    hour = static_cast<int>(ms / 3600000);
    min = static_cast<int>(ms / 60000 % 60);
    sec = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

TDateTime Now()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
           EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59), ms);
}

TDateTime Date() { return std::trunc(Now()); }

std::string FormatDateTime(std::string_view format, TDateTime value)
{
    int year, month, day, hour, min, sec, msec;
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, min, sec, msec);
    const TFormatSettings& fs = FormatSettings();
    std::string out;
    bool lastWasHour = false;
    auto pad = [](int v, int width) {
        std::string s = std::to_string(v);
        if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
        return s;
    };
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        const char lc = static_cast<char>(c | 0x20);
        std::size_t run = 1;
        while (i + run < format.size() && (format[i + run] | 0x20) == lc && std::isalpha(static_cast<unsigned char>(c)))
            ++run;
        bool isHour = false;
        switch (lc) {
        case 'y':
            out += run <= 2 ? pad(year % 100, 2) : pad(year, 4);
            break;
        case 'm':
            if (lastWasHour) out += run >= 2 ? pad(min, 2) : std::to_string(min);
            else out += run >= 2 ? pad(month, 2) : std::to_string(month);
            break;
        case 'd':
            out += run >= 2 ? pad(day, 2) : std::to_string(day);
            break;
        case 'h':
            out += run >= 2 ? pad(hour, 2) : std::to_string(hour);
            isHour = true;
            break;
        case 'n':
            out += run >= 2 ? pad(min, 2) : std::to_string(min);
            break;
        case 's':
            out += run >= 2 ? pad(sec, 2) : std::to_string(sec);
            break;
        case 'z':
            out += run >= 3 ? pad(msec, 3) : std::to_string(msec);
            break;
        default:
            run = 1;
            if (c == '/') out += fs.DateSeparator;
            else if (c == ':') out += fs.TimeSeparator;
            else if (c == '"' || c == '\'') {
                std::size_t close = format.find(c, i + 1);
                if (close == std::string_view::npos) close = format.size();
                out += format.substr(i + 1, close - i - 1);
                run = close - i + 1;
            } else out += c;
            i += run;
            continue;
        }
        if (lc != 'm' && lc != 'h' && std::isalpha(static_cast<unsigned char>(c))) lastWasHour = false;
        if (isHour) lastWasHour = true;
        if (lc == 'm') lastWasHour = false;
        i += run;
    }
    return out;
}

std::string DateTimeToStr(TDateTime value)
{
    const TFormatSettings& fs = FormatSettings();
    std::string s = FormatDateTime(fs.ShortDateFormat, value);
    if (std::fabs(value - std::trunc(value)) * MSecsPerDay >= 0.5) s += " " + FormatDateTime(fs.LongTimeFormat, value);
    return s;
}
