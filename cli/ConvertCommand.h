#pragma once

#include "CommandLine.h"
#include "StatementFile.h"
#include "Terminal.h"
#include "TerminalRunSettings.h"
#include "platform/EventLoop.h"
#include "platform/RegionalText.h"
#include "platform/SettingsStore.h"
#include "platform/keyring/SecretServiceKeyring.h"

#include <memory>
#include <string>
#include <vector>

namespace tabulant::db {
class ProviderConnectionFactory;
}

namespace tabulant::cli {

class ForeignKeyKeeper;

// The exit statuses of tabulant-convert.
namespace exitstatus {
inline constexpr int Converted = 0; // every statement succeeded
inline constexpr int Failures = 1;  // a statement or step failed
inline constexpr int Unusable = 2;  // bad usage, no Access file, no server, no statement file
} // namespace exitstatus

// One conversion from the command line. Before the run it checks what would otherwise fail at
// every step: the Access file opens (asking for its password on a terminal), the tables named
// with --table exist, the statement file can be created or the server answers (asking for its
// password when it wants one). Then it runs the program's one conversion run with the
// terminal's ports and returns the exit status.
// Thread: the one thread of the program.
class ConvertCommand {
public:
    ConvertCommand(CommandLine line, Terminal& terminal, const platform::SettingsStore& saved,
                   const platform::RegionalText& regional);
    ~ConvertCommand();

    int Run();

private:
    bool checkUsage();
    bool openAccessFile();
    bool chooseTables(const std::vector<std::string>& inFile);
    bool chooseServer();
    bool reachServer();
    int convert();
    int verify();
    void noteForeignKeys(ForeignKeyKeeper& keys);
    int restoreForeignKeys(ForeignKeyKeeper& keys); // the failures it counts
    void fail(const std::string& text);
    void verbose(const std::string& text);

    CommandLine line_;
    Terminal& terminal_;
    const platform::SettingsStore& saved_;
    platform::SecretServiceKeyring keyring_;
    const platform::RegionalText& regional_;
    platform::NoEventLoop events_;
    std::unique_ptr<db::ProviderConnectionFactory> connections_;
    TerminalRunSettings settings_;
    std::unique_ptr<StatementFile> statements_;
    std::vector<std::string> tables_;     // named with --table
    std::vector<std::string> fileTables_; // every table of the file
    std::vector<std::string> converted_;  // by the run, in its order
    Overwrite overwrite_ = Overwrite::No;
};

} // namespace tabulant::cli
