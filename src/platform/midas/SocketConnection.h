#pragma once
// TSocketConnection: the client side of a connection to the application
// server. Open() connects over TCP to Address:Port and asks the server to
// create the object named by ServerName; AppServer() then returns a variant
// holding a proxy whose calls, property reads and writes travel over the
// socket. Arguments of calls are by reference: the values the server's
// object leaves in them are written back into the caller's vector.
//
// In-process use: the caller may create the application server object itself
// and hand it over with SetAppServer; AppServer() then returns that object
// and no socket is used.
//
// Errors raised by the server's object arrive as EMidasRemoteError (an
// EOleError) with the server's message unchanged. Transport failures and
// timeouts raise EOleError and close the connection.
#include <memory>
#include <string>

#include "platform/core/Properties.h"
#include "platform/core/StringList.h"

class EMidasRemoteError : public EOleError {
public:
    EMidasRemoteError(std::string message, std::string remoteClassName)
        : EOleError(std::move(message)), RemoteClassName(std::move(remoteClassName)) {}
    // Class name of the exception raised on the server ("EPlatformError" ...).
    std::string RemoteClassName;
};

// Names the application servers a connection may use. Each line of Servers
// is "address" or "address:port"; the connection takes the first.
class TSimpleObjectBroker : public TObject {
    ORVANE_CLASS_INFO
public:
    TStringList& Servers() { return FServers; }
    const TStringList& Servers() const { return FServers; }
    // The first server's line; raises EOleError when the list is empty.
    std::string GetServer() const;

private:
    TStringList FServers;
};

struct TMidasChannel; // the open socket, shared with the proxies handed out

class TSocketConnection : public TObject {
    ORVANE_CLASS_INFO
public:
    TSocketConnection();
    ~TSocketConnection() override; // closes
    TSocketConnection(const TSocketConnection&) = delete;
    TSocketConnection& operator=(const TSocketConnection&) = delete;

    // Connects when not connected yet. The address is Address, or when that
    // is empty the first server of ObjectBroker (whose "address:port" form
    // overrides Port). Raises EOleError when no address or server name is
    // given, the server cannot be reached in ConnectTimeout or refuses to
    // create the object. Nothing is done while a local object is set.
    void Open();
    // Drops the socket and any local object. Proxies handed out earlier raise
    // EOleError from then on.
    void Close();
    bool GetConnected() const;
    void SetConnected(bool value);

    // The application server: the local object when one was set, otherwise
    // the proxy of the open connection (opening it first when needed).
    Variant AppServer();
    // Uses obj (a variant holding an automation object) in-process.
    void SetAppServer(const Variant& obj);

    std::string Address;
    int Port = 0;
    std::string ServerName;
    bool SupportCallbacks = false; // kept for the forms; calls back to the client are not supported
    int ConnectTimeout = 5000;    // milliseconds
    int CallTimeout = 60000;      // milliseconds, for each send and each reply
    TSimpleObjectBroker* ObjectBroker = nullptr; // not owned; clear it before the broker goes away

private:
    std::shared_ptr<TMidasChannel> FChannel;
    IAutoObjectPtr FRemote; // proxy over FChannel
    IAutoObjectPtr FLocal;
};
