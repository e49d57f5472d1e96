// tabulant-convert: the program's conversion run from a terminal. Wires the terminal's ports,
// reads the window's saved settings for the server, and sets the exit status from the run.
#include "CommandLine.h"
#include "ConvertCommand.h"
#include "Terminal.h"
#include "platform/RegionalText.h"
#include "platform/qt/IniSettingsStore.h"

#include <clocale>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#ifndef TABULANT_VERSION
#define TABULANT_VERSION "unknown"
#endif

int main(int argc, char** argv) {
    using namespace tabulant;

    // A reader of --sql - that goes away is a failed write, reported and counted, not a silent
    // end of the program.
    std::signal(SIGPIPE, SIG_IGN);

    // The user's number and date conventions shape the value texts, as in the window; the C
    // library's own number reading stays in the C locale.
    std::setlocale(LC_ALL, "");
    const platform::RegionalText regional(platform::RegionalText::FromProcessLocale());
    std::setlocale(LC_NUMERIC, "C");

    cli::Terminal terminal;
    cli::CommandLine line;
    try {
        line = cli::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const cli::UsageError& e) {
        terminal.Line(std::string("tabulant-convert: ") + e.what());
        terminal.Line("Try 'tabulant-convert --help'.");
        return cli::exitstatus::Unusable;
    }
    if (line.help) {
        std::fputs(cli::UsageText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? cli::exitstatus::Converted : cli::exitstatus::Unusable;
    }
    if (line.version) {
        std::puts("tabulant-convert " TABULANT_VERSION);
        return std::fflush(stdout) == 0 ? cli::exitstatus::Converted : cli::exitstatus::Unusable;
    }

    const platform::IniSettingsStore saved;
    return cli::ConvertCommand(std::move(line), terminal, saved, regional).Run();
}
