#include "Form5.h"

#include "StandInWindowConventions.h"

#include "shell/core/Trap.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace tabulant::ui {

Form5::Form5(PreviewContext& context, QWidget* owner) : QDialog(owner), context_(context) {
    setObjectName("Form5");
    list_ = new QTreeView(this);
    list_->setObjectName("ListView1");
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->header()->setStretchLastSection(false);
    list_->setModel(context_.datatypeRows);
    auto* back = new QPushButton("< Back", this);
    back->setObjectName("PushButton5");
    back->setAutoDefault(false);
    connect(back, &QPushButton::clicked, this, &Form5::PushButton5_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(back);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(720, 400);
    Form_Load();
}

void Form5::Form_Load() {
    shell::Trap trap(context_.prompts, "Form5.Form_Load");
    standin::SetUpSecondaryWindow(trap, 100, *this, "Datatypes Conversion");
    trap(108, [&] {
        context_.datatypeRows->setHorizontalHeaderLabels(
            {"MS Access Table", "MS Access Table Field", "MS Access Field Datatype",
             "New PostgreSQL Datatype"});
    });
    trap(110, [&] {
        for (int c = 0; c < 4; ++c) list_->setColumnWidth(c, standin::TwipsToPixels(1700, this));
    });
}

void Form5::PushButton5_Click() {
    shell::Trap trap(context_.prompts, "Form5.PushButton5_Click");
    trap(100, [&] { close(); });
}

} // namespace tabulant::ui
