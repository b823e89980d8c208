// orvane-appserver: the application server daemon. Serves the class
// "ReportCounterS.dmReportCounter" over socket connections until SIGTERM or
// SIGINT.
//
//   orvane-appserver --install DIR [--port N] [--listen ADDR]
//
// DIR holds OrvaneS.ini; the port and address default to its
// [Server Information] ServerPort (211) and ListenAddress (127.0.0.1). Port 0
// picks a free port. The daemon logs to stderr, starting with the line
// "listening on ADDR:PORT" once it accepts connections.
#include <csignal>
#include <cstring>
#include <iostream>
#include <optional>
#include <pthread.h>
#include <string>

#include "platform/core/SysUtils.h"
#include "platform/midas/MidasServer.h"
#include "suite/appserver/AppServer.h"

namespace {

int Usage(const std::string& problem)
{
    std::cerr << "orvane-appserver: " << problem << "\n"
              << "usage: orvane-appserver --install DIR [--port N] [--listen ADDR]" << std::endl;
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string install;
    std::optional<int> port;
    std::string listen;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string(argv[++i]);
        };
        if (arg == "--install") {
            auto v = value();
            if (!v) return Usage("--install needs a folder");
            install = *v;
        } else if (arg == "--port") {
            auto v = value();
            const auto n = v ? TryStrToInt(*v) : std::nullopt;
            if (!n || *n < 0 || *n > 65535) return Usage("--port needs a number from 0 to 65535");
            port = *n;
        } else if (arg == "--listen") {
            auto v = value();
            if (!v || v->empty()) return Usage("--listen needs an address");
            listen = *v;
        } else if (arg == "--help" || arg == "-h") {
            Usage("the application server");
            return 0;
        } else {
            return Usage("unknown argument '" + arg + "'");
        }
    }
    if (install.empty()) return Usage("--install DIR is required");

    // The signals are taken by sigwait below; blocked before any thread
    // starts, so every thread inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::shared_ptr<TAppServer> server;
    try {
        server = TAppServer::Start(install);
    } catch (const std::exception& e) {
        std::cerr << "orvane-appserver: " << e.what() << std::endl;
        return 1;
    }
    const std::string address = listen.empty() ? server->Config().ListenAddress : listen;
    const int portNumber = port ? *port : server->Config().Port;

    TMidasServer midas;
    midas.SetLogHandler([](const std::string& text) { TAppServer::Log(text); });
    try {
        midas.Start(address, static_cast<std::uint16_t>(portNumber));
    } catch (const std::exception& e) {
        std::cerr << "orvane-appserver: cannot listen on " << address << ":" << portNumber << ": " << e.what()
                  << std::endl;
        server.reset();
        TAppServer::Shutdown();
        return 1;
    }
    std::cerr << "orvane-appserver: listening on " << address << ":" << midas.Port() << " (installation "
              << server->Config().InstallPath << ", databases " << server->Config().DataPath << ")" << std::endl;

    int signal = 0;
    sigwait(&stopSignals, &signal);
    std::cerr << "orvane-appserver: " << (signal == SIGINT ? "SIGINT" : "SIGTERM") << " received, stopping"
              << std::endl;
    midas.Stop();
    server.reset();
    TAppServer::Shutdown();
    std::cerr << "orvane-appserver: stopped" << std::endl;
    return 0;
}
