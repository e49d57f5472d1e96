#include "CommandLine.h"

#include "db/access/CodePageName.h"

#include <string_view>

namespace tabulant::cli {

namespace {

Overwrite overwriteAnswer(const std::string& value) {
    if (value == "ask") return Overwrite::Ask;
    if (value == "yes") return Overwrite::Yes;
    if (value == "no") return Overwrite::No;
    throw UsageError("--overwrite takes ask, yes or no, not \"" + value + "\"");
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const auto eq = arg.find('='); eq != std::string::npos && arg.starts_with("--")) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        const auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw UsageError(name + " needs a value");
            return args[++i];
        };
        const auto flag = [&] {
            if (inlineValue) throw UsageError(name + " takes no value");
        };

        if (name == "--server") {
            line.server = value();
        } else if (name == "--port") {
            line.port = value();
        } else if (name == "--user") {
            line.user = value();
        } else if (name == "--database") {
            line.database = value();
        } else if (name == "--overwrite") {
            line.overwrite = overwriteAnswer(value());
        } else if (name == "--sql") {
            line.sqlFile = value();
            if (line.sqlFile->empty()) throw UsageError("--sql needs a file name, or - ");
        } else if (name == "--table") {
            line.tables.push_back(value());
        } else if (name == "--codepage") {
            line.codePage = value();
            if (!db::CodePageFromName(line.codePage))
                throw UsageError("unknown code page " + line.codePage);
        } else if (name == "--schema") {
            line.schema = value();
            if (line.schema->empty()) throw UsageError("--schema needs a schema name");
        } else if (name == "--schema-per-file") {
            flag();
            line.schemaPerFile = true;
        } else if (name == "--typed") {
            flag();
            line.typed = true;
        } else if (name == "--verify") {
            flag();
            line.verify = true;
        } else if (name == "--verify-only") {
            flag();
            line.verifyOnly = true;
        } else if (name == "--report") {
            line.reportFile = value();
            if (line.reportFile->empty()) throw UsageError("--report needs a file name, or - ");
        } else if (name == "--copy") {
            flag();
            line.copy = true;
        } else if (name == "--rejects") {
            line.rejectsFile = value();
            if (line.rejectsFile->empty()) throw UsageError("--rejects needs a file name");
        } else if (name == "--quiet") {
            flag();
            line.verbosity = Verbosity::Quiet;
        } else if (name == "--verbose") {
            flag();
            line.verbosity = Verbosity::Verbose;
        } else if (name == "--help") {
            flag();
            line.help = true;
        } else if (name == "--version") {
            flag();
            line.version = true;
        } else if (name == "--password" || name == "--access-password") {
            throw UsageError("passwords are not taken from the command line (see --help)");
        } else {
            throw UsageError("unknown option " + name);
        }
    }
    if (line.help || line.version) return line;
    if ((line.verify || line.verifyOnly) && line.sqlFile)
        throw UsageError("verifying needs the server: load the --sql file, then use --verify-only");
    if (line.verify && line.verifyOnly)
        throw UsageError("--verify and --verify-only exclude each other");
    if (line.reportFile && !line.verify && !line.verifyOnly)
        throw UsageError("--report goes with --verify or --verify-only");
    if (line.rejectsFile && !line.copy) throw UsageError("--rejects goes with --copy");
    if (files.empty()) throw UsageError("no Access file named");
    if (line.schema && line.schemaPerFile)
        throw UsageError("--schema and --schema-per-file cannot be given together");
    // One report file would hold only the last file's verification.
    if (line.reportFile && files.size() > 1)
        throw UsageError("--report goes with one Access file at a time");
    // Each file's run makes its reject file new; a second could not make the same one.
    if (line.rejectsFile && files.size() > 1)
        throw UsageError("--rejects goes with one Access file at a time");
    line.accessFiles = std::move(files);
    return line;
}

