#pragma once
// The interface of a server library ("<ProgramID>S.so"): the part of a
// program that does its work on the application server, or in the client's
// process when the server is local.
//
// The library exports
//     extern "C" TSvrController* GetSvrController();
// which returns a new controller; the caller owns it and frees it with
// delete. Per run the caller calls Execute once with the run array and then
// GetMessages, also when Execute raised.
//
// Run array (indexed from 0), by the program's kind letter:
//   "B" (batch):  [JobNo, Company, User, Values, Database, SubJob, ProductNumber]
//   otherwise:    [JobNo, Extra, Company, User, Database, Values, One, Kind,
//                  SubJob, ProductNumber, 1, interface code page text]
// Values is element 2 of the job parameters (the option values, indexed from
// 1); SubJob is the first 8 characters of the job number + "0001".
#include <string>

#include "platform/core/Variant.h"

class TSvrController {
public:
    virtual ~TSvrController() = default;
    // The messages of the last run (UTF-8 text, lines ended by CR LF).
    virtual std::string GetMessages() = 0;
    // Runs the job; an exception means the run failed.
    virtual void Execute(const Variant& RunArray) = 0;
};

// The name and signature of the export.
inline constexpr const char* SvrControllerExport = "GetSvrController";
using TGetSvrController = TSvrController*();

// Builds the run array for a program's kind letter, as described above.
inline Variant MakeSvrRunArray(const std::string& JobNo, const std::string& Kind, const std::string& Company,
                               const std::string& User, const std::string& Database, const Variant& Values,
                               int ProductNumber, const std::string& Extra = "", const std::string& CodePage = "936")
{
    const std::string subJob = JobNo.substr(0, 8) + "0001";
    std::string kind;
    for (char c : Kind) kind += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (kind == "B")
        return VarArrayOf({Variant(JobNo), Variant(Company), Variant(User), Values, Variant(Database), Variant(subJob),
                           Variant(ProductNumber)});
    return VarArrayOf({Variant(JobNo), Variant(Extra), Variant(Company), Variant(User), Variant(Database), Values,
                       Variant(1), Variant(kind), Variant(subJob), Variant(ProductNumber), Variant(1),
                       Variant(CodePage)});
}
