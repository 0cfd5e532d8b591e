#include "ddc/QuietOutput.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace lumora::ddc {

QuietOutput::QuietOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    m_savedOutput = dup(STDOUT_FILENO);
    m_savedError = dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        ::close(null);
    }
}

QuietOutput::~QuietOutput() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (m_savedOutput >= 0) {
        dup2(m_savedOutput, STDOUT_FILENO);
        ::close(m_savedOutput);
    }
    if (m_savedError >= 0) {
        dup2(m_savedError, STDERR_FILENO);
        ::close(m_savedError);
    }
}

} // namespace lumora::ddc
