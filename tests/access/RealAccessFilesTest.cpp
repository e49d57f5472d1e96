// Files written by Access itself (see files/README.md for their origin and licence): complex
// fields, calculated columns, extended dates, a Jet 3 table definition over two pages and a Jet 3
// file with encoded pages. Every expected value was taken from the source project's own tests or
// from mdbtools' mdb-export, never from this reader.
#include "AccessFixtures.h"

#include <QTest>

#include <map>

using namespace tabulant;
using platform::Variant;

namespace {

std::string file(const char* name) { return std::string(TABULANT_ACCESS_FILES "/") + name; }

// Every row of a table, each as its fields by name, keyed by the text of one field.
struct TableRows {
    std::vector<platform::Field> fields; // names and types, without values
    std::map<std::string, std::map<std::string, Variant>> rows;
};

std::string keyText(const Variant& v) {
    return v.kind() == Variant::Kind::Integer ? std::to_string(v.asInteger()) : v.payload();
}

TableRows readTable(const std::string& path, const std::string& table, const std::string& key) {
    OpenedTable t = OpenTable(path, table);
    TableRows out;
    const platform::FieldList f = t.rows.Fields();
    for (int i = 0; i < f.Count(); ++i) out.fields.push_back({f.Item(i).name, f.Item(i).type, {}});
    for (; !t.rows.Eof(); t.rows.MoveNext()) {
        auto& row = out.rows[keyText(f.Item(key).value)];
        for (int i = 0; i < f.Count(); ++i) row[f.Item(i).name] = f.Item(i).value;
    }
    return out;
}

int typeOf(const TableRows& t, const std::string& name) {
    for (const platform::Field& f : t.fields)
        if (f.name == name) return f.type;
    return -1;
}

// Compares one value, naming the row and field when it differs.
bool same(const TableRows& t, const std::string& row, const std::string& field,
          const Variant& expected) {
    const auto r = t.rows.find(row);
    if (r == t.rows.end()) {
        qWarning("row %s missing", row.c_str());
        return false;
    }
    const auto v = r->second.find(field);
    if (v == r->second.end() || !(v->second == expected)) {
        qWarning("row %s, field %s: got kind %d '%s'", row.c_str(), field.c_str(),
                 v == r->second.end() ? -1 : int(v->second.kind()),
                 v == r->second.end() ? "" : v->second.payload().c_str());
        return false;
    }
    return true;
}

} // namespace

class RealAccessFilesTest : public QObject {
    Q_OBJECT

private slots:
    void attachmentsMultiValuesAndVersionHistory();
    void calculatedColumns();
    void extendedDates();
    void jet3TableDefinitionOverTwoPages();
    void encodedJet3File();
};

void RealAccessFilesTest::attachmentsMultiValuesAndVersionHistory() {
    const TableRows t = readTable(file("complexDataTestV2007.accdb"), "Table1", "id");
    QCOMPARE(t.rows.size(), std::size_t{4});
    const std::string history = "VersionHistory_F5F8918F-0A3F-4DA9-AE71-184EE5012880";
    for (const char* complex : {"attach-data", "multi-value-data", history.c_str()})
        QCOMPARE(typeOf(t, complex), 203);
    const Variant none = Variant::null();
    // Attachments by file name and multiple values, in the order stored.
    QVERIFY(same(t, "row1", "attach-data", none));
    QVERIFY(same(t, "row2", "attach-data", Variant::text("test_data.txt;test_data2.txt")));
    QVERIFY(same(t, "row3", "attach-data", none));
    QVERIFY(same(t, "row4", "attach-data", Variant::text("test_data2.txt")));
    QVERIFY(same(t, "row1", "multi-value-data", none));
    QVERIFY(same(t, "row2", "multi-value-data", Variant::text("value1;value4")));
    QVERIFY(same(t, "row3", "multi-value-data", Variant::text("value1;value2;value3;value4")));
    QVERIFY(same(t, "row4", "multi-value-data", none));
    // The append-only memo holds its latest text; its history, oldest first, has each text with
    // the moment it was written.
    QVERIFY(same(t, "row3", "append-memo-data", Variant::text("row3-memo-again")));
    QVERIFY(same(t, "row3", "memo-data", Variant::text("row3-memo")));
    QVERIFY(same(t, "row1", history, none));
    QVERIFY(same(t, "row2", history, Variant::text("row2-memo;9/12/2011 9:21:02 PM")));
    QVERIFY(same(t, "row3", history,
                 Variant::text("row3-memo;9/12/2011 9:21:19 PM;row3-memo-revised;9/12/2011 "
                               "9:22:33 PM;row3-memo-again;9/12/2011 9:22:45 PM")));
    QVERIFY(same(t, "row4", history, Variant::text("row4-memo;9/12/2011 9:22:26 PM")));
}

