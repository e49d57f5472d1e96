#include "ConvertCommand.h"

#include "ForeignKeyKeeper.h"
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
#include "engine/verify/LoadSums.h"
#include "platform/Error.h"
#include "platform/Utf8.h"
#include "platform/Wipe.h"
#include "shell/core/ErrorReport.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
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

// The schema --schema-per-file gives a file: its name without folder and last extension, or its
// whole name when that leaves nothing (".mdb").
std::string SchemaOfFile(const std::string& path) {
    const std::filesystem::path file(path);
    std::string stem = file.stem().string();
    return stem.empty() ? file.filename().string() : stem;
}

// Hands the run's statements to the file until it takes no more (a full disk, a psql that went
// away): nothing made after that could arrive, so the run is stopped at once and its view says
// no more. Each table's statements are flushed before its line says it is done.
class StopAtFailedWrite final : public engine::StatementOutput {
public:
    explicit StopAtFailedWrite(StatementFile& file) : file_(file) {}
    void Write(std::string_view statement) override {
        guard([&] { file_.Write(statement); });
    }
    void WriteData(std::string_view lines) override {
        guard([&] { file_.WriteData(lines); });
    }
    void Flush() {
        guard([&] { file_.Flush(); });
    }
    std::function<void()> onFailure;
    const std::optional<std::string>& failure() const { return failure_; }

private:
    template <class Step> void guard(const Step& step) {
        if (failure_) return;
        try {
            step();
        } catch (const platform::Error& e) {
            failure_ = e.description();
            if (onFailure) onFailure();
        }
    }
    StatementFile& file_;
    std::optional<std::string> failure_;
};

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
    const std::vector<std::string>& files = line_.accessFiles;
    if (!checkUsage()) return exitstatus::Unusable;
    // With one file, nothing else is touched before it has opened.
    const bool firstOpened = openAccessFile(files.front());
    if (!firstOpened && files.size() == 1) return exitstatus::Unusable;
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
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i == 0 ? !firstOpened : !openAccessFile(files[i])) {
            status_ = exitstatus::Unusable;
            continue;
        }
        const std::string schema =
            line_.schemaPerFile ? SchemaOfFile(files[i]) : line_.schema.value_or("");
        if (files.size() > 1 && line_.verbosity != Verbosity::Quiet)
            terminal_.Line(files[i] + (schema.empty() ? "" : " into schema " + schema) + ":");
        if (line_.verifyOnly) {
            status_ = std::max(status_, verify(schema));
            continue;
        }
        const int converted = convert(schema);
        status_ = std::max(status_, converted);
        if (writeFailed_) return exitstatus::Unusable;
        if (!line_.verify || converted == exitstatus::Unusable) continue;
        // A lone file's conversion is summed up before its verification, as it always was.
        if (files.size() == 1) summarize();
        status_ = std::max(status_, verify(schema));
    }
    return line_.verifyOnly || summarized_ ? status_ : summarize();
}

int ConvertCommand::verify(const std::string& schema) {
    if (line_.verify && converted_.empty()) {
        terminal_.Line("No table was converted: nothing to verify");
        return exitstatus::Converted;
    }
    TerminalPrompts prompts(terminal_, overwrite_, line_.verbosity);
    engine::verify::VerifyRequest request{settings_, settings_.policy,
                                          line_.verify ? converted_ : tables_, schema};
    request.taken = loadSums_.get();
    return VerifyFromTerminal(terminal_, line_, request,
                              {*connections_, prompts, events_, regional_});
}

bool ConvertCommand::checkUsage() {
    if (line_.typed) settings_.policy = engine::PolicyKind::Typed;
    settings_.bulk = line_.copy;
    overwrite_ = line_.overwrite.value_or(terminal_.CanAsk() ? Overwrite::Ask : Overwrite::No);
    if (overwrite_ == Overwrite::Ask && !terminal_.CanAsk() && !line_.sqlFile) {
        fail("--overwrite ask needs a terminal on standard input; give yes or no");
        return false;
    }
    return true;
}

