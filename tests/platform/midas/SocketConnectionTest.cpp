#include <atomic>
#include <mutex>
#include <random>
#include <thread>

#include <asio.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "platform/core/Automation.h"
#include "platform/midas/MidasServer.h"
#include "platform/midas/SocketConnection.h"
#include "platform/midas/VariantCases.h"
#include "platform/os/Library.h"

namespace {

constexpr const char* ServerClass = "MidasTest.Counter";

// The application server object used by every test.
class TCounter : public TAutoObject {
public:
    TCounter()
    {
        RegisterMethod("Echo", [](std::vector<Variant>& args) { return args.at(0); });
        // Writes back into its arguments: the first grows by one, the second
        // gains a suffix, the third becomes an array.
        RegisterMethod("Bump", [](std::vector<Variant>& args) {
            args.at(0) = args.at(0).AsInteger() + 1;
            args.at(1) = args.at(1).AsString() + "-已改";
            args.at(2) = VarArrayOf({Variant(1), Variant(u"二")});
            return Variant(static_cast<int>(args.size()));
        });
        RegisterMethod("Fail", [](std::vector<Variant>&) -> Variant { throw EPlatformError("资料不存在: 20240131"); });
        RegisterMethod("Self", [this](std::vector<Variant>&) { return Variant(IAutoObjectPtr(Self.lock())); });
        RegisterProperty("Value", [this] { return FValue; }, [this](const Variant& v) { FValue = v; });
    }
    std::weak_ptr<TCounter> Self;

private:
    Variant FValue = Variant::Null();
};

const TAutoClassRegistration CounterClass(ServerClass, [] {
    auto c = std::make_shared<TCounter>();
    c->Self = c;
    return c;
});

class SocketConnection : public ::testing::Test {
protected:
    void SetUp() override
    {
        Server.SetLogHandler([this](const std::string& text) {
            std::lock_guard guard(LogLock);
            Log.push_back(text);
        });
        Server.Start("127.0.0.1", 0);
        ASSERT_NE(Server.Port(), 0);
    }

    // A connection to the test server, opened.
    std::unique_ptr<TSocketConnection> Connect()
    {
        auto c = std::make_unique<TSocketConnection>();
        c->Address = "127.0.0.1";
        c->Port = Server.Port();
        c->ServerName = ServerClass;
        c->CallTimeout = 10000;
        c->Open();
        return c;
    }

    std::vector<std::string> Logged()
    {
        std::lock_guard guard(LogLock);
        return Log;
    }

