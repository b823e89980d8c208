#pragma once
// The application server object "ReportCounterS.dmReportCounter", exported
// by the library ReportCounterS.so. Clients reach it late-bound, over a
// socket connection or created in their own process. Each object keeps the
// text of its last failure (ErrorDescript) and the user and program chosen by
// LoadTable; everything else lives in the process's TAppServer.
//
// Methods (arguments in order; all by reference):
//   Request(params)                   job number, or "ERROR" (see ErrorDescript)
//   Request1(params, computer)        as Request, for a direct run by the client
//   ErrorDescript()                   the text of the last failure (also a property)
//   ExecSvrDLL(job, program, "", company, user, server class, kind, database,
//              values, 1, sub job, product number)
//                                     runs the server library now; raises on failure
//   UpdateStatus1(job, messages, date-time)
//                                     final status of a direct run
//   GetPower([database, user, program, ""])
//                                     [user, "database,user,program,rights",
//                                      user name, program name, data-limit text,
//                                      [n, item 1 .. item n]]
//   SQLType()                         1: SQLite
//   LoadTable([user, program])        chooses the schemes the provider delivers
//   GetProviderData(provider)         the packet of "pvdConSave" (RemoteProvider.h)
//   InsertConTable([name, user, yyyymmdd, program, fields, values, replace])
//   DeleteConTable([name, user, program])
//   ChangeConName([old, user, program], [new, user, program])
//                                     "" on success, else the reason
//   CallMethod(name, params, [company, database])
//                                     the named calls of the host's counter
//                                     service: "SimpleSql", "ResultConnectString",
//                                     "ExchangeRate"
//   JobStatus(job)                    [job, program, status, messages, run mode,
//                                      created, started, finished]
#include <memory>
#include <string>

#include "platform/core/Automation.h"

class TAppServer;

class TdmReportCounter : public TAutoObject {
public:
    explicit TdmReportCounter(std::shared_ptr<TAppServer> server);
    const std::string& LastError() const { return FLastError; }

private:
    // Registers a method whose failures become the object's last error.
    void Method(std::string name, TAutoMethod method);

    std::shared_ptr<TAppServer> FServer;
    std::string FLastError;
    bool FTableLoaded = false;
    std::string FTableUser;
    std::string FTableProgram;
};
