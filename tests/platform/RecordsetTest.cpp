#include "platform/Recordset.h"
#include "platform/Error.h"

#include <QtTest>

#include <functional>

using namespace tabulant::platform;

Q_DECLARE_METATYPE(std::function<void(Recordset&)>)

namespace {

// Rows of whole numbers under the given column names.
class RowsCursor final : public Cursor {
public:
    RowsCursor(std::vector<std::string> names, std::vector<std::vector<std::int64_t>> rows,
               bool countKnown = true)
        : rows_(std::move(rows)), countKnown_(countKnown) {
        for (auto& n : names) fields_.push_back(Field{std::move(n), 3, Variant()});
        load();
    }
    std::vector<Field>& fields() override { return fields_; }
    bool atEnd() const override { return row_ >= rows_.size(); }
    std::int64_t recordCount() const override {
        return countKnown_ ? static_cast<std::int64_t>(rows_.size()) : -1;
    }
    void moveNext() override {
        ++row_;
        load();
    }

private:
    void load() {
        if (atEnd()) return;
        for (std::size_t i = 0; i < fields_.size(); ++i)
            fields_[i].value.setInteger(rows_[row_][i]);
    }
    std::vector<Field> fields_;
    std::vector<std::vector<std::int64_t>> rows_;
    std::size_t row_ = 0;
    bool countKnown_;
};

// Hands out one prepared cursor per Execute; nullptr models a statement without rows.
class OneCursorConnection final : public Connection {
public:
    std::unique_ptr<Cursor> next;
    void Open(std::string_view) override {}
    std::unique_ptr<Cursor> Execute(std::string_view) override { return std::move(next); }
    std::unique_ptr<Cursor> OpenSchema(int) override { return nullptr; }
    void Close() override {}
    bool IsOpen() const override { return true; }
};

long errorNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

} // namespace

class RecordsetTest : public QObject {
    Q_OBJECT

private slots:
    void walksRows();
    void emptyResultIsAtBothEnds();
    void unknownCount();
    void closedRecordsetRefusesEveryRead_data();
    void closedRecordsetRefusesEveryRead();
    void fieldLookup_data();
    void fieldLookup();
    void reopensForAnotherResult();
};

void RecordsetTest::walksRows() {
    Recordset rs(
        std::make_unique<RowsCursor>(std::vector<std::string>{"ID", "Qty"},
                                     std::vector<std::vector<std::int64_t>>{{1, 10}, {2, 20}}));
    QVERIFY(rs.IsOpen());
    QVERIFY(!rs.Bof());
    QVERIFY(!rs.Eof());
    QCOMPARE(rs.RecordCount(), 2);
    QCOMPARE(rs.Fields().Item("qty").value.asInteger(), 10);
    rs.MoveNext();
    QVERIFY(!rs.Eof());
    QCOMPARE(rs.Fields().Item(1).value.asInteger(), 20);
    rs.MoveNext();
    QVERIFY(rs.Eof());
    QVERIFY(!rs.Bof());
    QCOMPARE(errorNumber([&] { rs.MoveNext(); }), errors::NoCurrentRecord);
    rs.Close();
    QVERIFY(!rs.IsOpen());
}

void RecordsetTest::emptyResultIsAtBothEnds() {
    Recordset rs(std::make_unique<RowsCursor>(std::vector<std::string>{"ID"},
                                              std::vector<std::vector<std::int64_t>>{}));
    QVERIFY(rs.Eof());
    QVERIFY(rs.Bof());
    QCOMPARE(rs.RecordCount(), 0);
    QCOMPARE(rs.Fields().Count(), 1);
    QCOMPARE(errorNumber([&] { rs.MoveNext(); }), errors::NoCurrentRecord);
}

void RecordsetTest::unknownCount() {
    Recordset rs(std::make_unique<RowsCursor>(std::vector<std::string>{"ID"},
                                              std::vector<std::vector<std::int64_t>>{{1}}, false));
    QCOMPARE(rs.RecordCount(), -1);
    QVERIFY(!rs.Eof());
}

