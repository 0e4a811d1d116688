// Ends the program the ordinary way on SIGINT, SIGTERM and SIGHUP, so that the settings are
// flushed and the termination is logged as after "Quit Tugworth".
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;

namespace tugworth {

// "SIGINT", "SIGTERM", "SIGHUP", or "a signal", for the line that logs the way out.
const char* signalName(int signal);

class QuitOnSignals {
public:
    // `quit` runs on the main thread, from the event loop, once per signal received.
    explicit QuitOnSignals(std::function<void(int signal)> quit);
    ~QuitOnSignals();
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace tugworth