void RealAccessFilesTest::calculatedColumns() {
    const TableRows t = readTable(file("calcFieldTestV2010.accdb"), "Table1", "ID");
    QCOMPARE(t.rows.size(), std::size_t{4});
    // The result type, not the type byte the column was first made with (a Double byte for the
    // Currency result, Integer for Yes/No, Decimal for Single).
    QCOMPARE(typeOf(t, "LastFirst"), 202);
    QCOMPARE(typeOf(t, "LastFirstLen"), 3);
    QCOMPARE(typeOf(t, "MonthlySalary"), 6);
    QCOMPARE(typeOf(t, "IsRich"), 11);
    QCOMPARE(typeOf(t, "WeeklySalary"), 131);
    QCOMPARE(typeOf(t, "FloatTest"), 4);
    struct Expected {
        const char* id;
        const char* lastFirst;
        int length;
        std::int64_t monthly; // ten-thousandths
        bool rich;
        const char* weekly;
        const char* decimal;
        float single;
        const char* bigNumber;
    };
    const Expected rows[] = {
        {"1", "Wayne, Bruce", 12, 833333333, true, "19230.7692307692", "50.325", 2583.2092f,
         "56505085819.42479129657228018"},
        {"2", "Simpson, Bart", 13, -833, false, "-0.0192307692307692", "-36.2222", 0.0035889593f,
         "-0.0784734499180612994241100748"},
        {"3", "Doe, John", 9, 0, false, "0", "0.0123", 0.0f, "0"},
        {"4", "User, Test", 10, 83333, false, "1.92307692307692", "102030405060.654321",
         1.27413E-10f, "0.000000278701928982421698083"},
    };
    for (const Expected& e : rows) {
        QVERIFY(same(t, e.id, "LastFirst", Variant::text(e.lastFirst)));
        const std::string all = std::string(e.lastFirst) + "=" + e.lastFirst;
        QVERIFY(same(t, e.id, "AllNames", Variant::text(all)));
        QVERIFY(same(t, e.id, "LastFirstLen", Variant::integer(e.length)));
        QVERIFY(same(t, e.id, "MonthlySalary", Variant::currency(e.monthly)));
        QVERIFY(same(t, e.id, "IsRich", Variant::boolean(e.rich)));
        QVERIFY(same(t, e.id, "BoolTest", Variant::boolean(true)));
        QVERIFY(same(t, e.id, "WeeklySalary", Variant::decimal(e.weekly)));
        QVERIFY(same(t, e.id, "DecimalTest", Variant::decimal(e.decimal)));
        QVERIFY(same(t, e.id, "Popularity", Variant::decimal(e.decimal)));
        QVERIFY(same(t, e.id, "FloatTest", Variant::single(e.single)));
        QVERIFY(same(t, e.id, "BigNumTest", Variant::decimal(e.bigNumber)));
    }
    QVERIFY(same(t, "2", "SalaryTest", Variant::currency(-10000)));
}

