#pragma once

#include "engine/verify/VerifyReport.h"

#include <QAbstractTableModel>

namespace tabulant::ui {

// The report's tables, one row each: the table, its rows in Access and in PostgreSQL, the
// columns that differ and the result, marked in colour. Counts sort as numbers (Qt::UserRole
// holds the sort key of every cell).
class VerifyReportModel final : public QAbstractTableModel {
public:
    enum Column { Table, AccessRows, ServerRows, Differing, Result, ColumnCount };

    explicit VerifyReportModel(engine::verify::VerifyReport report, QObject* parent = nullptr)
        : QAbstractTableModel(parent), report_(std::move(report)) {}

    const engine::verify::VerifyReport& report() const { return report_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    engine::verify::VerifyReport report_;
};

} // namespace tabulant::ui
