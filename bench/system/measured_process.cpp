// runMeasured: fork, exec and wait4 on the child alone, so the figures are the child's and
// nothing else's. The output goes to an unlinked temporary file, which a full pipe can never
// stall.
#include "bench/system/measured_process.hpp"

#include "bench/support/machine.hpp"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kavo::bench {

namespace {

std::string readAll(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, n);
    return text;
}

[[noreturn]] void execChild(const std::vector<std::string>& argv, int outputFd) {
    ::dup2(outputFd, STDOUT_FILENO);
    ::dup2(outputFd, STDERR_FILENO);
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    std::fprintf(stderr, "cannot run %s: %s\n", args[0], std::strerror(errno));
    std::_Exit(127);
}

// Polls for the child's end so that a run past the limit can be killed. The period grows with
// the run (a hundredth of it, 1 to 20 ms): short runs are timed closely and long ones cost the
// shared core little.
pid_t waitWithLimit(pid_t child, double started, double limitSeconds, int& status, rusage& usage,
                    bool& timedOut) {
    for (;;) {
        const pid_t done = ::wait4(child, &status, WNOHANG, &usage);
        if (done != 0)
            return done;
        if (!timedOut && wallSeconds() - started > limitSeconds) {
            ::kill(child, SIGKILL);
            timedOut = true;
        }
        const double period = std::clamp((wallSeconds() - started) / 100, 0.001, 0.02);
        std::this_thread::sleep_for(std::chrono::duration<double>(period));
    }
}

} // namespace

ProcessFigures runMeasured(const std::vector<std::string>& argv, double limitSeconds) {
    ProcessFigures figures;
    std::FILE* output = std::tmpfile();
    if (output == nullptr || argv.empty()) {
        figures.output = "no temporary file for the output";
        return figures;
    }
    std::fflush(nullptr);
    const double started = wallSeconds();
    const pid_t child = ::fork();
    if (child == 0)
        execChild(argv, ::fileno(output));
    if (child < 0) {
        figures.output = std::string("fork failed: ") + std::strerror(errno);
        std::fclose(output);
        return figures;
    }
    int status = 0;
    rusage usage{};
    const pid_t done = waitWithLimit(child, started, limitSeconds, status, usage, figures.timedOut);
    figures.wallSeconds = wallSeconds() - started;
    figures.output = readAll(output);
    std::fclose(output);
    figures.started = done == child && !(WIFEXITED(status) && WEXITSTATUS(status) == 127 &&
                                         figures.output.rfind("cannot run ", 0) == 0);
    figures.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    figures.maxRssKilobytes = usage.ru_maxrss;
    return figures;
}

} // namespace kavo::bench
