#pragma once
// Configuration of the application server, read from "OrvaneS.ini" in its
// installation folder:
//
//   [DBE Setting]
//   MainDBType=SQLITE          SQLITE (default) or POSTGRESQL (not available yet)
//   MainDBName=data            folder of system.db and of one <DatabaseName>.db
//                              per company; relative to the installation
//                              folder; default: the installation folder
//   [Server Information]
//   ServerPort=211             port the daemon listens on
//   ListenAddress=127.0.0.1    address the daemon listens on
//   [WorkDLLPath]
//   Pkg1=S_PKG                 folders searched for server libraries
//                              (default: <installation folder>/S_PKG)
//
// The installation folder is given to the daemon (--install) or, for a
// server object created in a client's process, is the registry's
// "ServerPath" (TOrvaneIniS).
#include <string>
#include <vector>

#include "platform/core/Exceptions.h"

ORVANE_EXCEPTION_CLASS(EAppServerError, EPlatformError);

struct TAppServerConfig {
    std::string InstallPath; // ends in "/"
    std::string IniFileName;
    std::string DBType = "SQLITE";
    std::string DataPath; // ends in "/"
    // Folders searched, in order, for "<ProgramID>S.so": the configured
    // [WorkDLLPath] folders, then the folder of the server's own library, then
    // the "lib" folder beside the executable's folder and the executable's own.
    std::vector<std::string> LibraryPaths;
    std::string ListenAddress = "127.0.0.1";
    int Port = 211;
};

// Raises EAppServerError with a text naming the problem: no installation
// folder, a folder that does not exist, a database type that is not
// available, a missing database folder.
TAppServerConfig LoadAppServerConfig(const std::string& installFolder = "");