void RecordsetTest::closedRecordsetRefusesEveryRead_data() {
    QTest::addColumn<std::function<void(Recordset&)>>("action");
    QTest::newRow("Eof") << std::function<void(Recordset&)>([](Recordset& r) { r.Eof(); });
    QTest::newRow("Bof") << std::function<void(Recordset&)>([](Recordset& r) { r.Bof(); });
    QTest::newRow("RecordCount") << std::function<void(Recordset&)>(
        [](Recordset& r) { r.RecordCount(); });
    QTest::newRow("MoveNext") << std::function<void(Recordset&)>(
        [](Recordset& r) { r.MoveNext(); });
    QTest::newRow("Fields") << std::function<void(Recordset&)>([](Recordset& r) { r.Fields(); });
    QTest::newRow("Close") << std::function<void(Recordset&)>([](Recordset& r) { r.Close(); });
}

void RecordsetTest::closedRecordsetRefusesEveryRead() {
    QFETCH(std::function<void(Recordset&)>, action);
    Recordset never;
    QCOMPARE(errorNumber([&] { action(never); }), errors::ObjectClosed);

    Recordset closed(std::make_unique<RowsCursor>(std::vector<std::string>{"ID"},
                                                  std::vector<std::vector<std::int64_t>>{{1}}));
    closed.Close();
    QCOMPARE(errorNumber([&] { action(closed); }), errors::ObjectClosed);
}

void RecordsetTest::fieldLookup_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("position");
    QTest::addColumn<long>("expected");

    QTest::newRow("exact name") << "Order Date" << -1 << 30L;
    QTest::newRow("other case") << "oRDER dATE" << -1 << 30L;
    QTest::newRow("first field") << "id" << -1 << 10L;
    QTest::newRow("prefix is not a match") << "Order" << -1 << long(errors::ItemNotFound);
    QTest::newRow("unknown name") << "Nope" << -1 << long(errors::ItemNotFound);
    QTest::newRow("empty name") << "" << -1 << long(errors::ItemNotFound);
    QTest::newRow("position 0") << "" << 0 << 10L;
    QTest::newRow("last position") << "" << 2 << 30L;
    QTest::newRow("past the end") << "" << 3 << long(errors::ItemNotFound);
    QTest::newRow("negative") << "" << -2 << long(errors::ItemNotFound);
}

void RecordsetTest::fieldLookup() {
    QFETCH(QString, name);
    QFETCH(int, position);
    QFETCH(long, expected);
    Recordset rs(
        std::make_unique<RowsCursor>(std::vector<std::string>{"ID", "Name", "Order Date"},
                                     std::vector<std::vector<std::int64_t>>{{10, 20, 30}}));
    long got = 0;
    const long number = errorNumber([&] {
        const FieldList fields = rs.Fields();
        const Field& f = position == -1 ? fields.Item(name.toStdString()) : fields.Item(position);
        got = static_cast<long>(f.value.asInteger());
    });
    QCOMPARE(number != 0 ? number : got, expected);
}

void RecordsetTest::reopensForAnotherResult() {
    OneCursorConnection db;
    Recordset rs;
    db.next = std::make_unique<RowsCursor>(std::vector<std::string>{"A"},
                                           std::vector<std::vector<std::int64_t>>{{1}});
    rs.Open("SELECT * FROM `A`", db);
    QCOMPARE(rs.Fields().Item("a").value.asInteger(), 1);
    // Opening what is open is refused and leaves the open result alone.
    QCOMPARE(errorNumber([&] { rs.Open("SELECT 1", db); }), errors::ObjectClosed);
    QCOMPARE(rs.Fields().Item("a").value.asInteger(), 1);
    rs.Close();

    db.next = std::make_unique<RowsCursor>(std::vector<std::string>{"B"},
                                           std::vector<std::vector<std::int64_t>>{});
    rs.Open("SELECT * FROM `B`", db);
    QVERIFY(rs.Eof() && rs.Bof());
    rs.Close();

    // A statement without rows leaves the record set closed.
    QVERIFY(errorNumber([&] { rs.Open("DELETE FROM x", db); }) != 0);
    QVERIFY(!rs.IsOpen());
}

QTEST_APPLESS_MAIN(RecordsetTest)
#include "RecordsetTest.moc"
