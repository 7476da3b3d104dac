// netpull-get URL FILE: downloads one URL to a file through the download control, headless,
// printing each event; exits 0 after Downloaded without an error, 1 otherwise.
#include <QApplication>
#include <cstdio>
#include <string>

#include "netpull/http/control/http_control.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: netpull-get URL FILE\n");
        return 2;
    }
    // One line per event, out as it happens, for scripts that watch the download.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    netpull::http::HTTP control;
    int status = 1;
    const auto transfer = [&] { return control.Transfer(); };
    control.hostEvents.FoundServer = [] { std::printf("FoundServer\n"); };
    control.hostEvents.Progress = [&](std::int32_t&, std::int32_t&) {
        std::printf("Progress %lld %lld\n", static_cast<long long>(transfer()->DownloadedBytes()),
                    static_cast<long long>(transfer()->TotalBytes()));
    };
    control.hostEvents.Downloaded = [&] {
        std::printf("Downloaded\n");
        status = 0;
        QCoreApplication::exit(0);
    };
    control.hostEvents.Error = [&](std::int32_t& number, std::string& description) {
        std::printf("Error %d %s\n", number, description.c_str());
        QCoreApplication::exit(1);
    };
    std::string url = argv[1];
    std::string file = argv[2];
    try {
        control.Download(url, file);
    } catch (const netpull::SocketError& error) {
        std::printf("Error %d %s\n", error.Number(), error.Description().c_str());
        return 1;
    }
    QApplication::exec();
    std::fflush(stdout);
    return status;
}
