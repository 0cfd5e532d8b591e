#include "control/MonitorState.h"

#include <algorithm>

namespace lumora {

namespace {

using namespace std::chrono_literals;
constexpr auto firstRetry = 500ms;
constexpr auto slowestRetry = std::chrono::milliseconds(4s);

} // namespace

void MonitorState::succeeded() {
    failure.reset();
    failures = 0;
}

void MonitorState::failed(Failure why, Clock::time_point now) {
    failure = std::move(why);
    ++failures;
    const auto wait = std::min<std::chrono::milliseconds>(
        firstRetry * (1LL << std::min(failures - 1, 4)), slowestRetry);
    retryAt = now + wait;
}

void MonitorState::restart() {
    MonitorState fresh;
    fresh.serial = std::move(serial);
    *this = std::move(fresh);
}

} // namespace lumora
