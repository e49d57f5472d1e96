#pragma once

#include "PreviewLines.h"

#include <QAbstractTableModel>
#include <QString>

namespace tabulant::ui {

// The preview lines as the list view sees them: one column, one check box per line, lines that
// have run in the palette's disabled text colour, no widget item per line. Lines appended while the
// list is being filled are announced to the view in one batch (publish()), not one signal per line.
// Thread: the user-interface thread.
class PreviewListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // Lines longer than this are shown cut in the list; the edit dialog shows them whole.
    static constexpr int DisplayLimit = 8192;

    explicit PreviewListModel(QObject* parent = nullptr);

    PreviewLines& lines() { return lines_; }
    const PreviewLines& lines() const { return lines_; }

    void setColumnTitle(const QString& title);
    void clear();
    void append(std::string_view text);
    // Announces the lines appended since the last call to the views.
    void publish();
    void setLineText(std::size_t index, std::string_view text);
    // Marks the line as run (its statement was executed without failure).
    void setRan(std::size_t index);
    // Tells the views that the lines [first, last) changed in the storage.
    void linesChanged(std::size_t first, std::size_t last);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // A check box was ticked or cleared through the view.
    void checkToggled(int row);

private:
    PreviewLines lines_;
    int published_ = 0;
    QString title_;
};

} // namespace tabulant::ui
