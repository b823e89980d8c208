#pragma once
// The demonstration company: a company database filled with currencies, two
// years of daily exchange rates, customers and open receivables, the users
// and the program record of the exchange-rate adjustment, and the system
// parameters it reads. The same seed and date always give the same data.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace suite::db {

struct TDemoOptions {
    std::string Folder;          // where "<Company>.db" is made
    std::string Company = "DEMO"; // the company code and the database name
    int Invoices = 1000;         // open invoices
    int Customers = 0;           // 0: one customer for every 20 invoices, at least 12, at most 5000
    std::uint64_t Seed = 1;
    std::string Today;           // YYYYMMDD, the last day with rates; empty: the local date
    bool Force = false;          // replace an existing database of that name
};

struct TDemoCurrencyTotal {
    std::string Currency;
    int Invoices = 0;
    double OpenAmount = 0;  // in the currency
    double HomeAmount = 0;  // in the home currency at the booked rates
};

struct TDemoSummary {
    std::string File;
    std::string Company;
    std::string HomeCurrency;
    std::vector<std::string> ForeignCurrencies;
    std::string FirstRateDate, LastRateDate; // YYYYMMDD
    int RateDays = 0;
    long long Rates = 0;
    int Customers = 0;
    int Invoices = 0;
    std::vector<std::string> Users;
    std::vector<TDemoCurrencyTotal> Totals; // per currency with invoices, in currency order
    std::vector<std::pair<std::string, std::string>> Parameters;
};

// Builds the database in a temporary file beside the target and moves it into
// place only when it is complete, so a failure never leaves a half-filled
// company behind. An existing database is refused unless Force is set.
// Raises ECompanyDatabaseError (bad options, existing database) and the
// errors of the database layer.
TDemoSummary CreateDemoCompany(const TDemoOptions& options);

// The command line of orvane-demodata (arguments without the program name).
// Returns the process exit code: 0 made, 1 failed or refused, 2 bad usage.
int DemoDataMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace suite::db
