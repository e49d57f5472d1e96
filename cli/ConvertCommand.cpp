#include "ConvertCommand.h"

#include "ServerSettings.h"
#include "TerminalPreview.h"
#include "TerminalPrompts.h"
#include "TerminalRunView.h"
#include "TerminalVerification.h"
#include "db/Access.h"
#include "db/PostgreSQL.h"
#include "db/ProviderConnectionFactory.h"
#include "db/access/AccessErrors.h"
#include "engine/ConversionRun.h"
#include "engine/SqlText.h"
#include "platform/Error.h"
#include "platform/Utf8.h"
#include "platform/Wipe.h"
#include "shell/core/ErrorReport.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace tabulant::cli {

namespace {

constexpr std::string_view Program = "tabulant-convert: ";

// The driver's words when the server wants a password and was given none (the case in which
// PostgreSQL's own tools ask for one).
constexpr std::string_view NoPasswordGiven = "no password supplied";

std::string plural(std::int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

ConvertCommand::ConvertCommand(CommandLine line, Terminal& terminal,
                               const platform::SettingsStore& saved,
                               const platform::RegionalText& regional)
    : line_(std::move(line)), terminal_(terminal), saved_(saved), regional_(regional),
      connections_(std::make_unique<db::ProviderConnectionFactory>(&events_)) {}

ConvertCommand::~ConvertCommand() {
    platform::Wipe(settings_.password);
    platform::Wipe(settings_.accessPassword);
}

void ConvertCommand::fail(const std::string& text) {
    terminal_.Line(std::string(Program) + shell::ErrorReportLine(text));
}

void ConvertCommand::verbose(const std::string& text) {
    if (line_.verbosity == Verbosity::Verbose) terminal_.Line(text);
}

int ConvertCommand::Run() {
    if (!checkUsage() || !openAccessFile()) return exitstatus::Unusable;
    if (line_.sqlFile) {
        try {
            statements_ = std::make_unique<StatementFile>(*line_.sqlFile);
        } catch (const platform::Error& e) {
            fail(e.description());
            return exitstatus::Unusable;
        }
        // Statements on the terminal would run into the status line.
        if (*line_.sqlFile == "-" && ::isatty(STDOUT_FILENO) == 1) terminal_.TurnStatusOff();
        verbose("Statements to " +
                (*line_.sqlFile == "-" ? std::string("standard output") : *line_.sqlFile) +
                "; no server is reached");
    } else if (!chooseServer() || !reachServer()) {
        return exitstatus::Unusable;
    }
    if (line_.verifyOnly) return verify();
    const int converted = convert();
    if (!line_.verify || converted == exitstatus::Unusable) return converted;
    return std::max(converted, verify());
}

int ConvertCommand::verify() {
    if (line_.verify && converted_.empty()) {
        terminal_.Line("No table was converted: nothing to verify");
        return exitstatus::Converted;
    }
    TerminalPrompts prompts(terminal_, overwrite_, line_.verbosity);
    const engine::verify::VerifyRequest request{
        settings_, settings_.policy, line_.verify ? converted_ : tables_, {}};
    return VerifyFromTerminal(terminal_, line_, request,
                              {*connections_, prompts, events_, regional_});
}

bool ConvertCommand::checkUsage() {
    if (line_.typed) settings_.policy = engine::PolicyKind::Typed;
    overwrite_ = line_.overwrite.value_or(terminal_.CanAsk() ? Overwrite::Ask : Overwrite::No);
    if (overwrite_ == Overwrite::Ask && !terminal_.CanAsk() && !line_.sqlFile) {
        fail("--overwrite ask needs a terminal on standard input; give yes or no");
        return false;
    }
    return true;
}

bool ConvertCommand::openAccessFile() {
    settings_.accessFile = line_.accessFile;
    if (const char* password = std::getenv("TABULANT_ACCESS_PASSWORD"))
        settings_.accessPassword = password;
    struct stat st {};
    if (::stat(settings_.accessFile.c_str(), &st) != 0) {
        fail("cannot open " + settings_.accessFile + ": " + std::strerror(errno));
        return false;
    }

    TerminalPrompts prompts(terminal_, overwrite_, line_.verbosity);
    const db::Services services{*connections_, prompts, events_, settings_};
    bool asked = false;
    for (;;) {
        try {
            const auto names = db::GetAccessTableNames(services, settings_.accessFile);
            return chooseTables(names.value_or(std::vector<std::string>{}));
        } catch (const platform::Error& e) {
            const bool wrongPassword = e.number() == db::accesserrors::InvalidPassword;
            if (wrongPassword && !asked && settings_.accessPassword.empty()) {
                asked = true;
                if (auto typed =
                        terminal_.Ask("Password for " + settings_.accessFile + ": ", false)) {
                    settings_.accessPassword = std::move(*typed);
                    continue;
                }
            }
            fail("cannot open " + settings_.accessFile + ": " + e.description());
            return false;
        } catch (const std::exception& e) {
            fail("cannot open " + settings_.accessFile + ": " + shell::DescriptionOf(e));
            return false;
        }
    }
}

bool ConvertCommand::chooseTables(const std::vector<std::string>& inFile) {
    // A name given in another letter case names the file's table (Access names ignore case).
    for (const std::string& wanted : line_.tables) {
        std::string found;
        for (const std::string& name : inFile) {
            if (name == wanted) {
                found = name;
                break;
            }
            if (found.empty() && platform::LowerCase(name) == platform::LowerCase(wanted))
                found = name;
        }
        if (found.empty()) {
            fail("no table \"" + wanted + "\" in " + settings_.accessFile);
            return false;
        }
        tables_.push_back(found);
    }
    return true;
}

bool ConvertCommand::chooseServer() {
    ServerSettings chosen =
        ChooseServerSettings(line_, saved_, [](const char* name) { return std::getenv(name); });
    settings_.server = chosen.server.value;
    settings_.port = chosen.port.value;
    settings_.user = chosen.user.value;
    settings_.database = chosen.database.value;
    if (chosen.password) {
        settings_.password = chosen.password->value;
        platform::Wipe(chosen.password->value);
    }
    for (const auto& [label, value] :
         {std::pair{"Server", &chosen.server}, std::pair{"Port", &chosen.port},
          std::pair{"User", &chosen.user}, std::pair{"Database", &chosen.database}})
        verbose(std::string(label) + ": " + value->value + " (" + value->from + ")");
    // The client library warns of a password file that others may read when it reads the file
    // itself, which it then does; saying it here as well would say it twice.
    std::string password = chosen.password ? "from " + chosen.password->from : "none given";
    if (!chosen.passwordFileWarning.empty()) password += " (" + chosen.passwordFileWarning + ")";
    verbose("Password: " + password);
    return true;
}

bool ConvertCommand::reachServer() {
    bool asked = false;
    for (;;) {
        try {
            // As the run's own probe connects: the connection's default time-outs.
            auto connection = connections_->CreateConnection();
            db::OpenPostgreSQL(*connection, settings_);
            connection->Close();
            return true;
        } catch (const std::exception& e) {
            const std::string reason = shell::DescriptionOf(e);
            if (!asked && settings_.password.empty() &&
                reason.find(NoPasswordGiven) != std::string::npos) {
                asked = true;
                const std::string user = settings_.user.empty() ? "" : " " + settings_.user;
                if (auto typed = terminal_.Ask("Password for user" + user + ": ", false)) {
                    settings_.password = std::move(*typed);
                    continue;
                }
            }
            fail("Could not connect. Please check with your administrator.\r\r" + reason);
            return false;
        }
    }
}

int ConvertCommand::convert() {
    TerminalPrompts prompts(terminal_, overwrite_, line_.verbosity);
    TerminalRunView view(terminal_, line_.verbosity, tables_);
    TerminalPreview preview(terminal_, line_.verbosity);
    if (statements_ && overwrite_ == Overwrite::Yes) {
        // No server tells which tables exist: the file replaces each table wherever it runs.
        view.beforeTable = [this](std::string_view table) {
            std::string drop = "DROP TABLE IF EXISTS ";
            engine::AppendQuotedName(drop, table);
            // Foreign keys a typed load made towards the table would keep it from going.
            if (settings_.policy == engine::PolicyKind::Typed) drop += " CASCADE";
            statements_->Write(drop);
        };
    }
    // The tables converted, which a verification afterwards looks at: one answered No keeps
    // what the server held before.
    view.beforeTable = [this, drop = std::move(view.beforeTable)](std::string_view table) {
        converted_.emplace_back(table);
        if (drop) drop(table);
    };
    engine::RunOptions options;
    options.statementsTo = statements_.get();
    engine::ConversionRun run(
        {settings_, view, preview, prompts, events_, *connections_, regional_},
        std::string(engine::StartConvertingLocation), std::move(options));
    const engine::RunSummary summary = run.Run();
    // The run's own checks failed after ours had succeeded (the server went away or the file
    // changed meanwhile); the run has said why.
    if (!summary.started) {
        prompts.ShowHeldMessages();
        fail("the conversion did not start");
        return exitstatus::Unusable;
    }

    int failures = summary.failures;
    std::string handed = std::to_string(summary.executed) + " of " +
                         plural(summary.statements, "statement", "statements") + " executed";
    if (statements_) {
        try {
            statements_->Finish();
        } catch (const platform::Error& e) {
            fail(e.description());
            ++failures;
        }
        const std::string where =
            statements_->path() == "-" ? "standard output" : statements_->path();
        // What a failed write left in the library's buffer is not known to have arrived.
        const std::int64_t made = statements_->written() + statements_->lost();
        handed = plural(made, "statement", "statements") +
                 (statements_->failed() ? ", not all written to " : " written to ") + where;
    }
    if (line_.verbosity != Verbosity::Quiet || failures > 0)
        terminal_.Line(plural(summary.tables, "table", "tables") + ", " +
                       plural(summary.rows, "row", "rows") + ", " + handed + ", " +
                       plural(failures, "failure", "failures"));
    return failures > 0 ? exitstatus::Failures : exitstatus::Converted;
}

} // namespace tabulant::cli
