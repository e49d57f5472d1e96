#pragma once

#include "PreviewContext.h"

#include <QDialog>

class QTreeView;

namespace tabulant::shell {
class WindowPointer;
}

namespace tabulant::ui {

// How each Access field was mapped to a PostgreSQL type: a read-only list of the rows the run
// wrote (kept in the context, so the view can be opened again). Shown modally over the preview
// window.
class Form5 final : public QDialog {
    Q_OBJECT
public:
    Form5(PreviewContext& context, QWidget* owner);

    void Form_Load();
    void PushButton5_Click(); // < Back

private:
    PreviewContext& context_;
    QTreeView* list_;
    shell::WindowPointer* pointer_;
};

} // namespace tabulant::ui
