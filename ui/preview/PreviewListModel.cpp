#include "PreviewListModel.h"
#include "platform/qt/QtText.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <limits>

namespace tabulant::ui {

PreviewListModel::PreviewListModel(QObject* parent) : QAbstractTableModel(parent) {}

void PreviewListModel::setColumnTitle(const QString& title) {
    title_ = title;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

void PreviewListModel::clear() {
    beginResetModel();
    lines_.clear();
    published_ = 0;
    endResetModel();
}

void PreviewListModel::append(std::string_view text) {
    // A view addresses rows with int; a list beyond that could not be shown or selected.
    if (lines_.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max()))
        throw std::length_error("The preview list is full.");
    lines_.append(text);
}

void PreviewListModel::publish() {
    const int total = static_cast<int>(lines_.size());
    if (total == published_) return;
    beginInsertRows({}, published_, total - 1);
    published_ = total;
    endInsertRows();
}

void PreviewListModel::setLineText(std::size_t index, std::string_view text) {
    lines_.setLine(index, text);
    linesChanged(index, index + 1);
}

void PreviewListModel::setRan(std::size_t index) {
    lines_.setRan(index, true);
    linesChanged(index, index + 1);
}

void PreviewListModel::linesChanged(std::size_t first, std::size_t last) {
    const auto end = std::min<std::size_t>(last, static_cast<std::size_t>(published_));
    if (first >= end) return;
    emit dataChanged(index(static_cast<int>(first), 0), index(static_cast<int>(end - 1), 0),
                     {Qt::DisplayRole, Qt::ForegroundRole});
}

int PreviewListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : published_;
}

int PreviewListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1;
}

QVariant PreviewListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= published_) return {};
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole: {
        const std::string_view text = lines_.line(row);
        if (text.size() <= static_cast<std::size_t>(DisplayLimit)) return platform::ToQString(text);
        return platform::ToQString(text.substr(0, DisplayLimit)) + QChar(0x2026);
    }
    case Qt::CheckStateRole:
        return lines_.checked(row) ? Qt::Checked : Qt::Unchecked;
    case Qt::ForegroundRole:
        if (!lines_.ran(row)) return {};
        return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
    default:
        return {};
    }
}

bool PreviewListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= published_) return false;
    lines_.setChecked(static_cast<std::size_t>(index.row()),
                      value.value<Qt::CheckState>() == Qt::Checked);
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit checkToggled(index.row());
    return true;
}

Qt::ItemFlags PreviewListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
           Qt::ItemNeverHasChildren;
}

QVariant PreviewListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && section == 0 && role == Qt::DisplayRole) return title_;
    return {};
}

} // namespace tabulant::ui
