#include "Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tabulant::bench {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void onSignal(int) { interrupted = 1; }

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; }

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

} // namespace

void InstallInterruptHandlers() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a wait in progress returns with EINTR
    for (int s : {SIGINT, SIGTERM, SIGHUP}) sigaction(s, &action, nullptr);
}

void ThrowIfInterrupted() {
    if (interrupted) throw Interrupted();
}

ProcessResult RunProcess(const std::vector<std::string>& argv, bool captureOutput,
                         bool interruptible) {
    if (interruptible) ThrowIfInterrupted();
    int out[2] = {-1, -1};
    if (captureOutput && pipe2(out, O_CLOEXEC) != 0) fail("pipe");

    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) fail("fork");
    if (pid == 0) {
        // A group of its own, so that an interruption ends a whole pipeline, not only its shell.
        setpgid(0, 0);
        if (captureOutput) dup2(out[1], STDOUT_FILENO);
        execvp(args[0], args.data());
        std::fprintf(stderr, "bench-run: cannot run %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }

    ProcessResult result;
    if (captureOutput) {
        close(out[1]);
        char buffer[4096];
        for (;;) {
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n > 0)
                result.output.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR || (interruptible && interrupted))
                break;
        }
        close(out[0]);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) fail("wait4");
        if (interruptible && interrupted) kill(-pid, SIGTERM);
    }
    const auto end = std::chrono::steady_clock::now();
    if (interruptible) ThrowIfInterrupted();

    result.wallSeconds = std::chrono::duration<double>(end - start).count();
    result.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    result.maxRssKb = usage.ru_maxrss;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

ProcessResult RunShell(const std::string& command, bool captureOutput) {
    return RunProcess({"bash", "-o", "pipefail", "-c", command}, captureOutput);
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

} // namespace tabulant::bench