bool ConvertCommand::openAccessFile(const std::string& path) {
    settings_.accessFile = path;
    settings_.codePage = line_.codePage;
    tables_.clear();
    fileTables_.clear();
    // A password typed for the file before is not this file's.
    platform::Wipe(settings_.accessPassword);
    settings_.accessPassword.clear();
    if (const char* password = std::getenv("TABULANT_ACCESS_PASSWORD"))
        settings_.accessPassword = password;
    struct stat st {};
    if (::stat(settings_.accessFile.c_str(), &st) != 0) {
        fail("cannot open " + settings_.accessFile + ": " + std::strerror(errno));
        return false;
    }

    TerminalPrompts prompts(terminal_, overwrite_, line_.verbosity);
    const db::Services services{*connections_, prompts, events_, settings_};
    // A password typed at the prompt may be mistyped: three tries in all, as login prompts give.
    constexpr int Tries = 3;
    int typedTries = 0;
    const bool fromEnvironment = !settings_.accessPassword.empty();
    for (;;) {
        try {
            const auto names = db::GetAccessTableNames(services, settings_.accessFile);
            fileTables_ = names.value_or(std::vector<std::string>{});
            return chooseTables(fileTables_);
        } catch (const platform::Error& e) {
            const bool wrongPassword = e.number() == db::accesserrors::InvalidPassword;
            if (wrongPassword && !fromEnvironment && typedTries < Tries && terminal_.CanAsk()) {
                if (typedTries > 0) terminal_.Line(e.description());
                ++typedTries;
                platform::Wipe(settings_.accessPassword);
                if (auto typed =
                        terminal_.Ask("Password for " + settings_.accessFile + ": ", false)) {
                    settings_.accessPassword = std::move(*typed);
                    continue;
                }
            }
            std::string text = "cannot open " + settings_.accessFile + ": " + e.description();
            if (wrongPassword && fromEnvironment)
                text += " (the password in TABULANT_ACCESS_PASSWORD)";
            else if (wrongPassword && typedTries == 0)
                text += " The file is protected by a password: give it in "
                        "TABULANT_ACCESS_PASSWORD.";
            fail(text);
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
    ServerSettings chosen = ChooseServerSettings(
        line_, saved_, [](const char* name) { return std::getenv(name); }, &keyring_);
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

int ConvertCommand::convert(const std::string& schema) {
    settings_.schema = schema;
    TerminalPrompts prompts(terminal_, overwrite_, line_.verbosity);
    TerminalRunView view(terminal_, line_.verbosity, tables_);
    TerminalPreview preview(terminal_, line_.verbosity);
    std::optional<StopAtFailedWrite> output;
    if (statements_) {
        output.emplace(*statements_);
        view.beforeTableLine = [&output] { output->Flush(); };
    }
    if (statements_ && overwrite_ == Overwrite::Yes) {
        // No server tells which tables exist: the file replaces each table wherever it runs.
        view.beforeTable = [this, &output](std::string_view table) {
            std::string drop = "DROP TABLE IF EXISTS ";
            engine::AppendTableName(drop, settings_.schema, table);
            // Foreign keys a typed load made towards the table would keep it from going.
            if (settings_.policy == engine::PolicyKind::Typed) drop += " CASCADE";
            output->Write(drop);
        };
    }
    // The tables converted, which a verification afterwards looks at: one answered No keeps
    // what the server held before.
    converted_.clear();
    view.beforeTable = [this, drop = std::move(view.beforeTable)](std::string_view table) {
        converted_.emplace_back(table);
        if (drop) drop(table);
    };
    ForeignKeyKeeper keys(*connections_);
    const bool keepKeys = !statements_ && settings_.policy == engine::PolicyKind::Typed &&
                          overwrite_ != Overwrite::No;
    if (keepKeys) noteForeignKeys(keys, schema);
    engine::RunOptions options;
    if (output) options.statementsTo = &*output;
    options.rejectsFile = line_.rejectsFile.value_or("");
    if (line_.verify && !statements_) {
        // Our side of the verification is summed from the statements as they go, so that the
        // file is read once.
        loadSums_ = std::make_unique<engine::verify::LoadSums>(settings_, schema);
        options.rowTap = loadSums_.get();
    }
    engine::ConversionRun run(
        {settings_, view, preview, prompts, events_, *connections_, regional_},
        std::string(engine::StartConvertingLocation), std::move(options));
    if (output)
        output->onFailure = [&] {
            view.Silence();
            run.RequestStop();
        };
    const engine::RunSummary summary = run.Run();
    if (output && output->failure()) {
        fail(*output->failure());
        writeFailed_ = true;
        return exitstatus::Unusable;
    }
    // The run's own checks failed after ours had succeeded (the server went away or the file
    // changed meanwhile); the run has said why.
    if (!summary.started) {
        prompts.ShowHeldMessages();
        fail("the conversion did not start");
        return exitstatus::Unusable;
    }

    int failures = summary.failures;
    if (keepKeys && summary.started && !summary.stopped) failures += restoreForeignKeys(keys);
    ++totals_.files;
    totals_.tables += summary.tables;
    totals_.rows += summary.rows;
    totals_.statements += summary.statements;
    totals_.executed += summary.executed;
    totals_.refused += summary.refused;
    totals_.failures += failures;
    return failures > 0 ? exitstatus::Failures : exitstatus::Converted;
}

int ConvertCommand::summarize() {
    summarized_ = true;
    const std::size_t files = line_.accessFiles.size();
    // A lone file whose run did not start has said why; there is nothing to sum up.
    if (files == 1 && totals_.files == 0) return status_;
    const int failures = totals_.failures;
    std::string handed = std::to_string(totals_.executed) + " of " +
                         plural(totals_.statements, "statement", "statements") + " executed";
    if (statements_) {
        try {
            statements_->Finish();
        } catch (const platform::Error& e) {
            fail(e.description());
            status_ = exitstatus::Unusable;
            return status_;
        }
        const std::string where =
            statements_->path() == "-" ? "standard output" : statements_->path();
        // What a failed write left in the library's buffer is not known to have arrived.
        const std::int64_t made = statements_->written() + statements_->lost();
        handed = plural(made, "statement", "statements") +
                 (statements_->failed() ? ", not all written to " : " written to ") + where;
    }
    if (line_.verbosity != Verbosity::Quiet || status_ != exitstatus::Converted) {
        std::string line;
        if (files > 1)
            line = (totals_.files == static_cast<int>(files)
                        ? ""
                        : std::to_string(totals_.files) + " of ") +
                   plural(static_cast<std::int64_t>(files), "file", "files") + ", ";
        terminal_.Line(line + plural(totals_.tables, "table", "tables") + ", " +
                       plural(totals_.rows, "row", "rows") + ", " + handed + ", " +
                       (line_.copy && !statements_
                            ? plural(totals_.refused, "row", "rows") + " refused, "
                            : std::string()) +
                       plural(failures, "failure", "failures"));
    }
    return status_;
}

void ConvertCommand::noteForeignKeys(ForeignKeyKeeper& keys, const std::string& schema) {
    std::vector<std::string> names;
    for (const std::string& table : tables_.empty() ? fileTables_ : tables_)
        names.emplace_back(engine::StoredTableName(table));
    try {
        keys.Note(settings_, names, std::string(engine::StoredTableName(schema)));
    } catch (const std::exception& e) {
        verbose("The foreign keys towards the tables could not be listed: " +
                shell::DescriptionOf(e));
    }
}

int ConvertCommand::restoreForeignKeys(ForeignKeyKeeper& keys) {
    std::vector<std::string> missed;
    try {
        missed = keys.Restore(settings_);
    } catch (const std::exception& e) {
        missed.push_back("(" + shell::DescriptionOf(e) + ")");
    }
    if (missed.empty()) return 0;
    std::string text = "foreign keys dropped with the replaced tables and not made again:";
    for (std::size_t i = 0; i < missed.size(); ++i) text += (i ? "; " : " ") + missed[i];
    fail(text);
    return 1;
}

} // namespace tabulant::cli
