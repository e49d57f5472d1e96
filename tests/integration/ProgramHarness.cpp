#include "ProgramHarness.h"

#include "shell/core/Helpers.h"
#include "shell/core/Product.h"
#include "ui/preview/PreviewListModel.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

namespace tabulant::testing {

void HookedEventLoop::processEvents() {
    QCoreApplication::processEvents();
    if (onEvents) onEvents();
}

namespace {

template <class W> W& Control(QWidget& window, const char* name) {
    W* w = window.findChild<W*>(QLatin1String(name));
    if (!w) qFatal("no control %s", name);
    return *w;
}

void SetText(ui::Form1& form, const char* box, const std::string& text) {
    Control<QLineEdit>(form, box).setText(QString::fromStdString(text));
}

} // namespace

Program::Program()
    : settings(folder.filePath("Tabulant.ini").toStdString()),
      preview(prompts, clipboard, shellOpen, events) {
    shell::SetProgramFolder(folder.path().toStdString());
    form = std::make_unique<ui::Form1>(
        ui::Form1Services{prompts, settings, connections, events, shellOpen, regional, shown});
    preview.setOwner(form.get());
}

Program::~Program() = default;

std::string Program::path(const std::string& name) const {
    return folder.filePath(QString::fromStdString(name)).toStdString();
}

void Program::open(const TestServer& server, const std::string& accessFile,
                   const std::string& accessPassword) {
    if (!form->Open()) qFatal("the data-provider check failed");
    setServerFields(server.fields());
    SetText(*form, "Text5", accessFile);
    SetText(*form, "Text6", accessPassword);
}

void Program::setServerFields(const db::FixedConnectionFields& f) {
    SetText(*form, "Text1", f.server);
    SetText(*form, "Text9", f.port);
    SetText(*form, "Text3", f.user);
    SetText(*form, "Text7", f.password);
    SetText(*form, "Text10", f.database);
}

void Program::directMode() {
    auto& check = Control<QCheckBox>(*form, "Check1");
    if (check.isChecked()) QTest::mouseClick(&check, Qt::LeftButton);
}

void Program::previewPerFile() {
    auto& check = Control<QCheckBox>(*form, "Check1");
    if (!check.isChecked()) QTest::mouseClick(&check, Qt::LeftButton);
    QTest::mouseClick(&Control<QRadioButton>(*form, "Option1"), Qt::LeftButton);
}

void Program::previewPerTable() {
    auto& check = Control<QCheckBox>(*form, "Check1");
    if (!check.isChecked()) QTest::mouseClick(&check, Qt::LeftButton);
    QTest::mouseClick(&Control<QRadioButton>(*form, "Option2"), Qt::LeftButton);
}

void Program::startConverting() {
    QTest::mouseClick(&Control<QPushButton>(*form, "PushButton7"), Qt::LeftButton);
}

std::vector<std::string> Program::reportedSteps() const {
    std::vector<std::string> out;
    const std::string in = "\r\nin " + std::string(shell::LocationPrefix);
    for (const std::string& report : prompts.ErrorReports()) {
        const auto from = report.find(in);
        const auto at = report.find(" at line ", from);
        const auto end = report.find('\r', at);
        if (from == std::string::npos || at == std::string::npos) {
            out.push_back("unreadable report: " + report);
            continue;
        }
        out.push_back(report.substr(from + in.size(), at - from - in.size()) + ":" +
                      report.substr(at + 9, end - at - 9));
    }
    return out;
}

PreviewPlayer::PreviewPlayer(std::vector<Action> actions) : actions_(std::move(actions)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    timer_.start(5);
}

void PreviewPlayer::poll() {
    // A nested dialog or an execution lets events run inside an action: the timer fires there
    // too and must wait for the action to end.
    if (acting_) return;
    auto* window = qobject_cast<ui::Form2*>(QApplication::activeModalWidget());
    if (!window || !window->isVisible() || window == handled_) return;
    handled_ = window;
    acting_ = true;
    lines_.push_back(PreviewLinesOf(*window));
    const auto n = static_cast<std::size_t>(shown_++);
    if (n < actions_.size()) actions_[n](*window);
    if (window->isVisible()) window->close();
    acting_ = false;
}

std::vector<std::string> PreviewLinesOf(ui::Form2& window) {
    std::vector<std::string> out;
    const ui::PreviewLines& lines = window.PreviewList().lines();
    for (std::size_t i = 0; i < lines.size(); ++i) out.emplace_back(lines.line(i));
    return out;
}

int SelectedLine(ui::Form2& window) {
    const QModelIndexList rows = window.ListView1().selectionModel()->selectedRows();
    return rows.isEmpty() ? 0 : rows.first().row() + 1;
}

QString ErrorBoxText(ui::Form2& window) {
    return Control<QPlainTextEdit>(window, "Text1").toPlainText();
}

void EditLine(ui::Form2& window, int n, const std::string& text) {
    bool edited = false;
    OnNextModal([&](QWidget& dialog) {
        Control<QPlainTextEdit>(dialog, "Text1").setPlainText(QString::fromStdString(text));
        QTest::mouseClick(&Control<QPushButton>(dialog, "PushButton2"), Qt::LeftButton);
        edited = true;
    });
    QTableView& list = window.ListView1();
    const QModelIndex index = window.PreviewList().index(n - 1, 0);
    list.scrollTo(index);
    const QRect r = list.visualRect(index);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(r.right() - 10, r.center().y()));
    if (!edited) qWarning("the Edit line dialog did not open for line %d", n);
}

std::string Quoted(const std::string& table) {
    std::string out = "\"";
    for (char c : table) out.append(c == '"' ? 2 : 1, c);
    return out + "\"";
}

std::function<void()> StopServerOnceRows(TestServer& server, const std::string& table, int rows,
                                         int& rowsAtStop) {
    return [&server, table, rows, &rowsAtStop] {
        if (rowsAtStop >= 0) return;
        int count = 0;
        try {
            count = std::stoi(server.psql("SELECT count(*) FROM " + Quoted(table)));
        } catch (const std::runtime_error&) { // not created yet
        }
        if (count < rows) return;
        rowsAtStop = count;
        server.stop();
    };
}

} // namespace tabulant::testing
