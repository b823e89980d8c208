#include "platform/midas/SocketConnection.h"

#include <mutex>

#include "platform/core/Automation.h"
#include "platform/core/SysUtils.h"
#include "platform/midas/FramedSocket.h"
#include "platform/midas/MidasInternal.h"
#include "platform/midas/Protocol.h"

using midas::json;

// The socket of an open connection. Proxies share it with the connection,
// so a proxy that outlives Close() or the connection raises instead of
// touching freed memory. One request is on the wire at a time.
struct TMidasChannel {
    std::mutex Lock;
    std::unique_ptr<midas::TFramedSocket> Socket; // null once closed
    midas::TTimeout CallTimeout{60000};

    bool IsOpen()
    {
        std::lock_guard guard(Lock);
        return Socket && Socket->IsOpen();
    }

    void Close()
    {
        std::lock_guard guard(Lock);
        Socket.reset();
    }

    // Sends the request and returns the successful reply. An error reply
    // raises EMidasRemoteError; a transport failure or a malformed reply
    // closes the channel and raises EOleError.
    json Call(const json& request)
    {
        std::lock_guard guard(Lock);
        if (!Socket || !Socket->IsOpen()) throw EOleError("Not connected to the application server");
        const std::vector<std::uint8_t> frame = json::to_cbor(request);
        // The server would drop the connection for a longer frame.
        if (frame.size() > midas::DefaultMaxFrameSize)
            throw EOleError("Request of " + std::to_string(frame.size()) + " bytes exceeds the frame limit");
        json reply;
        try {
            Socket->WriteFrame(frame, CallTimeout);
            std::vector<std::uint8_t> received;
            if (!Socket->ReadFrame(received, midas::DefaultMaxFrameSize, CallTimeout, CallTimeout))
                throw EOleError("The application server closed the connection");
            reply = midas::ParseCbor(received);
            if (!reply.is_object() || !reply.contains("ok") || !reply["ok"].is_boolean())
                throw EOleError("Malformed reply from the application server");
        } catch (const EOleError& e) {
            Socket.reset();
            throw EOleError(e.Message());
        }
        if (!reply["ok"].get<bool>()) {
            const auto text = [&](const char* key) {
                const auto it = reply.find(key);
                return it != reply.end() && it->is_string() ? it->get<std::string>() : std::string();
            };
            throw EMidasRemoteError(text("message"), text("class"));
        }
        return reply;
    }

    // A reply field holding a variant; a malformed one closes the channel.
    Variant Decode(const json& reply, const char* key)
    {
        try {
            const auto it = reply.find(key);
            if (it == reply.end()) throw EOleError(std::string("Reply without '") + key + "'");
            return midas::VariantFromJson(*it);
        } catch (const EOleError&) {
            Close();
            throw;
        }
    }
};

namespace {

class TRemoteAppServer : public IAutoObject {
public:
    explicit TRemoteAppServer(std::shared_ptr<TMidasChannel> channel) : FChannel(std::move(channel)) {}

    Variant Invoke(std::string_view name, std::vector<Variant>& args) override
    {
        json out = json::array();
        for (const Variant& arg : args) out.push_back(midas::VariantToJson(arg));
        const json reply = FChannel->Call(json{{"op", "invoke"}, {"name", name}, {"args", std::move(out)}});
        const Variant result = FChannel->Decode(reply, "result");
        // All arguments are decoded before any is written back, so a bad
        // reply leaves the caller's values untouched.
        std::vector<Variant> back;
        try {
            const auto it = reply.find("args");
            if (it == reply.end() || !it->is_array() || it->size() != args.size())
                throw EOleError("Reply carries the wrong number of arguments");
            for (const json& item : *it) back.push_back(midas::VariantFromJson(item));
        } catch (const EOleError&) {
            FChannel->Close();
            throw;
        }
        for (std::size_t i = 0; i < args.size(); ++i) args[i] = std::move(back[i]);
        return result;
    }

    Variant GetProperty(std::string_view name) override
    {
        return FChannel->Decode(FChannel->Call(json{{"op", "get"}, {"name", name}}), "result");
    }

