#include "suite/db/DemoData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numbers>
#include <ostream>
#include <random>

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/data/ADODB.h"
#include "platform/os/Paths.h"
#include "suite/db/CompanyDatabase.h"

namespace suite::db {

namespace {

constexpr const char* ProgramId = "QTVB58";
constexpr const char* AdjustmentDocType = "ADJ";
constexpr int RateYears = 2;
constexpr int MaxInvoices = 10'000'000;
constexpr int MaxCustomers = 1'000'000;

struct TCurrencyDef {
    const char* Code;
    const char* Name;
    const char* EnglishName;
    int Decimals;
    double StartRate;  // home-currency units for one unit, on the first day
    double Volatility; // daily standard deviation of the rate's logarithm
    int Weight;        // share of the customers trading in it
    const char* Countries; // of its customers
    const char* Suffixes;  // of the customers' company names, one per country
};

// The home currency comes first.
const TCurrencyDef Currencies[] = {
    {"CNY", "人民币", "Chinese Yuan", 2, 1.0, 0.0, 10, "CN", "有限公司"},
    {"USD", "美元", "US Dollar", 2, 7.10, 0.0030, 35, "US", "Inc."},
    {"EUR", "欧元", "Euro", 2, 7.75, 0.0040, 18, "DE,FR,IT,NL,ES", "GmbH,S.A.S.,S.p.A.,B.V.,S.L."},
    {"JPY", "日元", "Japanese Yen", 0, 0.0485, 0.0050, 10, "JP", "K.K."},
    {"HKD", "港币", "Hong Kong Dollar", 2, 0.912, 0.0030, 12, "HK", "有限公司"},
    {"GBP", "英镑", "Pound Sterling", 2, 9.05, 0.0045, 9, "GB", "Ltd."},
    {"AUD", "澳元", "Australian Dollar", 2, 4.70, 0.0055, 6, "AU", "Pty Ltd"},
};
constexpr int CurrencyCount = static_cast<int>(std::size(Currencies));

const char* const Cities[] = {"上海", "北京", "深圳", "广州", "杭州", "苏州", "宁波", "厦门", "天津", "青岛", "无锡", "东莞"};
const char* const Brands[] = {"恒达", "华信", "永盛", "金源", "宏远", "鼎新", "瑞丰", "联创", "嘉禾", "盛世", "兴业", "天成"};
const char* const Trades[] = {"贸易", "电子", "机械", "纺织", "化工", "物流", "科技", "食品"};
const char* const Words[] = {"Pacific", "Atlantic", "Northern", "Summit", "Harbor", "Crown",
                             "Golden", "Evergreen", "Pioneer", "Meridian", "Silverline", "Keystone"};
const char* const Lines[] = {"Trading", "Electronics", "Machinery", "Textiles", "Chemicals", "Logistics", "Foods", "Components"};

struct TUserDef {
    const char* Id;
    const char* Name;
    const char* Mobile;
    const char* Email;
    const char* Rights;
};
const TUserDef Users[] = {
    {"ADMIN", "系统管理员", "13800000000", "admin@example.com", "YYYYYYYY"},
    {"U01", "张伟", "13800138001", "zhang.wei@example.com", "YYYYYYYY"},
    {"U02", "李娜", "13800138002", "li.na@example.com", "YYYYYYYY"},
    {"U03", "王芳", "13800138003", "wang.fang@example.com", "YYYYYYNN"},
    {"U04", "刘洋", "13900139004", "liu.yang@example.com", "YYYYYYYN"},
    {"U05", "陈静", "13900139005", "chen.jing@example.com", "YYYYNNNN"},
};

// Deterministic numbers from the seed: the engine's sequence is fixed by the
// language standard; the distributions are our own so that every library
// gives the same data.
class TRandom {
public:
    explicit TRandom(std::uint64_t seed) : FEngine(seed) {}
    double Uniform() { return static_cast<double>(FEngine() >> 11) * 0x1.0p-53; } // [0, 1)
    int Below(int n) { return static_cast<int>(Uniform() * n); }
    double Normal()
    {
        const double u1 = 1.0 - Uniform(); // (0, 1]
        const double u2 = Uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }

private:
    std::mt19937_64 FEngine;
};

double RoundTo(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

std::string Date8(TDateTime day) { return FormatDateTime("yyyymmdd", day); }

bool ParseDate8(const std::string& text, TDateTime& day)
{
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    return TryEncodeDate(std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)), std::stoi(text.substr(6, 2)), day);
}

// YYYYMM of the month `back` months before the month of day.
std::string MonthBefore(TDateTime day, int back)
{
    int y, m, d;
    DecodeDate(day, y, m, d);
    int index = y * 12 + (m - 1) - back;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d", index / 12, index % 12 + 1);
    return buf;
}

std::vector<std::string> SplitCommas(const std::string& text)
{
    std::vector<std::string> list;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        list.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) return list;
        start = comma + 1;
    }
}