void RealAccessFilesTest::extendedDates() {
    const TableRows t = readTable(file("extDateTestV2019.accdb"), "Table1", "ID");
    QCOMPARE(t.rows.size(), std::size_t{9});
    QCOMPARE(typeOf(t, "DateExt"), 202);
    // Access's own text of each value (as mdb-export lists DateExtStr), and the value read.
    const std::vector<std::tuple<const char*, const char*, const char*>> rows = {
        {"1", "6/17/2020", "2020-06-17 00:00:00"},
        {"2", "6/14/2021", "2021-06-14 00:00:00"},
        {"3", "6/14/2021 12:45:00.0000000 PM", "2021-06-14 12:45:00"},
        {"4", "6/14/2021 1:45:00.0000000 AM", "2021-06-14 01:45:00"},
        {"6", "6/14/2021 10:45:12.3456789 PM", "2021-06-14 22:45:12.3456789"},
        {"7", "6/14/1765 12:45:00.0000000 PM", "1765-06-14 12:45:00"},
        {"8", "6/14/100 12:45:00.1234567 PM", "0100-06-14 12:45:00.1234567"},
        {"9", "6/14/1265 12:45:00.0000000 PM", "1265-06-14 12:45:00"},
    };
    for (const auto& [id, accessText, value] : rows) {
        QVERIFY(same(t, id, "DateExtStr", Variant::text(accessText)));
        QVERIFY(same(t, id, "DateExt", Variant::text(value)));
    }
    QVERIFY(same(t, "5", "DateExt", Variant::null()));
    QVERIFY(same(t, "4", "DateNormal", Variant::date(accesswriter::oleDate(2021, 6, 14, 1, 45))));
}

