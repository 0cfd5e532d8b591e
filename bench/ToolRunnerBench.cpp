// Prints the median cost of one tool run through ToolRunner beside a bare posix_spawn + waitpid
// of the same child.

#include "control/ToolRunner.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

namespace {

constexpr int rounds = 400;
const char* const child = "/bin/true";

template <typename Run> double medianMicroseconds(Run run) {
    std::vector<double> samples;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        samples.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::nth_element(samples.begin(), samples.begin() + rounds / 2, samples.end());
    return samples[rounds / 2];
}

void bareSpawn() {
    char* const argv[] = {const_cast<char*>(child), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, child, nullptr, nullptr, argv, environ) == 0)
        waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const lumora::ToolRunner runner(std::chrono::seconds(10));
    const auto runTool = [&] { (void)runner.run(QString::fromLatin1(child), {}); };

    runTool(); // warm up
    const double bare = medianMicroseconds(bareSpawn);
    const double tool = medianMicroseconds(runTool);
    std::printf("%s, median of %d runs\n", child, rounds);
    std::printf("  posix_spawn + waitpid: %8.1f us\n", bare);
    std::printf("  ToolRunner::run:       %8.1f us\n", tool);
    std::printf("  ratio:                 %8.2f (goal: at most 1.20)\n", tool / bare);
    return 0;
}
