#include "platform/midas/FramedSocket.h"

#include <cstdint>

#include "platform/core/Exceptions.h"

namespace midas {

bool TFramedSocket::RunFor(const bool& done, TTimeout timeout)
{
    FContext.restart();
    if (timeout.count() > 0)
        FContext.run_for(timeout);
    else
        FContext.run();
    if (done) return true;
    // Timed out: closing cancels the operation; run once more so its handler
    // completes before the buffers it uses go away.
    std::error_code ignored;
    FSocket.close(ignored);
    FContext.restart();
    FContext.run();
    return false;
}

void TFramedSocket::Connect(const std::string& host, std::uint16_t port, TTimeout timeout)
{
    asio::ip::tcp::resolver resolver(FContext);
    std::error_code ec;
    asio::ip::tcp::resolver::results_type endpoints;
    bool done = false;
    resolver.async_resolve(host, std::to_string(port),
                           [&](const std::error_code& e, asio::ip::tcp::resolver::results_type r) {
                               ec = e;
                               endpoints = std::move(r);
                               done = true;
                           });
    FContext.restart();
    if (timeout.count() > 0)
        FContext.run_for(timeout);
    else
        FContext.run();
    if (!done) {
        resolver.cancel();
        FContext.restart();
        FContext.run();
        throw EOleError("Cannot resolve address '" + host + "': timed out");
    }
    if (ec) throw EOleError("Cannot resolve address '" + host + "': " + ec.message());

    done = false;
    asio::async_connect(FSocket, endpoints, [&](const std::error_code& e, const asio::ip::tcp::endpoint&) {
        ec = e;
        done = true;
    });
    if (!RunFor(done, timeout))
        throw EOleError("Cannot connect to " + host + ":" + std::to_string(port) + ": timed out");
    if (ec) {
        Close();
        throw EOleError("Cannot connect to " + host + ":" + std::to_string(port) + ": " + ec.message());
    }
    FSocket.set_option(asio::ip::tcp::no_delay(true), ec);
}

void TFramedSocket::WriteFrame(const std::vector<std::uint8_t>& payload, TTimeout timeout)
{
    if (payload.size() > UINT32_MAX) throw EOleError("Message too long for one frame");
    const auto n = static_cast<std::uint32_t>(payload.size());
    const std::uint8_t header[4] = {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                                    static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    const std::array<asio::const_buffer, 2> buffers = {asio::buffer(header), asio::buffer(payload)};
    std::error_code ec;
    bool done = false;
    asio::async_write(FSocket, buffers, [&](const std::error_code& e, std::size_t) {
        ec = e;
        done = true;
    });
    if (!RunFor(done, timeout)) throw EOleError("Sending to the server timed out");
    if (ec) {
        Close();
        throw EOleError("Connection lost while sending: " + ec.message());
    }
}

bool TFramedSocket::ReadFrame(std::vector<std::uint8_t>& payload, std::size_t maxSize, TTimeout idleTimeout,
                              TTimeout frameTimeout)
{
    std::uint8_t header[4];
    std::error_code ec;
    std::size_t got = 0;
    bool done = false;
    asio::async_read(FSocket, asio::buffer(header), [&](const std::error_code& e, std::size_t n) {
        ec = e;
        got = n;
        done = true;
    });
    if (!RunFor(done, idleTimeout)) throw EOleError("Waiting for a message timed out");
    if (ec == asio::error::eof && got == 0) {
        Close();
        return false;
    }
    if (ec) {
        Close();
        throw EOleError(ec == asio::error::eof ? std::string("Connection closed inside a frame header")
                                               : "Connection lost while receiving: " + ec.message());
    }
    const std::size_t n = (std::size_t{header[0]} << 24) | (std::size_t{header[1]} << 16) |
                          (std::size_t{header[2]} << 8) | std::size_t{header[3]};
    if (n > maxSize) {
        Close();
        throw EOleError("Frame of " + std::to_string(n) + " bytes exceeds the limit of " + std::to_string(maxSize) +
                        " bytes");
    }
    payload.assign(n, 0);
    done = false;
    asio::async_read(FSocket, asio::buffer(payload), [&](const std::error_code& e, std::size_t) {
        ec = e;
        done = true;
    });
    if (!RunFor(done, frameTimeout)) throw EOleError("Receiving a message timed out");
    if (ec) {
        Close();
        throw EOleError(ec == asio::error::eof ? std::string("Connection closed inside a frame")
                                               : "Connection lost while receiving: " + ec.message());
    }
    return true;
}

void TFramedSocket::Close()
{
    std::error_code ignored;
    if (FSocket.is_open()) {
        FSocket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
        FSocket.close(ignored);
    }
}

void TFramedSocket::PostClose()
{
    asio::post(FContext, [this] { Close(); });
}

std::string TFramedSocket::PeerName() const
{
    std::error_code ec;
    const auto ep = FSocket.remote_endpoint(ec);
    if (ec) return "(unknown peer)";
    return ep.address().to_string() + ":" + std::to_string(ep.port());
}

} // namespace midas
