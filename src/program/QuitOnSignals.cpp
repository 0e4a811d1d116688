#include "program/QuitOnSignals.h"

#include <fcntl.h>
#include <unistd.h>
#include <array>
#include <csignal>

#include <QSocketNotifier>

namespace tugworth {

namespace {

// The self-pipe: a signal handler may only write a byte; the loop reads it on the main thread.
int signalPipe[2] = {-1, -1};
constexpr std::array<int, 3> kSignals{SIGINT, SIGTERM, SIGHUP};

extern "C" void onSignal(int signal) {
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

const char* signalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

QuitOnSignals::QuitOnSignals(std::function<void(int signal)> quit) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;  // then signals act as usual
    notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [quit = std::move(quit)] {
                         unsigned char byte = 0;
                         while (::read(signalPipe[0], &byte, 1) == 1) quit(byte);
                     });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

QuitOnSignals::~QuitOnSignals() {
    if (!notifier_) return;
    for (int signal : kSignals) std::signal(signal, SIG_DFL);
    notifier_.reset();
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

}  // namespace tugworth
