#include "platform/TerminationSignals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace lumora {

namespace {

constexpr int handledSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler can reach nothing but this: the pipe's write end.
volatile sig_atomic_t writeEnd = -1;

extern "C" void onSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    // A full pipe already holds a wake-up; a lost byte loses nothing.
    (void)::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

void install(void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : handledSignals)
        sigaction(signal, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals() {
    // Close-on-exec: tools started as children must not hold the pipe.
    if (::pipe2(m_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    writeEnd = m_pipe[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_pipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        drain();
        emit received();
    });
    install(onSignal);
}

TerminationSignals::~TerminationSignals() {
    install(SIG_DFL);
    writeEnd = -1;
    m_notifier.reset();
    for (const int fd : m_pipe) {
        if (fd >= 0)
            ::close(fd);
    }
}

void TerminationSignals::drain() {
    char bytes[64];
    while (::read(m_pipe[0], bytes, sizeof bytes) > 0) {
    }
}

} // namespace lumora