void RealAccessFilesTest::jet3TableDefinitionOverTwoPages() {
    const TableRows t = readTable(file("test2V1997.mdb"), "MSP_PROJECTS", "PROJ_ID");
    // The names as mdb-export lists them; the later ones lie on the definition's second page.
    const char* names =
        "PROJ_ID,PROJ_NAME,PROJ_PROP_AUTHOR,PROJ_OPT_CALC_ACT_COSTS,PROJ_PROP_CATEGORY,"
        "PROJ_PROP_COMPANY,PROJ_OPT_CRITICAL_SLACK_LIMIT,PROJ_OPT_CURRENCY_DIGITS,"
        "PROJ_OPT_CURRENCY_POSITION,PROJ_OPT_CURRENCY_SYMBOL,PROJ_OPT_NEW_ARE_EFFORT_DRIVEN,"
        "PROJ_INFO_CURRENT_DATE,PROJ_OPT_DEF_FINISH_TIME,PROJ_OPT_DEF_FIX_COST_ACCRUAL,"
        "PROJ_OPT_MINUTES_PER_DAY,PROJ_OPT_MINUTES_PER_WEEK,PROJ_OPT_DEF_OVT_RATE,"
        "PROJ_OPT_DEF_STD_RATE,PROJ_OPT_DEF_START_TIME,PROJ_OPT_DEF_TASK_TYPE,"
        "PROJ_OPT_DUR_ENTRY_FMT,PROJ_INFO_FINISH_DATE,PROJ_OPT_HONOR_CONSTRAINTS,"
        "PROJ_PROP_KEYWORDS,PROJ_LAST_SAVED,PROJ_PROP_MANAGER,PROJ_OPT_MULT_CRITICAL_PATHS,"
        "PROJ_CREATION_DATE,PROJ_POOL_ATTACHED_TO,PROJ_INFO_CAL_NAME,PROJ_IS_RES_POOL,"
        "PROJ_INFO_SCHED_FROM,PROJ_OPT_SPLIT_IN_PROGRESS,PROJ_OPT_SPREAD_ACT_COSTS,"
        "PROJ_OPT_SPREAD_PCT_COMP,PROJ_INFO_START_DATE,PROJ_INFO_STATUS_DATE,PROJ_PROP_SUBJECT,"
        "PROJ_PROP_TITLE,PROJ_OPT_TASK_UPDATES_RES,PROJ_OPT_WORK_ENTRY_FMT,"
        "PROJ_OPT_CALC_SUB_AS_SUMMARY,PROJ_OPT_WEEK_START_DAY,PROJ_OPT_FY_START_MONTH,"
        "PROJ_OPT_FY_USE_START_YR,PROJ_OPT_DAYS_PER_MONTH,PROJ_OPT_NEW_TASK_EST,"
        "PROJ_OPT_SHOW_EST_DUR,PROJ_OPT_EXPAND_TIMEPHASED,PROJ_PROJECT,PROJ_VERSION,"
        "PROJ_CREATION_DATE_EX,PROJ_ACTUALS_SYNCH,PROJ_ADMINPROJECT,PROJ_ENT_LIST_SEPARATOR,"
        "PROJ_EXT_EDITED_DATE,PROJ_EXT_EDITED_DUR,PROJ_EXT_EDITED_NUM,PROJ_EXT_EDITED_FLAG,"
        "PROJ_EXT_EDITED_CODE,PROJ_EXT_EDITED_TEXT,PROJ_IGNORE_FRONT_END,PROJ_EXT_EDITED,"
        "PROJ_DATA_SOURCE,PROJ_READ_ONLY,PROJ_READ_WRITE,PROJ_READ_COUNT,PROJ_LOCKED,"
        "PROJ_MACHINE_ID,PROJ_TYPE,PROJ_CHECKEDOUT,PROJ_CHECKEDOUTBY,PROJ_CHECKEDOUTDATE,"
        "RESERVED_BINARY_DATA";
    std::string read;
    for (const platform::Field& f : t.fields) read += (read.empty() ? "" : ",") + f.name;
    QCOMPARE(read, std::string(names));
    QCOMPARE(t.rows.size(), std::size_t{1});
    QVERIFY(same(t, "1", "PROJ_NAME", Variant::text("Project1")));
    QVERIFY(same(t, "1", "PROJ_OPT_CURRENCY_SYMBOL", Variant::text("\xC2\xA3"))); // £
    QVERIFY(same(t, "1", "PROJ_OPT_MINUTES_PER_WEEK", Variant::integer(2400)));
    QVERIFY(same(t, "1", "PROJ_INFO_CURRENT_DATE",
                 Variant::date(accesswriter::oleDate(2006, 2, 3, 8, 0))));
    QVERIFY(same(t, "1", "PROJ_CREATION_DATE_EX",
                 Variant::date(accesswriter::oleDate(2006, 2, 3, 22, 11, 5))));
    QVERIFY(same(t, "1", "PROJ_OPT_CALC_ACT_COSTS", Variant::boolean(true)));
    QVERIFY(same(t, "1", "PROJ_IS_RES_POOL", Variant::boolean(false)));
    QVERIFY(same(t, "1", "PROJ_OPT_DAYS_PER_MONTH", Variant::integer(20)));
    QVERIFY(same(t, "1", "PROJ_DATA_SOURCE", Variant::text("Z:\\temp\\Project1.mpd")));
    QVERIFY(same(t, "1", "PROJ_MACHINE_ID", Variant::null()));
    const Variant& author = t.rows.at("1").at("PROJ_PROP_AUTHOR");
    QVERIFY(author.payload().starts_with("Jon Iles this is a a vawesrasoih aksdkl fas"));
    QVERIFY(author.payload().ends_with("lkasj dlkfslkd jflksjadf as"));
    QCOMPARE(author.payload().size(), std::size_t{348}); // a memo longer than a text field
}

void RealAccessFilesTest::encodedJet3File() {
    const TableRows t = readTable(file("db97-enc.mdb"), "Table1", "ID");
    QCOMPARE(t.rows.size(), std::size_t{2});
    QVERIFY(same(t, "1", "col1", Variant::text("hello")));
    QVERIFY(same(t, "1", "col2", Variant::integer(0)));
    QVERIFY(same(t, "2", "col1", Variant::text("world")));
    QVERIFY(same(t, "2", "col2", Variant::integer(42)));
}

QTEST_GUILESS_MAIN(RealAccessFilesTest)
#include "RealAccessFilesTest.moc"
