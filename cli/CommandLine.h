#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tabulant::cli {

// The answer to "Would you like to overwrite ...?".
enum class Overwrite { Ask, Yes, No };
enum class Verbosity { Quiet, Normal, Verbose };

// What the command line asks for. Unset server values are filled in later, from the window's
// saved settings, the PG* environment variables and the window's defaults.
struct CommandLine {
    std::vector<std::string> accessFiles; // converted one after another, in this order
    std::optional<std::string> server, port, user, database;
    std::optional<Overwrite> overwrite; // unset: ask on a terminal, else no
    std::optional<std::string> sqlFile; // "-" is standard output
    bool typed = false;
    std::string codePage;                   // empty: the file header's
    std::vector<std::string> tables;        // empty: every table
    bool verify = false;                    // verify after converting
    bool verifyOnly = false;                // verify, convert nothing
    std::optional<std::string> reportFile;  // the verification's report; "-" is standard output
    bool copy = false;                      // rows in bulk, with COPY
    std::optional<std::string> rejectsFile; // where --copy puts refused rows
    std::optional<std::string> schema;      // the PostgreSQL schema of every file's tables
    bool schemaPerFile = false;             // a schema named after each file
    Verbosity verbosity = Verbosity::Normal;
    bool help = false;
    bool version = false;
};

// Bad usage; what() says what is wrong in one line.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the arguments after the program's name. Options take their value as the next argument
// or after "=" (--port=5433); "--" ends the options. Throws UsageError.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string UsageText();

} // namespace tabulant::cli
