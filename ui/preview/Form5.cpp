#include "Form5.h"

#include "shell/widgets/SecondaryWindow.h"
#include "shell/widgets/Twips.h"
#include "shell/widgets/WindowPointer.h"

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
    pointer_ = new shell::WindowPointer(*this);
    pointer_->handOver({back});
    pointer_->defaultOver({this, list_, list_->viewport()});
    Form_Load();
}

void Form5::Form_Load() {
    shell::Trap trap(context_.prompts, "Form5.Form_Load");
    const int line = shell::SetUpSecondaryWindow(trap, *this, *pointer_, "Datatypes Conversion");
    trap(line, [&] {
        context_.datatypeRows->setHorizontalHeaderLabels(
            {"MS Access Table", "MS Access Table Field", "MS Access Field Datatype",
             "New PostgreSQL Datatype"});
    });
    trap(line + 2, [&] {
        for (int c = 0; c < 4; ++c) list_->setColumnWidth(c, shell::TwipsToPixels(1700));
    });
}

void Form5::PushButton5_Click() {
    shell::Trap trap(context_.prompts, "Form5.PushButton5_Click");
    trap(100, [&] { close(); });
}

} // namespace tabulant::ui
