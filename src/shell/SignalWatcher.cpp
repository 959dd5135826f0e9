#include "SignalWatcher.h"

#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace morvane {

namespace {
int pipeFds[2] = {-1, -1};
volatile std::sig_atomic_t signalsSeen = 0;
volatile std::sig_atomic_t firstSignal = 0;
unsigned graceSeconds = SignalWatcher::kGraceSeconds;

extern "C" void onGraceOver(int) { ::_exit(128 + firstSignal); }

extern "C" void onSignal(int sig)
{
    // A second request to end, while the first is still saving or stuck,
    // ends at once: every save is atomic, so the files stay whole.
    if (signalsSeen > 0)
        ::_exit(128 + sig);
    signalsSeen = 1;
    firstSignal = sig;
    ::alarm(graceSeconds);
    const char c = char(sig);
    [[maybe_unused]] const auto n = ::write(pipeFds[1], &c, 1);
}
}  // namespace

SignalWatcher::SignalWatcher(QObject *parent, int grace) : QObject(parent)
{
    graceSeconds = unsigned(std::max(1, grace));
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pipeFds) != 0)
        return;
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char c = 0;
        if (::read(pipeFds[0], &c, 1) == 1)
            emit endRequested(int(c));
    });
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &sa, nullptr);
    struct sigaction over {};
    over.sa_handler = onGraceOver;
    sigemptyset(&over.sa_mask);
    ::sigaction(SIGALRM, &over, nullptr);
}

SignalWatcher::~SignalWatcher()
{
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, SIG_DFL);
    // A way out that got this far has ended: the grace time no longer runs.
    ::alarm(0);
    std::signal(SIGALRM, SIG_DFL);
}

}  // namespace morvane