std::string UsageText() {
    return R"(Usage: tabulant-convert [OPTIONS] ACCESS_FILE...

Copies every user table of a Microsoft Access database (.mdb or .accdb) into
PostgreSQL: the conversion Tabulant's window runs without SQL preview, with the
same statements, reports and row counts, from a terminal or a script. Several
files are converted one after another, with one summary and one exit status.

PostgreSQL server (an option left out takes the window's saved setting, then
PGHOST, PGPORT, PGUSER or PGDATABASE, then localhost, 5432, the login name, and
the database named after the user):
  --server HOST           the server's host name or address
  --port N                its port
  --user NAME             the user name
  --database NAME         the database

What to convert and how:
  --table NAME            only this table (repeat for more)
  --overwrite ask|yes|no  a table that exists already: ask (the default when
                          standard input is a terminal), drop and convert it
                          again, or leave it as it is (the default otherwise)
  --sql FILE              write the statements to FILE ("-" for standard
                          output) instead of executing them; no server is
                          reached, see below
  --codepage NAME         the code page of the texts of an Access 97 or older
                          file whose header names the wrong one: a Windows
                          code page number (936) or name (GBK, Shift_JIS,
                          Big5, EUC-KR, windows-1251); later files store
                          Unicode and need none
  --schema NAME           put the tables into the schema NAME, created when
                          missing (default: the server's default schema,
                          normally public)
  --schema-per-file       put each file's tables into a schema named after
                          the file (its name without folder and extension),
                          so that files with the same table names can share
                          one database
  --typed                 keep the database's shape: real column types, full
                          column names, keys, indexes and relationships (the
                          window's "Keep types, keys and relationships")
  --copy                  load the rows in bulk with COPY, in chunks that each
                          commit on their own, instead of one INSERT a row;
                          with --sql, write COPY ... FROM stdin blocks
  --rejects FILE          with --copy: write the rows the server refuses to
                          FILE (a new file), as INSERT statements after their
                          reasons; by default a file beside the Access file,
                          named after it and the time

Verifying (one line per table, then a summary line, on standard error):
  --verify                after converting, prove that every row and value
                          arrived: row counts and a checksum per column and
                          over whole rows, computed from the Access file and
                          by the server, compared table by table
  --verify-only           verify a database converted earlier, converting
                          nothing; give the options of that conversion
                          (server, --typed, --table)
  --report FILE           also write the whole verification report to FILE:
                          JSON, or HTML when FILE ends in .html ("-" for
                          standard output)

Messages (on standard error):
  --quiet                 only the failures
  --verbose               also the settings used, the answers given and each
                          field's PostgreSQL type
  --help                  this text
  --version               the program's version

Passwords are never taken from the command line. The Access database password
comes from TABULANT_ACCESS_PASSWORD, or is asked for when standard input is a
terminal. The PostgreSQL password comes from PGPASSWORD, the desktop's keyring
(the password the window keeps there for the same server, port, user and
database), the window's saved password in its settings file (when server, port
and user are the saved ones), the password file
(~/.pgpass or PGPASSFILE, only when no one else can read it), or is asked for
when the server wants one and standard input is a terminal.

With --sql the statements are written one a line, each ending in a semicolon,
after a line that sets the client encoding to UTF8. No server is asked which
tables exist: the file creates every table, and --overwrite yes puts
DROP TABLE IF EXISTS before each one. To load it all or nothing:
  tabulant-convert shop.mdb --sql - | psql -1 -v ON_ERROR_STOP=1 -d shop
With --copy as well, the rows go as COPY blocks, which psql loads much faster:
  tabulant-convert shop.mdb --copy --sql - | psql -1 -v ON_ERROR_STOP=1 -d shop

Every failure is reported on one line of standard error as the window reports
it: the description, then the location and step ("in ... at line N").

Exit status: 0 when every statement succeeded; 1 when a statement or step
failed (the count is on the last line); 2 for bad usage, an Access file that
cannot be opened, a statement file that cannot be written, or a server that
cannot be reached. When verifying, also 1 when a table differs or is missing
and 2 when a table could not be verified. With several files the highest
status of any file counts: a file that cannot be opened is reported and the
others are still converted.
)";
}

} // namespace tabulant::cli
