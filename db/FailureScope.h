#pragma once

#include <string_view>

namespace tabulant::db {

// The SQLSTATE a failure's description names ("SQLException: [08S01] ..."; the first one when the
// driver left several records), or an empty view when it names none.
std::string_view SqlStateOf(std::string_view description);

// How far a failed statement's cause reaches, read from its SQLSTATE:
// - Connection: the connection is gone, so every later statement on it fails the same way.
//   SQLSTATE class 08 (connection exception, with ODBC's 08S01 "communication link failure",
//   which psqlODBC gives for every call after it lost the server), 57P01 admin_shutdown,
//   57P02 crash_shutdown and 57P03 cannot_connect_now (psqlODBC reports the statement during
//   which the server went away with these).
// - Relation: the statement's target cannot take rows of this shape at all, whatever the values:
//   42P01 undefined_table, 42501 insufficient_privilege, 42601 syntax_error (an INSERT with more
//   values than the relation has columns, such as into a view), 42809 wrong_object_type and
//   55000 object_not_in_prerequisite_state (a view that cannot be inserted into). Whether that
//   holds for the next statement too is the caller's to judge.
// - Statement: anything else, such as a value the column rejects.
enum class FailureScope { Statement, Relation, Connection };
FailureScope ScopeOf(std::string_view description);

} // namespace tabulant::db
