#pragma once
// The three service objects the host hands out through Manager
// (Com_Counter, Com_Validator, Com_F2Window) and what they share: the
// session's user, company and database, and the link to the application
// server. Modules reach them late-bound; every argument is by reference.
//
// Counter ("Com_Counter"):
//   GetCounter(NAME, params, [company, database])
//                     the application server's named call (its CallMethod);
//                     params as the call left them
//   GetSysInfo(company)
//                     the company's system parameters as a two-dimensional
//                     array [0..1, 0..n-1]: [0, i] name, [1, i] value, by
//                     name; unassigned when the company has none
// Validator ("Com_Validator"), properties ProductID and BaseLimited:
//   CheckValue(table, kind, database, params, result)
//                     True when the record keyed by params[0] (and, for
//                     "GENES", params[1], params[2]) exists; result is the
//                     record (see ValidatorTables below), else unassigned
//   QueryData(table, kind, database, params, result)
//                     True when rows were found; result is an array of row
//                     arrays (all rows, or those of the key in params[0])
// Quick pick ("Com_F2Window"):
//   F2GetData([table, kind, params, several, default key, company, database,
//              window, ...])  (19 elements)
//                     opens the pick list over the table's rows; the picked
//                     rows as an array of row arrays, unassigned when
//                     cancelled or when there is nothing to pick
//   GetPhrase(user, database, window)
//                     a phrase text; "" (the host keeps no phrases)
//   ShowInputDay([years from 1912, start YYYYMMDD, database])
//                     the date picker; YYYYMMDD, or "" when cancelled
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/Automation.h"
#include "platform/ui/Forms.h"

class TSocketConnection;

// The host's connection to the application server, opened on first use the
// way a module opens its own: address and port from the client
// configuration; the address "127.0.0.1" creates the server object in this
// process, any other connects over the socket.
class THostServerLink {
public:
    THostServerLink();
    ~THostServerLink();
    THostServerLink(const THostServerLink&) = delete;
    THostServerLink& operator=(const THostServerLink&) = delete;

    // The application server object; raises EOleError when the
    // configuration names no server or the server cannot be reached.
    Variant AppServer();
    // The server's named call; params are written back.
    Variant CallNamed(const std::string& name, Variant& params, const Variant& context);
    // Drops the connection; the next call connects again.
    void Disconnect();

private:
    std::unique_ptr<TSocketConnection> FConnection;
    Variant FAppServer;
};

// What the Manager and its services share.
struct THostContext {
    std::string User;
    std::string Company;
    std::string Database;
    THostServerLink Server;
    // Runs the host's own windows (pick list, date picker) and returns their
    // modal result; by default they are shown modally.
    std::function<TModalResult(TForm&)> WindowRunner;

    // The database a call names, else the session's, else the company code.
    std::string DatabaseOr(const std::string& asked) const;
    TModalResult RunWindow(TForm& form);
};

// A table the validator and the quick pick know.
struct TValidatorTable {
    std::string Name;                  // "ADMMB"
    std::vector<std::string> Columns;  // captions of the pick list, key first
};
// "ADMMB" program records: query rows [PROGRAM_ID, PROGRAM_NAME, SYSTEM_CODE,
//   PROGRAM_KIND, NO_DIRECT_RUN, WANT_LOG, LIBRARY, VERSION, ENGLISH_NAME];
//   CheckValue's record is the row without the key ([0] name, [3] not to be
//   run directly, [4] log flag, [7] English name), for every kind.
// "KVTMA" users: rows [code, name, mobile, e-mail] (disabled users are left
//   out of queries and pick lists); CheckValue's record is the same row.
// "GENES" condition schemes of a user and program, kept by the application
//   server: params [name, user, program]; rows [name, user, program, creation
//   date]; CheckValue tells whether the name exists (names compare exactly).
// "CMSMF" currencies: rows [code, name, decimals, English name].
const std::vector<TValidatorTable>& ValidatorTables();

class THostCounter : public TAutoObject {
public:
    explicit THostCounter(std::shared_ptr<THostContext> context);
    // The company's parameters as (name, value) pairs, sorted by name.
    std::vector<std::pair<std::string, std::string>> SystemParameters(const std::string& company);

private:
    std::shared_ptr<THostContext> FContext;
};

class THostValidator : public TAutoObject {
public:
    explicit THostValidator(std::shared_ptr<THostContext> context);
    // The rows of a table (see ValidatorTables), of the key when not empty;
    // unassigned when there are none. Raises EOleError for an unknown table.
    Variant Query(const std::string& table, const std::string& database, const Variant& params, bool keyed);
    int ProductID = 3;
    std::string BaseLimited;

private:
    bool Check(std::vector<Variant>& args, bool query);
    std::shared_ptr<THostContext> FContext;
};

class THostQuickPick : public TAutoObject {
public:
    explicit THostQuickPick(std::shared_ptr<THostContext> context);

private:
    Variant F2GetData(const Variant& request);
    Variant ShowInputDay(const Variant& request);
    std::shared_ptr<THostContext> FContext;
};
