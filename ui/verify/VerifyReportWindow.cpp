#include "VerifyReportWindow.h"

#include "engine/verify/ReportText.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTextDocument>
#include <QVBoxLayout>

namespace tabulant::ui {

namespace {

// A name typed without an ending gets the one of the chosen file type.
QString askWhereToSave(QWidget* owner, const QString& suggested) {
    const QString pdf = QObject::tr("PDF document (*.pdf)");
    QString chosen;
    QString path = QFileDialog::getSaveFileName(
        owner, QObject::tr("Save Report"), QDir::home().filePath(suggested),
        QObject::tr("HTML document (*.html)") + QStringLiteral(";;") + pdf, &chosen);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += chosen == pdf ? QStringLiteral(".pdf") : QStringLiteral(".html");
    return path;
}

} // namespace

VerifyReportWindow::VerifyReportWindow(engine::verify::VerifyReport report,
                                       platform::Prompts& prompts, QWidget* owner)
    : QWidget(owner, Qt::Window), prompts_(prompts), saveDialog_(askWhereToSave) {
    setObjectName(QStringLiteral("VerifyReport"));
    setWindowTitle(tr("Verification Report"));
    model_ = new VerifyReportModel(std::move(report), this);
    sorted_ = new QSortFilterProxyModel(this);
    sorted_->setSourceModel(model_);
    sorted_->setSortRole(Qt::UserRole);

    summary_ =
        new QLabel(QString::fromStdString(engine::verify::SummaryLine(model_->report())), this);
    summary_->setObjectName(QStringLiteral("Summary"));
    summary_->setWordWrap(true);
    QFont bold = summary_->font();
    bold.setBold(true);
    summary_->setFont(bold);

    tables_ = new QTableView(this);
    tables_->setObjectName(QStringLiteral("Tables"));
    tables_->setModel(sorted_);
    tables_->setSortingEnabled(true);
    tables_->sortByColumn(-1, Qt::AscendingOrder); // the file's order until a heading is clicked
    tables_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tables_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tables_->verticalHeader()->hide();
    tables_->horizontalHeader()->setStretchLastSection(false);
    tables_->horizontalHeader()->setSectionResizeMode(VerifyReportModel::Differing,
                                                      QHeaderView::Stretch);
    tables_->resizeColumnsToContents();

    save_ = new QPushButton(tr("Save Report\u2026"), this);
    save_->setObjectName(QStringLiteral("SaveReport"));
    close_ = new QPushButton(tr("Close"), this);
    close_->setObjectName(QStringLiteral("Close"));
    connect(save_, &QPushButton::clicked, this, [this] { SaveReport_Click(); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(tables_);
    layout->addLayout(buttons);
    resize(760, 420);
}

void VerifyReportWindow::SaveReport_Click() {
    const QFileInfo file(QString::fromStdString(model_->report().file));
    const QString suggested = file.completeBaseName() + QStringLiteral("-verification.html");
    const QString path = saveDialog_(this, suggested);
    if (!path.isEmpty()) Save(path);
}

bool VerifyReportWindow::Save(const QString& path) {
    const QString html = QString::fromStdString(engine::verify::ReportHtml(model_->report()));
    if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        QTextDocument document;
        document.setHtml(html);
        document.print(&printer);
        // The printer says nothing of a file it could not write: look for it.
        if (QFileInfo(path).size() > 0) return true;
    } else {
        QFile out(path);
        const QByteArray bytes = html.toUtf8();
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
            out.write(bytes) == bytes.size() && out.flush())
            return true;
    }
    prompts_.Message("The report could not be saved to " + path.toStdString() + ".");
    return false;
}

} // namespace tabulant::ui
