#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tabulant::engine {

// The values of a row statement as the policies write it, read back: by the bulk load, which
// sends them as COPY fields (CopyText.h), and by the proof of a load, which sums them
// (verify/RowSums.h).

// One value of an INSERT statement as it was written.
struct Literal {
    enum class Kind { Null, Bare, Quoted };
    Kind kind = Kind::Null;
    std::string_view text; // Bare: as written; Quoted: what lies between the quotes
    bool escapes = false;  // an escape string, E'...'
};

// The values of INSERT INTO "T" VALUES (v1, v2, ...); in order, into `out` (cleared first); no
// values for INSERT INTO "T" DEFAULT VALUES;. The table may be named with its schema ("s"."T").
// A value is NULL, a bare word up to its separator (a number, TRUE, FALSE), '...' with ''
// doubled, or E'...' with backslash escapes, the quoted two optionally followed by a cast
// (::bytea), which is passed over; the separator is a comma with an optional blank. False when
// the statement has another form. The views point into `statement`.
bool ReadInsertValues(std::string_view statement, std::vector<Literal>& out);

// Appends the text the server reads from a quoted literal: its doubled quotes undone and, in
// an escape string, its escapes (\n, \r, \t, \b, \f, octal, \x hex, \u and \U code points).
// False when the server would refuse an escape (a \u code point that is no character, or zero).
bool AppendLiteralText(std::string& out, const Literal& literal);

} // namespace tabulant::engine