    void SetProperty(std::string_view name, const Variant& value) override
    {
        FChannel->Call(json{{"op", "set"}, {"name", name}, {"value", midas::VariantToJson(value)}});
    }

private:
    std::shared_ptr<TMidasChannel> FChannel;
};

} // namespace

// ---------------------------------------------------------------------------
// TSimpleObjectBroker

const TClassInfo& TSimpleObjectBroker::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TSimpleObjectBroker>("TSimpleObjectBroker", TObject::StaticClass()).Build();
    return info;
}

std::string TSimpleObjectBroker::GetServer() const
{
    for (int i = 0; i < FServers.Count(); ++i)
        if (!Trim(FServers[i]).empty()) return Trim(FServers[i]);
    throw EOleError("The object broker names no server");
}

// ---------------------------------------------------------------------------
// TSocketConnection

const TClassInfo& TSocketConnection::StaticClass()
{
    static const TClassInfo info =
        TClassBuilder<TSocketConnection>("TSocketConnection", TObject::StaticClass())
            .Field<std::string>("Address", &TSocketConnection::Address)
            .Field<int>("Port", &TSocketConnection::Port)
            .Field<std::string>("ServerName", &TSocketConnection::ServerName)
            .Field<bool>("SupportCallbacks", &TSocketConnection::SupportCallbacks)
            .Field<int>("ConnectTimeout", &TSocketConnection::ConnectTimeout)
            .Field<int>("CallTimeout", &TSocketConnection::CallTimeout)
            .Field<TSimpleObjectBroker*>("ObjectBroker", &TSocketConnection::ObjectBroker)
            .Prop<bool>("Connected", &TSocketConnection::GetConnected, &TSocketConnection::SetConnected)
            .Build();
    return info;
}

TSocketConnection::TSocketConnection() = default;

TSocketConnection::~TSocketConnection() { Close(); }

void TSocketConnection::Open()
{
    if (GetConnected()) return;
    std::string host = Trim(Address);
    int port = Port;
    if (host.empty() && ObjectBroker) {
        host = ObjectBroker->GetServer();
        const auto colon = host.rfind(':');
        if (colon != std::string::npos) {
            const auto p = TryStrToInt(host.substr(colon + 1));
            if (!p || *p <= 0 || *p > 65535) throw EOleError("Bad port in object broker entry '" + host + "'");
            port = *p;
            host = Trim(host.substr(0, colon));
        }
    }
    if (host.empty()) throw EOleError("No address given for the socket connection");
    if (port <= 0 || port > 65535) throw EOleError("No valid port given for the socket connection");
    if (Trim(ServerName).empty()) throw EOleError("No server name given for the socket connection");

    auto channel = std::make_shared<TMidasChannel>();
    channel->CallTimeout = midas::TTimeout{CallTimeout > 0 ? CallTimeout : 0};
    channel->Socket = std::make_unique<midas::TFramedSocket>();
    channel->Socket->Connect(host, static_cast<std::uint16_t>(port), midas::TTimeout{ConnectTimeout > 0 ? ConnectTimeout : 0});
    try {
        channel->Call(json{{"op", "connect"}, {"name", Trim(ServerName)}});
    } catch (...) {
        channel->Close();
        throw;
    }
    FChannel = std::move(channel);
    FRemote = std::make_shared<TRemoteAppServer>(FChannel);
}

void TSocketConnection::Close()
{
    if (FChannel) FChannel->Close();
    FChannel.reset();
    FRemote.reset();
    FLocal.reset();
}

bool TSocketConnection::GetConnected() const { return FLocal || (FChannel && FChannel->IsOpen()); }

void TSocketConnection::SetConnected(bool value)
{
    if (value)
        Open();
    else
        Close();
}

Variant TSocketConnection::AppServer()
{
    if (FLocal) return Variant(FLocal);
    if (!GetConnected()) Open();
    return Variant(FRemote);
}

void TSocketConnection::SetAppServer(const Variant& obj)
{
    IAutoObjectPtr object = VarToAutoObject(obj);
    Close();
    FLocal = std::move(object);
}
