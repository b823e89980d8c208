#include "platform/midas/MidasServer.h"

#include <atomic>
#include <iostream>
#include <list>
#include <mutex>
#include <thread>

#include "platform/core/Automation.h"
#include "platform/midas/FramedSocket.h"
#include "platform/midas/MidasInternal.h"
#include "platform/midas/Protocol.h"
#include "platform/os/Library.h"

namespace {

using midas::json;

// A request that breaks the protocol: the connection is dropped.
class EProtocolError : public EOleError {
public:
    using EOleError::EOleError;
};

struct TConnection {
    midas::TFramedSocket Socket;
    std::thread Thread;
    std::atomic<bool> Finished{false};
};

json ErrorReply(const std::string& className, const std::string& message)
{
    return json{{"ok", false}, {"class", className}, {"message", message}};
}

const std::string& TextField(const json& msg, const char* key)
{
    const auto it = msg.find(key);
    if (it == msg.end() || !it->is_string()) throw EProtocolError(std::string("Request without text field '") + key + "'");
    return it->get_ref<const std::string&>();
}

const json& Field(const json& msg, const char* key)
{
    const auto it = msg.find(key);
    if (it == msg.end()) throw EProtocolError(std::string("Request without field '") + key + "'");
    return *it;
}

} // namespace

struct TMidasServer::TImpl {
    // Made afresh by Start, so nothing queued for an earlier listener remains.
    std::unique_ptr<asio::io_context> AcceptContext;
    std::unique_ptr<asio::ip::tcp::acceptor> Acceptor;
    std::thread AcceptThread;
    std::atomic<bool> Stopping{false};
    bool IsActive = false;
    std::uint16_t BoundPort = 0;

    std::mutex ConnectionsLock;
    std::list<std::unique_ptr<TConnection>> Connections;

    std::mutex LogLock;
    TLogHandler Log;
    std::size_t MaxFrameSize = midas::DefaultMaxFrameSize;
    midas::TTimeout FrameTimeout{60000};

    void WriteLog(const std::string& text)
    {
        std::lock_guard guard(LogLock);
        if (Log)
            Log(text);
        else
            std::cerr << "TMidasServer: " << text << std::endl;
    }

    void AcceptLoop();
    void Serve(TConnection& c);
    json Handle(const json& request, IAutoObjectPtr& object);
    void ReapFinished();
};

void TMidasServer::TImpl::ReapFinished()
{
    std::lock_guard guard(ConnectionsLock);
    for (auto it = Connections.begin(); it != Connections.end();) {
        if ((*it)->Finished) {
            (*it)->Thread.join();
            it = Connections.erase(it);
        } else {
            ++it;
        }
    }
}

void TMidasServer::TImpl::AcceptLoop()
{
    while (!Stopping) {
        auto connection = std::make_unique<TConnection>();
        std::error_code ec;
        bool done = false;
        Acceptor->async_accept(connection->Socket.Raw(), [&](const std::error_code& e) {
            ec = e;
            done = true;
        });
        AcceptContext->restart();
        AcceptContext->run();
        if (Stopping) break;
        if (!done || ec) {
            WriteLog("Accepting a connection failed: " + (ec ? ec.message() : std::string("no result")));
            // Out of descriptors and the like: do not spin.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            continue;
        }
        ReapFinished();
        TConnection* c = connection.get();
        std::lock_guard guard(ConnectionsLock);
        Connections.push_back(std::move(connection));
        c->Thread = std::thread([this, c] {
            Serve(*c);
            c->Finished = true;
        });
    }
}

json TMidasServer::TImpl::Handle(const json& request, IAutoObjectPtr& object)
{
    if (!request.is_object()) throw EProtocolError("Request is no map");
    const std::string& op = TextField(request, "op");
    const std::string& name = TextField(request, "name");
    if (op == "connect") {
        if (object) throw EProtocolError("Connection already has an application server");
        try {
            object = os::CreateOleObject(name);
        } catch (const EPlatformError& e) {
            return ErrorReply(e.ClassName(), e.Message());
        }
        return json{{"ok", true}};
    }
    if (!object) throw EProtocolError("Request '" + op + "' before the application server was named");

    // Arguments are decoded before the call: a malformed variant is a broken
    // frame, not an error of the application server.
    std::vector<Variant> args;
    Variant value;
    if (op == "invoke") {
        const json& a = Field(request, "args");
        if (!a.is_array()) throw EProtocolError("Arguments are no array");
        for (const json& item : a) args.push_back(midas::VariantFromJson(item));
    } else if (op == "set") {
        value = midas::VariantFromJson(Field(request, "value"));
    } else if (op != "get") {
        throw EProtocolError("Unknown request '" + op + "'");
    }

    try {
        json reply{{"ok", true}};
        if (op == "invoke") {
            const Variant result = object->Invoke(name, args);
            json out = json::array();
            for (const Variant& arg : args) out.push_back(midas::VariantToJson(arg));
            reply["result"] = midas::VariantToJson(result);
            reply["args"] = std::move(out);
        } else if (op == "get") {
            reply["result"] = midas::VariantToJson(object->GetProperty(name));
        } else {
            object->SetProperty(name, value);
        }
        return reply;
    } catch (const EPlatformError& e) {
        return ErrorReply(e.ClassName(), e.Message());
    } catch (const std::exception& e) {
        return ErrorReply("Exception", e.what());
    }
}