    TMidasServer Server;
    std::mutex LogLock;
    std::vector<std::string> Log;
};

TEST_F(SocketConnection, EveryVariantKindTravelsBothWays)
{
    auto c = Connect();
    const Variant app = c->AppServer();
    for (const auto& k : VariantCases()) {
        SCOPED_TRACE(k.Name);
        std::vector<Variant> args{k.Value};
        EXPECT_TRUE(SameVariant(OleInvoke(app, "Echo", args), k.Value));
        EXPECT_TRUE(SameVariant(args.at(0), k.Value));
    }
}

TEST_F(SocketConnection, ArgumentsChangedByTheServerAreWrittenBack)
{
    auto c = Connect();
    std::vector<Variant> args{Variant(41), Variant("单号"), Variant()};
    EXPECT_EQ(OleInvoke(c->AppServer(), "bump", args).AsInteger(), 3);
    EXPECT_TRUE(SameVariant(args[0], Variant(42)));
    EXPECT_TRUE(SameVariant(args[1], Variant("单号-已改")));
    EXPECT_TRUE(SameVariant(args[2], VarArrayOf({Variant(1), Variant(u"二")})));
}

TEST_F(SocketConnection, ServerErrorsArriveAsEOleErrorAndTheConnectionStaysUsable)
{
    auto c = Connect();
    const Variant app = c->AppServer();
    try {
        OleInvoke(app, "Fail");
        ADD_FAILURE() << "no error";
    } catch (const EMidasRemoteError& e) {
        EXPECT_EQ(e.Message(), "资料不存在: 20240131");
        EXPECT_EQ(e.RemoteClassName, "Exception");
        EXPECT_STREQ(e.ClassName(), "EOleError");
    }
    try {
        OleInvoke(app, "NoSuchMethod");
        ADD_FAILURE() << "no error";
    } catch (const EOleError& e) {
        EXPECT_NE(e.Message().find("NoSuchMethod"), std::string::npos) << e.Message();
    }
    // An object can travel neither way; nothing is sent for the first.
    std::vector<Variant> withObject{app};
    EXPECT_THROW(OleInvoke(app, "Echo", withObject), EOleError);
    EXPECT_THROW(OleInvoke(app, "Self"), EOleError);

    EXPECT_TRUE(c->GetConnected());
    EXPECT_EQ(OleInvoke(app, "Echo", {Variant(5)}).AsInteger(), 5);
}

TEST_F(SocketConnection, PropertiesAndSeparateObjectsPerClient)
{
    auto a = Connect();
    auto b = Connect();
    OleSetProperty(a->AppServer(), "Value", Variant(u"甲"));
    OleSetProperty(b->AppServer(), "Value", Variant(std::int64_t{2}));
    EXPECT_TRUE(SameVariant(OleGetProperty(a->AppServer(), "Value"), Variant(u"甲")));
    EXPECT_TRUE(SameVariant(OleGetProperty(b->AppServer(), "value"), Variant(std::int64_t{2})));
    EXPECT_THROW(OleGetProperty(a->AppServer(), "Missing"), EOleError);
}

TEST_F(SocketConnection, ClientsCallingAtTheSameTime)
{
    std::vector<std::thread> threads;
    std::atomic<int> good{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            auto c = Connect();
            const Variant app = c->AppServer();
            for (int i = 0; i < 50; ++i)
                if (OleInvoke(app, "Echo", {Variant(t * 1000 + i)}).AsInteger() == t * 1000 + i) ++good;
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(good, 200);
}

TEST_F(SocketConnection, UnknownServerClassFailsToOpen)
{
    TSocketConnection c;
    c.Address = "127.0.0.1";
    c.Port = Server.Port();
    c.ServerName = "MidasTest.NoSuchClass";
    try {
        c.Open();
        ADD_FAILURE() << "no error";
    } catch (const EOleError& e) {
        EXPECT_EQ(e.Message(), "Invalid class string");
    }
    EXPECT_FALSE(c.GetConnected());
}

TEST_F(SocketConnection, PublishedPropertiesAndBroker)
{
    TSocketConnection c;
    TSimpleObjectBroker broker;
    broker.Servers().Add("127.0.0.1:" + std::to_string(Server.Port()));
    SetStrProp(&c, "ServerName", ServerClass);
    SetObjectProp(&c, "ObjectBroker", &broker);
    EXPECT_EQ(GetEnumProp(&c, "Connected"), "False");
    EXPECT_EQ(GetEnumProp(&c, "SupportCallbacks"), "False");

    SetEnumProp(&c, "Connected", "True"); // no address: the broker's first server
    EXPECT_EQ(GetOrdProp(&c, "Connected"), 1);
    EXPECT_EQ(OleInvoke(c.AppServer(), "Echo", {Variant(8)}).AsInteger(), 8);

    SetOrdProp(&c, "Connected", 0);
    EXPECT_FALSE(c.GetConnected());
    SetObjectProp(&c, "ObjectBroker", nullptr);
    EXPECT_EQ(c.ObjectBroker, nullptr);
    EXPECT_THROW(c.Open(), EOleError); // neither address nor broker
}

TEST_F(SocketConnection, ProxyOutlivingCloseRaises)
{
    auto c = Connect();
    const Variant app = c->AppServer();
    c->Close();
    EXPECT_FALSE(c->GetConnected());
    EXPECT_THROW(OleInvoke(app, "Echo", {Variant(1)}), EOleError);
    c.reset();
    EXPECT_THROW(OleGetProperty(app, "Value"), EOleError);
}

TEST(SocketConnectionLocal, SetAppServerUsesTheObjectInProcess)
{
    TSocketConnection c; // no address, no port: no socket may be involved
    const Variant local(os::CreateOleObject(ServerClass));
    c.SetAppServer(local);
    EXPECT_TRUE(c.GetConnected());
    c.Open(); // nothing to do
    EXPECT_TRUE(c.AppServer() == local);
    std::vector<Variant> args{Variant(1), Variant("x"), Variant()};
    OleInvoke(c.AppServer(), "Bump", args);
    EXPECT_EQ(args[0].AsInteger(), 2);
    EXPECT_THROW(c.SetAppServer(Variant(3)), EOleError);
    c.Close();
    EXPECT_FALSE(c.GetConnected());
}

// A raw client that writes whatever bytes it is given.
class TRawClient {
public:
    explicit TRawClient(std::uint16_t port) : FSocket(FContext)
    {
        FSocket.connect({asio::ip::make_address("127.0.0.1"), port});
    }
    void Send(const std::vector<std::uint8_t>& bytes) { asio::write(FSocket, asio::buffer(bytes)); }
    // True when the server closed the connection (reads until end of stream).
    bool ClosedByServer()
    {
        std::error_code ec;
        std::uint8_t b[256];
        while (!ec) FSocket.read_some(asio::buffer(b), ec);
        return ec == asio::error::eof || ec == asio::error::connection_reset;
    }
    void Close() { FSocket.close(); }

private:
    asio::io_context FContext;
    asio::ip::tcp::socket FSocket;
};

// A frame header announcing length bytes, followed by payload.
std::vector<std::uint8_t> Frame(const std::vector<std::uint8_t>& payload, std::uint32_t length)
{
    std::vector<std::uint8_t> out = {static_cast<std::uint8_t>(length >> 24), static_cast<std::uint8_t>(length >> 16),
                                     static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)};
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

TEST_F(SocketConnection, BadFramesCloseOnlyTheirConnection)
{
    auto good = Connect();
    std::mt19937 random(1234);
    std::vector<std::uint8_t> noise(300);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    noise[0] = 0x00; // a length the server will wait for: only the later close ends it

    const auto framed = [](const std::vector<std::uint8_t>& payload) {
        return Frame(payload, static_cast<std::uint32_t>(payload.size()));
    };
    const auto callBeforeConnect =
        nlohmann::json::to_cbor({{"op", "invoke"}, {"name", "Echo"}, {"args", nlohmann::json::array()}});
    const struct {
        const char* Name;
        std::vector<std::uint8_t> Bytes;
        const char* Reason;
        bool ClientCloses; // otherwise the server must close
    } cases[] = {
        {"huge length prefix", Frame({}, 0xFFFFFFF0u), "exceeds the limit", false},
        {"not CBOR", framed({0xff, 0xff, 0xff}), "Malformed", false},
        {"deeply nested", framed(std::vector<std::uint8_t>(100000, 0x81)), "nested too deeply", false},
        {"call before connect", framed(callBeforeConnect), "before", false},
        {"truncated frame", Frame({0x01, 0x02}, 100), "inside a frame", true},
        {"random bytes", noise, "", true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.Name);
        const std::size_t before = Logged().size();
        {
            TRawClient raw(Server.Port());
            raw.Send(k.Bytes);
            if (k.ClientCloses)
                raw.Close();
            else
                EXPECT_TRUE(raw.ClosedByServer());
        }
        // The good client is served after every bad one.
        EXPECT_EQ(OleInvoke(good->AppServer(), "Echo", {Variant(k.Name)}).AsString(), k.Name);
        // Wait (bounded) for the server's log line about the bad connection.
        for (int i = 0; i < 500 && Logged().size() == before; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const auto log = Logged();
        ASSERT_GT(log.size(), before);
        EXPECT_NE(log.back().find(k.Reason), std::string::npos) << log.back();
    }
    auto another = Connect();
    EXPECT_EQ(OleInvoke(another->AppServer(), "Echo", {Variant(9)}).AsInteger(), 9);
}

TEST_F(SocketConnection, StoppedServerGivesEOleErrorNotAHang)
{
    auto c = Connect();
    c->CallTimeout = 2000;
    const Variant app = c->AppServer();
    Server.Stop();
    EXPECT_FALSE(Server.Active());
    EXPECT_THROW(OleInvoke(app, "Echo", {Variant(1)}), EOleError);
    EXPECT_FALSE(c->GetConnected());
    EXPECT_THROW(c->Open(), EOleError); // nobody listens any more
}

TEST(SocketConnectionTimeout, SilentServerTimesOut)
{
    // Accepts and reads, never answers.
    asio::io_context context;
    asio::ip::tcp::acceptor acceptor(context, {asio::ip::make_address("127.0.0.1"), 0});
    std::thread silent([&] {
        asio::ip::tcp::socket s(context);
        acceptor.accept(s);
        std::error_code ec;
        std::uint8_t b[256];
        while (!ec) s.read_some(asio::buffer(b), ec); // until the client gives up
    });
    TSocketConnection c;
    c.Address = "127.0.0.1";
    c.Port = acceptor.local_endpoint().port();
    c.ServerName = ServerClass;
    c.CallTimeout = 200;
    try {
        c.Open();
        ADD_FAILURE() << "no error";
    } catch (const EOleError& e) {
        EXPECT_NE(e.Message().find("timed out"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(c.GetConnected());
    silent.join();
}

} // namespace
