#include "StatementCases.h"

#include "fakes/CountingEventLoop.h"
#include "fakes/FakePreview.h"
#include "fakes/ScriptedPrompts.h"

#include <cmath>
#include <limits>

namespace tabulant::testcases {

using platform::Variant;
using enum platform::AdoType;

platform::RegionalText::Conventions CommaConventions() {
    platform::RegionalText::Conventions c;
    c.decimalSeparator = ",";
    c.dateSeparator = ".";
    c.timeSeparator = ":";
    c.dateOrder = platform::RegionalText::DateOrder::DayMonthYear;
    c.twelveHourClock = false;
    c.padDayMonth = true;
    c.padHour = true;
    return c;
}

Variant DateValue(int y, int m, int d, int hh, int mm, int ss) {
    return Variant::date(platform::RegionalText::ToOleDate({y, m, d, hh, mm, ss}));
}

const std::vector<StatementCase>& StatementCases() {
    const std::vector<fakes::ColumnDef> orders = {{"Order ID", adInteger},
                                                  {"Customer Name", adVarWChar},
                                                  {"Order Date", adDate},
                                                  {"Paid", adBoolean},
                                                  {"Photo", adLongVarBinary}};
    const Variant photo = Variant::binary(std::string("\x89PNG\0\x01", 6));
    const std::string longText(300, 'x');
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    static const std::vector<StatementCase> cases = {
        {"Orders example",
         "Orders",
         orders,
         {Variant::integer(17), Variant::text("O'Brien"), DateValue(2021, 8, 31),
          Variant::boolean(true), photo},
         false,
         R"(INSERT INTO "Orders" VALUES (17, 'O''Brien', '08/31/2021', TRUE);)"},
        {"Orders example, null customer",
         "Orders",
         orders,
         {Variant::integer(17), Variant(), DateValue(2021, 8, 31), Variant::boolean(true), photo},
         false,
         R"(INSERT INTO "Orders" VALUES (17,NULL, '08/31/2021', TRUE);)"},
        {"first value null keeps the parenthesis",
         "N",
         {{"Note", adVarWChar}, {"Qty", adInteger}},
         {Variant(), Variant::integer(5)},
         false,
         R"(INSERT INTO "N" VALUES (NULL, 5);)"},
        {"null after a number, empty text is null",
         "N",
         {{"Qty", adInteger}, {"Note", adVarWChar}, {"X", adSmallInt}},
         {Variant::integer(-5), Variant::text(""), Variant()},
         false,
         R"(INSERT INTO "N" VALUES (-5,NULL,NULL);)"},
        {"false and true",
         "B",
         {{"A", adBoolean}, {"B", adBoolean}},
         {Variant::boolean(false), Variant::boolean(true)},
         false,
         R"(INSERT INTO "B" VALUES (FALSE, TRUE);)"},
        {"line breaks kept as escapes, quotes doubled",
         "T",
         {{"Id", adInteger}, {"Memo", adLongVarWChar}},
         {Variant::integer(1), Variant::text("it's\r\n'x'\nline3\rend C:\\dir")},
         false,
         R"(INSERT INTO "T" VALUES (1, E'it''s\r\n''x''\nline3\rend C:\\dir');)"},
        {"only line breaks is a text, not null",
         "T",
         {{"Id", adInteger}, {"Memo", adLongVarWChar}},
         {Variant::integer(1), Variant::text("\r\n\n")},
         false,
         R"(INSERT INTO "T" VALUES (1, E'\r\n\n');)"},
        {"backslash without line breaks stays single",
         "T",
         {{"Id", adInteger}, {"Memo", adLongVarWChar}},
         {Variant::integer(1), Variant::text("C:\\dir\\x41")},
         false,
         R"(INSERT INTO "T" VALUES (1, 'C:\dir\x41');)"},
        {"a number or date with a line break stays text",
         "T",
         {{"A", adLongVarWChar}, {"B", adLongVarWChar}},
         {Variant::text("1,5\r\n2"), Variant::text("12/24/2021\n")},
         true,
         R"(INSERT INTO "T" VALUES (E'1,5\r\n2', E'12/24/2021\n');)"},
        {"column names the server reserves or cannot read unquoted",
         "K",
         {{"Order", adInteger},
          {"Weight (kg)", adDouble},
          {"1st Name", adVarWChar},
          {"E-Mail", adVarWChar},
          {"User", adBoolean}},
         {Variant::integer(7), Variant::real(2.5), Variant::text("Ann"), Variant::text("a@b.c"),
          Variant::boolean(true)},
         false,
         R"(INSERT INTO "K" VALUES (7, 2.5, 'Ann', 'a@b.c', TRUE);)"},
        {"long value written whole",
         "T",
         {{"Id", adInteger}, {"Memo", adLongVarWChar}},
         {Variant::integer(1), Variant::text(longText)},
         false,
         "INSERT INTO \"T\" VALUES (1, '" + longText + "');"},
        {"numbers in a comma system",
         "M",
         {{"D", adDouble}, {"C", adCurrency}, {"E", adDecimal}, {"Big", adDouble}},
         {Variant::real(12.5), Variant::currency(-12345), Variant::decimal("-123.450"),
          Variant::real(1e20)},
         true,
         R"(INSERT INTO "M" VALUES (12.5, -1.2345, -123.45, 1E+20);)"},
        {"non-finite doubles quoted",
         "F",
         {{"A", adDouble}, {"B", adDouble}, {"C", adDouble}},
         {Variant::real(nan), Variant::real(inf), Variant::real(-inf)},
         false,
         R"(INSERT INTO "F" VALUES ('NaN', 'Infinity', '-Infinity');)"},
        {"single is text beside numbers",
         "S",
         {{"Id", adInteger}, {"Ratio", adSingle}},
         {Variant::integer(1), Variant::single(1.5f)},
         true,
         R"(INSERT INTO "S" VALUES (1, '1,5');)"},
        {"single gets a point without numbers",
         "S",
         {{"Ratio", adSingle}, {"Name", adVarWChar}},
         {Variant::single(1.5f), Variant::text("x")},
         true,
         R"(INSERT INTO "S" VALUES ('1.5', 'x');)"},
        {"text read as number without numbers",
         "S",
         {{"Code", adVarWChar}},
         {Variant::text("3,75")},
         true,
         R"(INSERT INTO "S" VALUES ('3.75');)"},
        {"date-looking texts rewritten",
         "D",
         {{"Id", adInteger}, {"A", adVarWChar}, {"B", adVarWChar}, {"C", adVarWChar}},
         {Variant::integer(1), Variant::text("12/24/2021"), Variant::text("12/24/2021 9:30 PM"),
          Variant::text("2021-08-31")},
         false,
         R"(INSERT INTO "D" VALUES (1, '12/24/2021', '12/24/2021 21:30:00', '08/31/2021');)"},
        {"date with time and time alone",
         "D",
         {{"Id", adInteger}, {"At", adDate}, {"T", adDate}},
         {Variant::integer(1), DateValue(2021, 8, 31, 14, 5), DateValue(1899, 12, 30, 12, 0, 0)},
         false,
         R"(INSERT INTO "D" VALUES (1, '08/31/2021 14:05:00', '12/30/1899 12:00:00');)"},
        {"dates in a comma system",
         "D",
         {{"At", adDate}, {"Day", adDate}},
         {DateValue(2021, 8, 31, 14, 5), DateValue(2021, 8, 31)},
         true,
         R"(INSERT INTO "D" VALUES ('08.31.2021 14:05:00', '08.31.2021');)"},
        {"texts that are not dates or numbers",
         "X",
         {{"V", adVarWChar}, {"W", adVarWChar}},
         {Variant::text("1.2.3"), Variant::text("12/24/21")},
         false,
         R"(INSERT INTO "X" VALUES ('1.2.3', '12/24/21');)"},
        {"short binary as hex text",
         "X",
         {{"Id", adInteger}, {"Key", adVarBinary}},
         {Variant::integer(1), Variant::binary(std::string("\x00\xff", 2))},
         false,
         R"(INSERT INTO "X" VALUES (1, '\x00ff');)"},
        {"every field long binary",
         "Pictures",
         {{"Front", adLongVarBinary}, {"Back", adLongVarBinary}},
         {photo, photo},
         false,
         R"(INSERT INTO "Pictures" DEFAULT VALUES;)"},
        {"double quote in the table name",
         R"(Sales "old")",
         {{"Id", adInteger}},
         {Variant::integer(1)},
         false,
         R"(INSERT INTO "Sales ""old""" VALUES (1);)"},
    };
    return cases;
}

namespace {
struct Collect final : engine::RowSink {
    std::vector<std::string>* out;
    void Progress(std::int64_t, std::int64_t) override {}
    void Statement(const std::string& s) override { out->push_back(s); }
};
} // namespace

Generated Generate(const fakes::InMemoryTable& table, const platform::RegionalText& regional) {
    Generated g;
    fakes::FakePreview preview;
    fakes::CountingEventLoop events;
    fakes::ScriptedPrompts prompts;
    shell::Trap trap(prompts, "Form1.PushButton7_Click");
    platform::Recordset records(fakes::BorrowingCursor(table));
    engine::SpecifiedPolicy policy({preview, events, regional});
    g.create = policy.CreateTable(trap, {table.name, records, nullptr}).front();
    policy.StartRows(trap, table.name);
    Collect sink;
    sink.out = &g.inserts;
    engine::WriteRows(trap, records, events, policy, sink);
    g.reports = prompts.ErrorReports();
    return g;
}

} // namespace tabulant::testcases
