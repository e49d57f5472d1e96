#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tabulant::db {

// The password file PostgreSQL's own client tools read: $PGPASSFILE when set, else .pgpass in
// the home folder ($HOME, else the account's home from the password database).
std::string PasswordFilePath();

// A connection as the password file's lines are matched against it. Empty values take the
// defaults PostgreSQL's client library gives them: host "localhost", port "5432", user the
// account's login name, database the user name.
struct PasswordFileQuery {
    std::string_view host, port, database, user;
};

struct PasswordFileAnswer {
    std::optional<std::string> password; // from the first matching line
    std::string warning;                 // why the file was passed over; empty otherwise
};

// Looks the connection up in the password file at `path`, line by line in the format
//   host:port:database:user:password
// where each of the first four fields is a literal or "*" (anything), "\:" and "\\" stand for
// ":" and "\", and lines starting with "#" are comments. The first matching line wins.
// As the client library does, a file that is not a plain file, or that its group or others may
// read, write or run, is passed over with a warning naming it; a missing file is passed over
// silently. Never throws.
PasswordFileAnswer LookUpPassword(const std::string& path, const PasswordFileQuery& query);

} // namespace tabulant::db