void TMidasServer::TImpl::Serve(TConnection& c)
{
    const std::string peer = c.Socket.PeerName();
    IAutoObjectPtr object;
    std::vector<std::uint8_t> frame;
    try {
        while (!Stopping) {
            if (!c.Socket.ReadFrame(frame, MaxFrameSize, midas::TTimeout{0}, FrameTimeout)) break;
            std::vector<std::uint8_t> reply = json::to_cbor(Handle(midas::ParseCbor(frame), object));
            // The client would drop a longer frame together with the connection.
            if (reply.size() > MaxFrameSize)
                reply = json::to_cbor(ErrorReply("EOleError", "Reply of " + std::to_string(reply.size()) +
                                                                  " bytes exceeds the frame limit"));
            c.Socket.WriteFrame(reply, FrameTimeout);
        }
    } catch (const std::exception& e) {
        if (!Stopping) WriteLog("Connection from " + peer + " closed: " + e.what());
    }
    c.Socket.Close();
    object.reset(); // released on the thread that used it
}

TMidasServer::TMidasServer() : FImpl(std::make_unique<TImpl>()) {}

TMidasServer::~TMidasServer() { Stop(); }

void TMidasServer::Start(const std::string& address, std::uint16_t port)
{
    if (FImpl->IsActive) throw EOleError("Server is already active");
    FImpl->AcceptContext = std::make_unique<asio::io_context>();
    auto acceptor = std::make_unique<asio::ip::tcp::acceptor>(*FImpl->AcceptContext);
    try {
        const asio::ip::tcp::endpoint endpoint(asio::ip::make_address(address), port);
        acceptor->open(endpoint.protocol());
        acceptor->set_option(asio::ip::tcp::acceptor::reuse_address(true));
        acceptor->bind(endpoint);
        acceptor->listen();
        FImpl->BoundPort = acceptor->local_endpoint().port();
    } catch (const std::system_error& e) {
        throw EOleError("Cannot listen on " + address + ":" + std::to_string(port) + ": " + e.what());
    }
    FImpl->Acceptor = std::move(acceptor);
    FImpl->Stopping = false;
    FImpl->IsActive = true;
    FImpl->AcceptThread = std::thread([impl = FImpl.get()] { impl->AcceptLoop(); });
}

void TMidasServer::Stop()
{
    if (!FImpl->IsActive) return;
    FImpl->Stopping = true;
    asio::post(*FImpl->AcceptContext, [impl = FImpl.get()] {
        std::error_code ignored;
        impl->Acceptor->close(ignored);
    });
    FImpl->AcceptThread.join();
    FImpl->Acceptor.reset();
    FImpl->AcceptContext.reset();
    // The accept thread has ended, so the list no longer grows.
    std::list<std::unique_ptr<TConnection>> connections;
    {
        std::lock_guard guard(FImpl->ConnectionsLock);
        connections.swap(FImpl->Connections);
    }
    for (auto& c : connections) c->Socket.PostClose();
    for (auto& c : connections) c->Thread.join();
    FImpl->IsActive = false;
    FImpl->BoundPort = 0;
}

bool TMidasServer::Active() const { return FImpl->IsActive; }
std::uint16_t TMidasServer::Port() const { return FImpl->BoundPort; }
void TMidasServer::SetLogHandler(TLogHandler handler) { FImpl->Log = std::move(handler); }
void TMidasServer::SetMaxFrameSize(std::size_t bytes) { FImpl->MaxFrameSize = bytes; }
void TMidasServer::SetFrameTimeout(std::chrono::milliseconds timeout) { FImpl->FrameTimeout = timeout; }
