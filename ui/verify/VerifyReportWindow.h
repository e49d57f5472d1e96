#pragma once

#include "VerifyReportModel.h"

#include "platform/Prompts.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace tabulant::ui {

// The window shown after a conversion that was verified: the summary line, a sortable table of
// the tables, "Save Report..." and "Close". Saving writes the report as HTML, or as PDF when the
// chosen name ends in .pdf. Not modal: the user may keep it open beside the main window.
// Thread: the user-interface thread.
class VerifyReportWindow final : public QWidget {
public:
    // Asks where to save; answers the chosen file name, or an empty text when cancelled.
    using SaveDialog = std::function<QString(QWidget* owner, const QString& suggested)>;

    VerifyReportWindow(engine::verify::VerifyReport report, platform::Prompts& prompts,
                       QWidget* owner = nullptr);

    void setSaveDialog(SaveDialog dialog) { saveDialog_ = std::move(dialog); }
    const VerifyReportModel& model() const { return *model_; }

    void SaveReport_Click();
    // Writes the report to `path`: PDF when it ends in .pdf, HTML otherwise. False, with the
    // reason told, when it cannot be written.
    bool Save(const QString& path);

private:
    platform::Prompts& prompts_;
    VerifyReportModel* model_;
    QSortFilterProxyModel* sorted_;
    QLabel* summary_;
    QTableView* tables_;
    QPushButton* save_;
    QPushButton* close_;
    SaveDialog saveDialog_;
};

} // namespace tabulant::ui