// A customer's country, then a company name in the style of that country.
std::pair<std::string, std::string> CustomerOf(TRandom& rnd, const TCurrencyDef& currency)
{
    const std::vector<std::string> countries = SplitCommas(currency.Countries);
    const std::vector<std::string> suffixes = SplitCommas(currency.Suffixes);
    const int k = rnd.Below(static_cast<int>(countries.size()));
    const std::string& suffix = suffixes[k];
    if (suffix == "有限公司") {
        const std::string city = countries[k] == "HK" ? "香港" : Cities[rnd.Below(std::size(Cities))];
        return {countries[k], city + Brands[rnd.Below(std::size(Brands))] + Trades[rnd.Below(std::size(Trades))] + suffix};
    }
    return {countries[k],
            std::string(Words[rnd.Below(std::size(Words))]) + " " + Lines[rnd.Below(std::size(Lines))] + " " + suffix};
}

struct TCustomer {
    std::string Id;
    int Currency; // index into Currencies
};

struct TInvoice {
    int Day; // index of the invoice date among the rate days
    int Customer;
    int Terms;
    double Amount, Open;
};

// One prepared insert: the statement is compiled once for all its rows.
class TInserter {
public:
    TInserter(TKvADOConnection& connection, const std::string& sql)
    {
        FQuery.SetConnection(&connection);
        FQuery.SetPrepared(true);
        FQuery.SQL.SetText(sql);
    }
    TInserter& Set(const char* name, const Variant& value)
    {
        FQuery.ParamByName(name) = value;
        return *this;
    }
    void Run() { FQuery.ExecSQL(); }

private:
    TKvADOQuery FQuery;
};

// A database file and the engine's side files (rollback journal, write-ahead log).
void RemoveFile(const std::string& file)
{
    std::error_code ec;
    for (const char* side : {"", "-journal", "-wal", "-shm"}) std::filesystem::remove(file + side, ec);
}

} // namespace

