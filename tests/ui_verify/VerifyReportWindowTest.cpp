// The report window: its table sorts counts as numbers, and "Save Report..." writes a document
// with the file's SHA-256 and every table's checksums, as HTML or as PDF, or says why not.
#include "ui/verify/VerifyReportWindow.h"
#include "engine/verify/ReportText.h"
#include "fakes/ScriptedPrompts.h"

#include <QFile>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

using namespace tabulant;
using engine::verify::TableCheck;

namespace {

engine::verify::VerifyReport Report() {
    engine::verify::VerifyReport r;
    r.file = "/data/shop.mdb";
    r.fileSize = 4096;
    r.fileSha256 = std::string(64, 'a');
    r.server = "db.example";
    r.database = "shop";
    r.user = "anna";
    r.mapping = "typed";
    r.time = "2026-12-07 23:00:00 UTC";
    const auto table = [](std::string name, TableCheck::State state, std::int64_t rows,
                          std::int64_t serverRows) {
        TableCheck t;
        t.name = name;
        t.serverTable = name;
        t.state = state;
        t.accessRows = rows;
        t.serverRows = serverRows;
        t.accessColumns = 1;
        t.columns = {
            {"Amount", "numeric", {0, 7}, {0, state == TableCheck::State::Different ? 8u : 7u}}};
        return t;
    };
    r.tables = {table("Orders", TableCheck::State::Different, 100, 99),
                table("Customers", TableCheck::State::Identical, 9, 9),
                table("Items", TableCheck::State::Identical, 10, 10)};
    return r;
}

} // namespace

class VerifyReportWindowTest : public QObject {
    Q_OBJECT

private slots:
    void sortsCountsAsNumbers() {
        fakes::ScriptedPrompts prompts;
        ui::VerifyReportWindow window(Report(), prompts);
        window.show();
        auto* view = window.findChild<QTableView*>("Tables");
        QVERIFY(view);
        view->sortByColumn(ui::VerifyReportModel::AccessRows, Qt::AscendingOrder);
        QStringList order;
        for (int row = 0; row < 3; ++row)
            order << view->model()->index(row, ui::VerifyReportModel::Table).data().toString();
        QCOMPARE(order, (QStringList{"Customers", "Items", "Orders"}));
        QCOMPARE(view->model()->index(2, ui::VerifyReportModel::Differing).data().toString(),
                 QStringLiteral("Amount"));
        QVERIFY(view->model()
                    ->index(2, ui::VerifyReportModel::Result)
                    .data()
                    .toString()
                    .contains("different"));
    }

    void savesHtmlAndPdf_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("starts");
        QTest::newRow("html") << "proof.html" << QByteArray("<!DOCTYPE html>");
        QTest::newRow("pdf") << "proof.pdf" << QByteArray("%PDF");
    }
    void savesHtmlAndPdf() {
        QFETCH(QString, name);
        QFETCH(QByteArray, starts);
        QTemporaryDir dir;
        fakes::ScriptedPrompts prompts;
        ui::VerifyReportWindow window(Report(), prompts);
        QString suggested;
        window.setSaveDialog([&](QWidget*, const QString& s) {
            suggested = s;
            return dir.filePath(name);
        });
        QTest::mouseClick(window.findChild<QPushButton*>("SaveReport"), Qt::LeftButton);
        QCOMPARE(suggested, QStringLiteral("shop-verification.html"));
        QFile saved(dir.filePath(name));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QVERIFY(bytes.startsWith(starts));
        if (name.endsWith(".html")) {
            for (const char* part :
                 {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", "db.example",
                  "0000000000000008", "Orders: 100 rows in Access"})
                QVERIFY2(bytes.contains(part), part);
        }
        QCOMPARE(prompts.Messages(), std::vector<std::string>{});
    }

    void saveThatFailsSaysSo() {
        fakes::ScriptedPrompts prompts;
        ui::VerifyReportWindow window(Report(), prompts);
        QVERIFY(!window.Save("/nonexistent/folder/proof.html"));
        QCOMPARE(prompts.Messages(),
                 std::vector<std::string>{
                     "The report could not be saved to /nonexistent/folder/proof.html."});
    }
};

QTEST_MAIN(VerifyReportWindowTest)
#include "VerifyReportWindowTest.moc"
