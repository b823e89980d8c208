#pragma once
// TMidasServer: the listening side of socket connections to the application
// server. Each accepted client names an automation class in its first
// message; the server creates that object with os::CreateOleObject and then
// runs the client's calls, property reads and writes on it.
//
// Threading: one thread accepts, and every connection has a thread of its
// own that reads a request, runs it on the connection's object and writes
// the reply. Calls on one object are therefore serialised, while different
// clients never wait for each other. The object is created and destroyed on
// its connection's thread.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TMidasServer {
public:
    using TLogHandler = std::function<void(const std::string&)>;

    TMidasServer();
    ~TMidasServer(); // stops
    TMidasServer(const TMidasServer&) = delete;
    TMidasServer& operator=(const TMidasServer&) = delete;

    // Listens on the address and port; port 0 picks a free port, which
    // Port() then reports. Raises EOleError when the address cannot be bound
    // or the server is already active.
    void Start(const std::string& address = "127.0.0.1", std::uint16_t port = 0);
    // Closes the listener and every connection, waits for running calls to
    // finish and joins all threads. Safe to call when not active.
    void Stop();
    bool Active() const;
    std::uint16_t Port() const;

    // Receives the reason whenever a connection is dropped for a bad frame or
    // a transport failure; called from connection threads, one call at a
    // time. The default writes to stderr. Set before Start.
    void SetLogHandler(TLogHandler handler);
    // Largest frame accepted (default 64 MiB); longer frames close the
    // connection. Set before Start.
    void SetMaxFrameSize(std::size_t bytes);
    // Time a client has to complete a frame once its first byte arrived, and
    // to take a reply (default 60 s). Idle connections are kept without limit.
    void SetFrameTimeout(std::chrono::milliseconds timeout);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};
