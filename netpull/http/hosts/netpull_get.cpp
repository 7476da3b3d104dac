// netpull-get URL FILE: downloads one URL to a file through the download control, headless,
// printing each event; exits 0 after Downloaded without an error, 1 otherwise. SIGINT, SIGTERM
// and SIGHUP end the download cleanly: its temporary file is removed, the save path is left as
// it was, "Error 10004 cancelled by signal" is its last line, and the status is 128 plus the
// signal's number, as a shell reports a program that a signal ended.
#include <fcntl.h>
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>

#include "netpull/http/control/http_control.h"

namespace {

// A signal only writes its number into a pipe; the event loop reads it and ends the download.
int signalPipe[2] = {-1, -1};

void NoteSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

bool CatchEndingSignals() {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    struct sigaction action {};
    action.sa_handler = NoteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(number, &action, nullptr);
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: netpull-get URL FILE\n");
        return 2;
    }
    // One line per event, out as it happens, for scripts that watch the download.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto owner = std::make_unique<netpull::http::HTTP>();
    netpull::http::HTTP& control = *owner;
    int status = 1;
    const auto transfer = [&] { return control.Transfer(); };
    if (!CatchEndingSignals()) return 1;
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
        unsigned char number = 0;
        if (::read(signalPipe[0], &number, 1) != 1 || !owner) return;
        // Dropping the control drops its transfer, whose temporary file goes with it.
        owner.reset();
        std::printf("Error 10004 cancelled by signal\n");
        status = 128 + number;
        QCoreApplication::exit(status);
    });
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
