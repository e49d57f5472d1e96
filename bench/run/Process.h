#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace tabulant::bench {

struct ProcessResult {
    double wallSeconds = 0;
    double cpuSeconds = 0; // user and system time of the process and all it waited for
    long maxRssKb = 0;     // peak resident set of the largest process in the tree
    int exitCode = -1;     // 128 + signal number when it was killed
    std::string output;    // standard output, when captured
};

// Thrown when the benchmark was asked to stop (SIGINT, SIGTERM, SIGHUP) while a child ran; the
// child has been ended by then.
struct Interrupted : std::runtime_error {
    Interrupted() : std::runtime_error("interrupted") {}
};

// Lets SIGINT, SIGTERM and SIGHUP end the running child and unwind the benchmark, so that its
// server is stopped and its folder removed on the way out.
void InstallInterruptHandlers();
void ThrowIfInterrupted();

// Runs a program and waits for it. Standard error is passed through; standard output is
// captured when asked for, otherwise passed through too. An interruptible run is ended when the
// benchmark is asked to stop; the clean-up on the way out runs to its end regardless.
ProcessResult RunProcess(const std::vector<std::string>& argv, bool captureOutput = false,
                         bool interruptible = true);
// Runs a bash command line with pipefail, so a failing mdb-export in a pipe is noticed.
ProcessResult RunShell(const std::string& command, bool captureOutput = false);

// A text in single quotes for a shell command line.
std::string ShellQuote(const std::string& text);

} // namespace tabulant::bench
