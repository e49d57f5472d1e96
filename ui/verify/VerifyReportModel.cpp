#include "VerifyReportModel.h"

#include "engine/verify/ReportText.h"

#include <QBrush>
#include <QColor>

namespace tabulant::ui {

using engine::verify::TableCheck;

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QString differing(const TableCheck& t) {
    if (t.state == TableCheck::State::NotVerified) return q(t.problem);
    if (t.state == TableCheck::State::Missing) return QStringLiteral("no such table in PostgreSQL");
    QStringList names;
    for (const std::string& name : t.DifferingColumns()) names << q(name);
    if (names.isEmpty() && t.state == TableCheck::State::Different)
        return t.accessRowSum != t.serverRowSum && t.accessRows == t.serverRows
                   ? QStringLiteral("values moved between rows")
                   : q(t.problem);
    return names.join(QStringLiteral(", "));
}

QString mark(TableCheck::State state) {
    switch (state) {
    case TableCheck::State::Identical:
        return QStringLiteral("\u2714 identical");
    case TableCheck::State::Different:
        return QStringLiteral("\u2718 different");
    case TableCheck::State::Missing:
        return QStringLiteral("\u2718 missing");
    case TableCheck::State::NotVerified:
        return QStringLiteral("? not verified");
    }
    return {};
}

} // namespace

int VerifyReportModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(report_.tables.size());
}

int VerifyReportModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant VerifyReportModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const TableCheck& t = report_.tables[static_cast<std::size_t>(index.row())];
    const bool missing = t.state == TableCheck::State::Missing;
    const bool unread = t.state == TableCheck::State::NotVerified;
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case Table:
            return q(t.name);
        case AccessRows:
            return unread ? QVariant() : QVariant(QString::number(t.accessRows));
        case ServerRows:
            return missing || unread ? QVariant() : QVariant(QString::number(t.serverRows));
        case Differing:
            return differing(t);
        case Result:
            return mark(t.state);
        default:
            return {};
        }
    }
    if (role == Qt::UserRole) {
        switch (index.column()) {
        case AccessRows:
            return static_cast<qlonglong>(t.accessRows);
        case ServerRows:
            return static_cast<qlonglong>(missing ? -1 : t.serverRows);
        case Result:
            return static_cast<int>(t.state);
        default:
            return data(index, Qt::DisplayRole);
        }
    }
    if (role == Qt::TextAlignmentRole &&
        (index.column() == AccessRows || index.column() == ServerRows))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ForegroundRole && index.column() == Result)
        return QBrush(t.state == TableCheck::State::Identical ? QColor(0, 110, 0)
                                                              : QColor(180, 0, 0));
    if (role == Qt::ToolTipRole) return q(engine::verify::TableLine(t));
    return {};
}

QVariant VerifyReportModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case Table:
        return QStringLiteral("Table");
    case AccessRows:
        return QStringLiteral("Rows in Access");
    case ServerRows:
        return QStringLiteral("Rows in PostgreSQL");
    case Differing:
        return QStringLiteral("Columns that differ");
    case Result:
        return QStringLiteral("Result");
    default:
        return {};
    }
}

} // namespace tabulant::ui
