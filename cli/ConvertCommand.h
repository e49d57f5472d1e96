#pragma once

#include "CommandLine.h"
#include "StatementFile.h"
#include "Terminal.h"
#include "TerminalRunSettings.h"
#include "platform/EventLoop.h"
#include "platform/RegionalText.h"
#include "platform/SettingsStore.h"
#include "platform/keyring/SecretServiceKeyring.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tabulant::db {
class ProviderConnectionFactory;
}
namespace tabulant::engine::verify {
class LoadSums;
}

namespace tabulant::cli {

class ForeignKeyKeeper;

// The exit statuses of tabulant-convert.
namespace exitstatus {
inline constexpr int Converted = 0; // every statement succeeded
inline constexpr int Failures = 1;  // a statement or step failed
inline constexpr int Unusable = 2;  // bad usage, no Access file, no server, no statement file
} // namespace exitstatus

// One command line's conversions, one Access file after another. Before the first run it checks
// what would otherwise fail at every step: the first Access file opens (asking for its password
// on a terminal), the tables named with --table exist, the statement file can be created or the
// server answers (asking for its password when it wants one); each later file is opened and
// checked before its own run. Each file gets the program's one conversion run with the
// terminal's ports; the counts of all runs make one summary line and one exit status, the
// highest any file earned (a file that cannot be opened is reported and passed over).
// Thread: the one thread of the program.
class ConvertCommand {
public:
    ConvertCommand(CommandLine line, Terminal& terminal, const platform::SettingsStore& saved,
                   const platform::RegionalText& regional);
    ~ConvertCommand();

    int Run();

private:
    // What the runs so far did, for the summary line.
    struct Totals {
        int files = 0; // converted (a run started)
        int tables = 0;
        std::int64_t rows = 0, statements = 0, executed = 0, refused = 0;
        int failures = 0;
    };

    bool checkUsage();
    bool openAccessFile(const std::string& path);
    bool chooseTables(const std::vector<std::string>& inFile);
    bool chooseServer();
    bool reachServer();
    // Converts the file opened last into `schema`, adds to the totals and returns the file's
    // exit status; a statement file that takes no more sets writeFailed_.
    int convert(const std::string& schema);
    // Verifies the file opened last against the tables of `schema`; returns its exit status.
    int verify(const std::string& schema);
    int summarize();
    void noteForeignKeys(ForeignKeyKeeper& keys, const std::string& schema);
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
    std::vector<std::string> converted_;  // by the file's run, in its order
    Overwrite overwrite_ = Overwrite::No;
    Totals totals_;
    int status_ = 0; // the highest exit status earned so far
    bool summarized_ = false;
    bool writeFailed_ = false;                           // the statement file took no more
    std::unique_ptr<engine::verify::LoadSums> loadSums_; // --verify: our side, taken as it loads
};

} // namespace tabulant::cli
