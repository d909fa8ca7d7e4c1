#include "framework/platform/Process.h"

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace tibo {
namespace {

// Set by the signal handler: the one value the handler may write.
volatile std::sig_atomic_t CloseSignal = 0;

void OnCloseSignal(int signal) { CloseSignal = signal; }

rusage Usage() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru;
}

}  // namespace

double ProcessCpuSeconds() {
    const rusage ru = Usage();
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

int64_t ProcessPeakRssKb() { return Usage().ru_maxrss; }

double ProcessStartMs(double nowMs) {
    std::ifstream in("/proc/self/stat");
    std::string text;
    std::getline(in, text);
    const size_t nameEnd = text.rfind(')');   // the program's name may hold spaces
    if (nameEnd == std::string::npos) return nowMs;
    std::istringstream fields(text.substr(nameEnd + 1));
    std::string field;
    for (int i = 3; i <= 21 && fields >> field; ++i) {
    }
    unsigned long long ticks = 0;
    const long perSecond = ::sysconf(_SC_CLK_TCK);
    timespec boot{};
    if (!(fields >> ticks) || perSecond <= 0 || clock_gettime(CLOCK_BOOTTIME, &boot) != 0) return nowMs;
    const double bootMs = static_cast<double>(boot.tv_sec) * 1000.0 + static_cast<double>(boot.tv_nsec) / 1e6;
    const double age = bootMs - static_cast<double>(ticks) * 1000.0 / static_cast<double>(perSecond);
    return age >= 0 && age < 60000 ? nowMs - age : nowMs;
}

void CatchCloseSignals() {
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGHUP, SIGINT, SIGTERM}) sigaction(signal, &action, nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

int CaughtCloseSignal() { return CloseSignal; }

const char* SignalName(int signal) {
    switch (signal) {
        case SIGHUP: return "SIGHUP";
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        default: return "a signal";
    }
}

}  // namespace tibo
