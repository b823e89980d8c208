#pragma once
// Internal to platform_midas: a TCP socket that exchanges frames
// (4-byte big-endian length + payload) with blocking calls that give up
// after a timeout. Each socket owns its io_context and is driven only by
// the thread that calls it; PostClose is the one call that is safe from any
// thread (it wakes a blocked read or write, which then fails).
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include <asio.hpp>

namespace midas {

using TTimeout = std::chrono::milliseconds; // zero = wait without limit

class TFramedSocket {
public:
    TFramedSocket() : FSocket(FContext) {}
    TFramedSocket(const TFramedSocket&) = delete;
    TFramedSocket& operator=(const TFramedSocket&) = delete;

    // Raises EOleError when the address does not resolve, the connection is
    // refused or it does not complete in time.
    void Connect(const std::string& host, std::uint16_t port, TTimeout timeout);
    // Sends one frame; raises EOleError on failure or timeout.
    void WriteFrame(const std::vector<std::uint8_t>& payload, TTimeout timeout);
    // Reads one frame into payload. Returns false when the peer closed the
    // connection cleanly between frames. Raises EOleError, with the reason,
    // when the connection ends inside a frame, the length exceeds maxSize,
    // a wait times out (idleTimeout for the first byte of a frame,
    // frameTimeout for the rest) or the socket fails.
    bool ReadFrame(std::vector<std::uint8_t>& payload, std::size_t maxSize, TTimeout idleTimeout,
                   TTimeout frameTimeout);
    void Close();
    void PostClose();
    bool IsOpen() const { return FSocket.is_open(); }
    std::string PeerName() const;

    asio::ip::tcp::socket& Raw() { return FSocket; }

private:
    // Runs the context until the pending operation sets done, or closes the
    // socket (cancelling it) when the timeout passes first. Returns false on
    // timeout.
    bool RunFor(const bool& done, TTimeout timeout);

    asio::io_context FContext;
    asio::ip::tcp::socket FSocket;
};

} // namespace midas