TDemoSummary CreateDemoCompany(const TDemoOptions& options)
{
    if (!IsValidDatabaseName(options.Company))
        throw ECompanyDatabaseError("'" + options.Company +
                                    "' is not a usable company name (letters, digits and _, at most 30)");
    if (Trim(options.Folder).empty()) throw ECompanyDatabaseError("No folder given for the company database");
    if (options.Invoices < 0 || options.Invoices > MaxInvoices)
        throw ECompanyDatabaseError("The number of invoices must lie between 0 and " + IntToStr(MaxInvoices));
    if (options.Customers < 0 || options.Customers > MaxCustomers)
        throw ECompanyDatabaseError("The number of customers must lie between 1 and " + IntToStr(MaxCustomers) +
                                    " (0 chooses it from the number of invoices)");
    TDateTime today = Date();
    if (!options.Today.empty() && !ParseDate8(options.Today, today))
        throw ECompanyDatabaseError("'" + options.Today + "' is not a date YYYYMMDD");

    const std::string file = CompanyDatabaseFile(options.Folder, options.Company);
    if (os::FileExists(file) && !options.Force)
        throw ECompanyDatabaseError("The company database '" + file + "' already exists; use --force to recreate it");
    if (!os::ForceDirectories(options.Folder))
        throw ECompanyDatabaseError("Cannot create the folder '" + options.Folder + "'");

    TRandom rnd(options.Seed);
    TDemoSummary summary;
    summary.File = file;
    summary.Company = options.Company;
    summary.HomeCurrency = Currencies[0].Code;
    for (int c = 1; c < CurrencyCount; ++c) summary.ForeignCurrencies.push_back(Currencies[c].Code);

    // Daily rates: a random walk of each rate's logarithm, pulled gently back
    // towards its starting level so two years stay within realistic bounds.
    int y, m, d;
    DecodeDate(today, y, m, d);
    TDateTime first;
    if (!TryEncodeDate(y - RateYears, m, std::min(d, DaysInAMonth(y - RateYears, m)), first))
        throw ECompanyDatabaseError("The date is too early for two years of rates");
    const int days = static_cast<int>(std::lround(today - first)) + 1;
    std::vector<std::string> dayText(days);
    for (int i = 0; i < days; ++i) dayText[i] = Date8(first + i);
    std::vector<std::vector<double>> rates(CurrencyCount, std::vector<double>(days, 1.0));
    for (int c = 1; c < CurrencyCount; ++c) {
        const double level = std::log(Currencies[c].StartRate);
        double x = level;
        for (int i = 0; i < days; ++i) {
            rates[c][i] = RoundTo(std::exp(x), 7);
            x += 0.01 * (level - x) + Currencies[c].Volatility * rnd.Normal();
        }
    }
    summary.FirstRateDate = dayText.front();
    summary.LastRateDate = dayText.back();
    summary.RateDays = days;
    summary.Rates = static_cast<long long>(days) * (CurrencyCount - 1);

    // Customers: each trades in one currency; the first ones cover every
    // currency, the rest follow the currencies' weights.
    const int customerCount =
        options.Customers > 0 ? options.Customers : std::clamp(options.Invoices / 20, 12, 5000);
    int totalWeight = 0;
    for (const auto& c : Currencies) totalWeight += c.Weight;
    std::vector<TCustomer> customers;
    customers.reserve(customerCount);
    for (int i = 0; i < customerCount; ++i) {
        int currency = (i + 1) % CurrencyCount; // foreign currencies first
        if (i >= CurrencyCount) {
            int pick = rnd.Below(totalWeight);
            currency = 0;
            while (pick >= Currencies[currency].Weight) pick -= Currencies[currency++].Weight;
        }
        char id[16];
        std::snprintf(id, sizeof id, "C%05d", i + 1);
        customers.push_back({id, currency});
    }
    summary.Customers = customerCount;

    // Open invoices, mostly recent: their age follows an exponential
    // distribution (mean 75 days) within the days that have rates.
    std::vector<TInvoice> invoices(options.Invoices);
    for (auto& inv : invoices) {
        const int age = std::min(static_cast<int>(-std::log(1.0 - rnd.Uniform()) * 75.0), days - 1);
        inv.Day = days - 1 - age;
        inv.Customer = rnd.Below(customerCount);
        static const int terms[] = {30, 45, 60, 90};
        inv.Terms = terms[rnd.Below(4)];
        const TCurrencyDef& cur = Currencies[customers[inv.Customer].Currency];
        const double rate = rates[customers[inv.Customer].Currency][inv.Day];
        // Worth between 2 000 and 2 000 000 in the home currency, spread evenly on a log scale.
        const double homeValue = 2000.0 * std::pow(1000.0, rnd.Uniform());
        const double unit = std::pow(10.0, -cur.Decimals);
        inv.Amount = std::max(RoundTo(homeValue / rate, cur.Decimals), unit);
        inv.Open = inv.Amount;
        if (rnd.Uniform() < 0.3) // partly paid
            inv.Open = std::max(RoundTo(inv.Amount * (0.1 + 0.8 * rnd.Uniform()), cur.Decimals), unit);
    }
    std::stable_sort(invoices.begin(), invoices.end(), [](const TInvoice& a, const TInvoice& b) { return a.Day < b.Day; });
    summary.Invoices = options.Invoices;

    // The database is built beside the target and moved into place at the end.
    const std::string temp = file + ".tmp";
    RemoveFile(temp);
    try {
        TKvADOConnection connection;
        connection.LoginPrompt = false;
        connection.SetConnectionString(ConnectionStringFor(temp, true));
        connection.Open();
        MigrateCompanyDatabase(connection);
        connection.BeginTrans();

        const std::string company = options.Company;
        summary.Parameters = {
            {"KVT002", company + " 演示公司"},
            {"Sys001", "1"},
            {"Sys002", "/"},
            {"Sys003", Currencies[0].Code},
            {"Sys027", MonthBefore(today, 1)},
            {"Sys028", MonthBefore(today, 2)},
        };
        const std::map<std::string, std::string> descriptions = {
            {"KVT002", "标题"},        {"Sys001", "日期格式"}, {"Sys002", "日期分隔符"},
            {"Sys003", "本位币"},      {"Sys027", "开放起始年月"}, {"Sys028", "已关账年月"},
        };
        {
            TInserter ins(connection, "INSERT INTO SYSTEM_PARAMETER (COMPANY, NAME, VALUE, DESCRIPTION) "
                                      "VALUES (:COMPANY, :NAME, :VALUE, :DESCRIPTION)");
            for (const auto& [name, value] : summary.Parameters)
                ins.Set("COMPANY", company).Set("NAME", name).Set("VALUE", value).Set("DESCRIPTION", descriptions.at(name)).Run();
        }
        {
            TInserter user(connection, "INSERT INTO KVTMA (USER_ID, USER_NAME, MOBILE, EMAIL) "
                                       "VALUES (:USER_ID, :USER_NAME, :MOBILE, :EMAIL)");
            TInserter right(connection, "INSERT INTO USER_RIGHT (USER_ID, PROGRAM_ID, RIGHTS) "
                                        "VALUES (:USER_ID, :PROGRAM_ID, :RIGHTS)");
            for (const auto& u : Users) {
                user.Set("USER_ID", u.Id).Set("USER_NAME", u.Name).Set("MOBILE", u.Mobile).Set("EMAIL", u.Email).Run();
                right.Set("USER_ID", u.Id).Set("PROGRAM_ID", ProgramId).Set("RIGHTS", u.Rights).Run();
                summary.Users.push_back(u.Id);
            }
        }
        {
            TInserter program(connection,
                              "INSERT INTO ADMMB (PROGRAM_ID, PROGRAM_NAME, SYSTEM_CODE, PROGRAM_KIND, NO_DIRECT_RUN, "
                              "WANT_LOG, LIBRARY, VERSION, ENGLISH_NAME) VALUES (:PROGRAM_ID, :PROGRAM_NAME, "
                              ":SYSTEM_CODE, 'B', 'N', 'N', :LIBRARY, :VERSION, :ENGLISH_NAME)");
            program.Set("PROGRAM_ID", ProgramId)
                .Set("PROGRAM_NAME", "应收账款汇率调整")
                .Set("SYSTEM_CODE", "ACR")
                .Set("LIBRARY", std::string(ProgramId) + "C")
                .Set("VERSION", "1.0")
                .Set("ENGLISH_NAME", "Receivables exchange-rate adjustment")
                .Run();
            TInserter setting(connection, "INSERT INTO KVTINTMA (MA001, MA003, DESCRIPTION) "
                                          "VALUES (:MA001, :MA003, :DESCRIPTION)");
            setting.Set("MA001", "StartupPortal").Set("MA003", "N").Set("DESCRIPTION", "启用门户 (Y/N)").Run();
            setting.Set("MA001", "Portal WS").Set("MA003", "").Set("DESCRIPTION", "门户服务地址").Run();
        }
        {
            TInserter ar(connection, "INSERT INTO ACRMA (MA001, MA018, MA033) VALUES (:MA001, 'Y', :MA033)");
            ar.Set("MA001", company).Set("MA033", AdjustmentDocType).Run();
            TInserter currency(connection, "INSERT INTO CMSMF (MF001, MF002, AMOUNT_DECIMALS, ENGLISH_NAME) "
                                           "VALUES (:MF001, :MF002, :DECIMALS, :ENGLISH_NAME)");
            for (const auto& c : Currencies)
                currency.Set("MF001", c.Code).Set("MF002", c.Name).Set("DECIMALS", c.Decimals).Set("ENGLISH_NAME", c.EnglishName).Run();
            TInserter rate(connection, "INSERT INTO CMSMG (MG001, MG002, MG003) VALUES (:MG001, :MG002, :MG003)");
            for (int c = 1; c < CurrencyCount; ++c)
                for (int i = 0; i < days; ++i)
                    rate.Set("MG001", Currencies[c].Code).Set("MG002", dayText[i]).Set("MG003", rates[c][i]).Run();
        }
        {
            // One notification rule: the administrator hears when a direct run of the adjustment has finished.
            TInserter rule(connection, "INSERT INTO TMCMC (MC001, MC002, RULE_NAME, MC005) "
                                       "VALUES ('R001', '1', :RULE_NAME, :MC005)");
            rule.Set("RULE_NAME", "汇率调整完成通知").Set("MC005", ProgramId).Run();
            TInserter line(connection, "INSERT INTO TMCMD (MD001, MD002, MD003, MD004, MD006, MD007) "
                                       "VALUES ('R001', '1', '1', '6', '', :MD007)");
            line.Set("MD007", "<MD007><Receiver><R1 ID=\"ADMIN\" Name=\"系统管理员\" Type=\"1\" Msg=\"YNN\"/></Receiver>"
                              "<Title Value=\"应收账款汇率调整完成\"/></MD007>||应收账款汇率调整已完成。[**********]||" +
                                  company)
                .Run();
        }
        {
            TInserter customer(connection, "INSERT INTO CUSTOMER (CUSTOMER_ID, CUSTOMER_NAME, CURRENCY, COUNTRY) "
                                           "VALUES (:CUSTOMER_ID, :CUSTOMER_NAME, :CURRENCY, :COUNTRY)");
            for (const auto& c : customers) {
                const TCurrencyDef& cur = Currencies[c.Currency];
                const auto [country, name] = CustomerOf(rnd, cur);
                customer.Set("CUSTOMER_ID", c.Id)
                    .Set("CUSTOMER_NAME", name)
                    .Set("CURRENCY", cur.Code)
                    .Set("COUNTRY", country)
                    .Run();
            }
        }
        {
            TInserter invoice(connection,
                              "INSERT INTO AR_INVOICE (INVOICE_NO, CUSTOMER_ID, CURRENCY, INVOICE_DATE, DUE_DATE, "
                              "AMOUNT, OPEN_AMOUNT, BOOKED_RATE, HOME_AMOUNT) VALUES (:INVOICE_NO, :CUSTOMER_ID, "
                              ":CURRENCY, :INVOICE_DATE, :DUE_DATE, :AMOUNT, :OPEN_AMOUNT, :BOOKED_RATE, :HOME_AMOUNT)");
            std::vector<TDemoCurrencyTotal> totals(CurrencyCount);
            for (int c = 0; c < CurrencyCount; ++c) totals[c].Currency = Currencies[c].Code;
            const int homeDecimals = Currencies[0].Decimals;
            for (std::size_t i = 0; i < invoices.size(); ++i) {
                const TInvoice& inv = invoices[i];
                const TCustomer& cust = customers[inv.Customer];
                const double rate = rates[cust.Currency][inv.Day];
                const double home = RoundTo(inv.Open * rate, homeDecimals);
                char number[32];
                std::snprintf(number, sizeof number, "AR%08zu", i + 1);
                invoice.Set("INVOICE_NO", number)
                    .Set("CUSTOMER_ID", cust.Id)
                    .Set("CURRENCY", Currencies[cust.Currency].Code)
                    .Set("INVOICE_DATE", dayText[inv.Day])
                    .Set("DUE_DATE", Date8(first + inv.Day + inv.Terms))
                    .Set("AMOUNT", inv.Amount)
                    .Set("OPEN_AMOUNT", inv.Open)
                    .Set("BOOKED_RATE", rate)
                    .Set("HOME_AMOUNT", home)
                    .Run();
                TDemoCurrencyTotal& t = totals[cust.Currency];
                ++t.Invoices;
                t.OpenAmount += inv.Open;
                t.HomeAmount += home;
            }
            for (auto& t : totals)
                if (t.Invoices > 0) summary.Totals.push_back(t);
        }
        connection.CommitTrans();
        connection.Close();
        // A journal left by the database being replaced would be played back
        // into the new file.
        RemoveFile(file);
        std::error_code ec;
        std::filesystem::rename(temp, file, ec);
        if (ec) throw ECompanyDatabaseError("Cannot move the new database to '" + file + "': " + ec.message());
    } catch (...) {
        RemoveFile(temp);
        throw;
    }
    return summary;
}

namespace {

const char* const Usage =
    "usage: orvane-demodata --folder DIR [--company DEMO] [--invoices N] [--customers N] [--seed S]\n"
    "                       [--today YYYYMMDD] [--force]\n"
    "Creates the company database DIR/<company>.db with currencies, two years of daily exchange\n"
    "rates up to today, customers, N open invoices (default 1000), users and system parameters.\n"
    "An existing database is left alone unless --force is given.\n";

std::string Amount(double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    return buf;
}

} // namespace

int DemoDataMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TDemoOptions options;
    bool haveFolder = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            out << Usage;
            return 0;
        }
        if (a == "--force") {
            options.Force = true;
            continue;
        }
        const bool takesValue = a == "--folder" || a == "--company" || a == "--invoices" || a == "--customers" ||
                                a == "--seed" || a == "--today";
        if (!takesValue) {
            err << "orvane-demodata: unknown argument '" << a << "'\n" << Usage;
            return 2;
        }
        if (i + 1 >= args.size()) {
            err << "orvane-demodata: " << a << " needs a value\n" << Usage;
            return 2;
        }
        const std::string& v = args[++i];
        if (a == "--folder") {
            options.Folder = v;
            haveFolder = true;
        } else if (a == "--company") {
            options.Company = v;
        } else if (a == "--today") {
            options.Today = v;
        } else {
            // Plain decimal digits only (no sign, no hexadecimal forms).
            const bool digits = !v.empty() && v.size() <= 19 &&
                                std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; });
            const std::uint64_t n = digits ? std::stoull(v) : 0;
            if (!digits || (a != "--seed" && n > static_cast<std::uint64_t>(MaxInvoices))) {
                err << "orvane-demodata: " << a << " needs a whole number"
                    << (a == "--seed" ? "" : " up to " + IntToStr(MaxInvoices)) << ", not '" << v << "'\n";
                return 2;
            }
            if (a == "--seed") options.Seed = n;
            else (a == "--invoices" ? options.Invoices : options.Customers) = static_cast<int>(n);
        }
    }
    if (!haveFolder) {
        err << "orvane-demodata: --folder is required\n" << Usage;
        return 2;
    }
    try {
        const TDemoSummary s = CreateDemoCompany(options);
        out << "Created company database " << s.Company << ": " << s.File << "\n";
        out << "  currencies:      " << s.HomeCurrency << " (home)";
        for (const auto& c : s.ForeignCurrencies) out << ", " << c;
        out << "\n  exchange rates:  " << s.ForeignCurrencies.size() << " currencies x " << s.RateDays << " days ("
            << s.FirstRateDate << ".." << s.LastRateDate << ") = " << s.Rates << " rates\n";
        out << "  customers:       " << s.Customers << "\n";
        out << "  open invoices:   " << s.Invoices << "\n";
        for (const auto& t : s.Totals)
            out << "    " << t.Currency << ": " << t.Invoices << " invoices, open " << Amount(t.OpenAmount) << " "
                << t.Currency << " = " << Amount(t.HomeAmount) << " " << s.HomeCurrency << " at booked rates\n";
        out << "  users:           ";
        for (std::size_t i = 0; i < s.Users.size(); ++i) out << (i ? ", " : "") << s.Users[i];
        out << " (rights on " << ProgramId << ")\n";
        out << "  program record:  " << ProgramId << "; adjustment document type " << AdjustmentDocType << "\n";
        out << "  parameters:     ";
        for (const auto& [name, value] : s.Parameters) out << " " << name << "=" << value;
        out << "\n";
        return 0;
    } catch (const EPlatformError& e) {
        err << "orvane-demodata: " << e.Message() << "\n";
        return 1;
    }
}

} // namespace suite::db
