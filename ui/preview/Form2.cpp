#include "Form2.h"

#include "ClipboardRoutines.h"
#include "Form3.h"
#include "Form4.h"
#include "Form5.h"
#include "PreviewListModel.h"
#include "PreviewText.h"
#include "shell/widgets/SecondaryWindow.h"
#include "shell/widgets/WindowPointer.h"

#include "shell/core/Trap.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace tabulant::ui {

namespace {

constexpr const char* Captions[9] = {"Execute SQL",
                                     "Copy SQL To Clipboard",
                                     "Find and Replace",
                                     "Copy Error Message To Clipboard",
                                     "< Back",
                                     "Jump To Error Line",
                                     "View Datatype Conversion",
                                     " Email Error Message To Quorvane",
                                     "Skip Table / Do Not Execute SQL"};

class PreviewLinesExport final : public ExportList {
public:
    explicit PreviewLinesExport(const PreviewLines& lines) : lines_(lines) {}
    std::size_t rowCount() const override { return lines_.size(); }
    std::size_t columnCount() const override { return 1; }
    std::string_view cell(std::size_t row, std::size_t) const override { return lines_.line(row); }
    bool marked(std::size_t row) const override { return lines_.checked(row); }

private:
    const PreviewLines& lines_;
};

const std::string CopiedHint =
    "\r\rClick a text area where you normally type and press Ctrl+V to paste the clipboard.";

} // namespace

Form2::Form2(PreviewContext& context, QWidget* owner) : QDialog(owner), context_(context) {
    buildControls();
    Form_Load();
}

Form2::~Form2() = default;

void Form2::buildControls() {
    setObjectName("Form2");
    model_ = new PreviewListModel(this);
    // A table view keeps no per-row item of its own beyond its row header's section sizes, so a
    // list of millions of lines costs little more than their text.
    list_ = new QTableView(this);
    list_->setObjectName("ListView1");
    list_->setModel(model_);
    list_->setShowGrid(false);
    list_->setWordWrap(false);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 4);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->horizontalHeader()->setStretchLastSection(false);
    list_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    list_->setToolTip(
        "Click item to edit it. Move | line to right and out of window to reveal full names.");
    list_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->viewport()->installEventFilter(this);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &Form2::fitColumn);
    connect(model_, &QAbstractItemModel::modelReset, this, &Form2::fitColumn);
    connect(model_, &QAbstractItemModel::dataChanged, this, &Form2::fitColumn);
    connect(model_, &PreviewListModel::checkToggled, this, [this] { ignoreNextClick_ = true; });
    connect(list_, &QAbstractItemView::clicked, this, [this] {
        // A click that ticked a check box is not a request to edit the line.
        if (std::exchange(ignoreNextClick_, false)) return;
        ListView1_Click();
    });

    frame2_ = new QGroupBox("Error:", this);
    frame2_->setObjectName("Frame2");
    text1_ = new QPlainTextEdit(frame2_);
    text1_->setObjectName("Text1");
    text1_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* frameLayout = new QVBoxLayout(frame2_);
    frameLayout->addWidget(text1_);

    progress_ = new QProgressBar(this);
    progress_->setObjectName("ProgressBar1");
    progress_->setRange(0, 100);
    progress_->setTextVisible(true);
    setProgress(0, "Progress Bar");

    auto* grid = new QGridLayout;
    using Handler = void (Form2::*)();
    static constexpr Handler handlers[9] = {
        &Form2::PushButton1_Click, &Form2::PushButton2_Click, &Form2::PushButton3_Click,
        &Form2::PushButton4_Click, &Form2::PushButton5_Click, &Form2::PushButton6_Click,
        &Form2::PushButton7_Click, &Form2::PushButton8_Click, &Form2::PushButton9_Click};
    for (int i = 0; i < 9; ++i) {
        auto* button = new QPushButton(QString::fromUtf8(Captions[i]), this);
        button->setObjectName(QString("PushButton%1").arg(i + 1));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, handlers[i]);
        grid->addWidget(button, i / 3, i % 3);
        buttons_[static_cast<std::size_t>(i)] = button;
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 3);
    layout->addWidget(frame2_, 1);
    layout->addWidget(progress_);
    layout->addLayout(grid);
    resize(760, 560);

    pointer_ = new shell::WindowPointer(*this);
    pointer_->handOver({buttons_[0], buttons_[1], buttons_[2], buttons_[3], buttons_[4],
                        buttons_[5], buttons_[6], buttons_[7], buttons_[8]});
    pointer_->defaultOver({this, frame2_, list_, list_->viewport()});
}

void Form2::Form_Load() {
    shell::Trap trap(context_.prompts, "Form2.Form_Load");
    const int line = shell::SetUpSecondaryWindow(trap, *this, *pointer_, "SQL Preview");
    trap(line, [&] { model_->setColumnTitle("SQL Preview"); });
    trap(line + 2, [&] { fitColumn(); });
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_->viewport() && event->type() == QEvent::Resize) fitColumn();
    return QDialog::eventFilter(watched, event);
}

// The column is as wide as the list's window, or as its longest line where that is wider, with
// the scroll bar then reaching it. Only the line with the most bytes is measured, not every line:
// a list of a million lines must still open at once.
void Form2::fitColumn() {
    int width = list_->viewport()->width();
    if (model_->rowCount() > 0) {
        const std::size_t longest = model_->lines().longestLine();
        if (longest >= static_cast<std::size_t>(model_->rowCount())) return; // not shown yet
        const std::size_t bytes = model_->lines().line(longest).size();
        if (longest != measuredLine_ || bytes != measuredBytes_ || measuredWidth_ == 0) {
            measuredLine_ = longest;
            measuredBytes_ = bytes;
            measuredWidth_ =
                list_->sizeHintForIndex(model_->index(static_cast<int>(longest), 0)).width();
        }
        width = std::max(width, measuredWidth_);
    }
    if (list_->columnWidth(0) != width) list_->setColumnWidth(0, width);
}

void Form2::setProgress(int value, const QString& text) {
    progress_->setValue(value);
    progress_->setFormat(QString(text).replace('%', "%%"));
}

void Form2::setExecuting(bool on) {
    executing_ = on;
    for (QPushButton* b : buttons_) b->setEnabled(!on);
}

std::string Form2::errorText() const { return text1_->toPlainText().toStdString(); }

void Form2::selectLine(int n) {
    if (n < 1 || n > model_->rowCount()) throw std::out_of_range("Index out of bounds");
    list_->setCurrentIndex(model_->index(n - 1, 0));
}

void Form2::revealLine(int n) {
    if (n < 1 || n > model_->rowCount()) throw std::out_of_range("Index out of bounds");
    list_->scrollTo(model_->index(n - 1, 0));
}

void Form2::PushButton2_Click() {
    if (executing_) return;
    shell::Trap trap(context_.prompts, "Form2.PushButton2_Click");
    // The export lets events run between cells: the other commands wait, as during an execution.
    setExecuting(true);
    trap(100, [&] {
        model_->publish();
        CopyListToClipboard(PreviewLinesExport(model_->lines()), context_.clipboard,
                            context_.eventLoop);
    });
    setExecuting(false);
    trap(102, [&] {
        context_.prompts.Message("Results have been copied to the clipboard." + CopiedHint);
    });
}

void Form2::PushButton3_Click() {
    if (executing_) return;
    shell::Trap trap(context_.prompts, "Form2.PushButton3_Click");
    trap(100, [&] {
        Form3 dialog(context_, *model_, this);
        dialog.exec();
    });
}

void Form2::PushButton4_Click() {
    if (executing_) return;
    shell::Trap trap(context_.prompts, "Form2.PushButton4_Click");
    std::string text;
    trap.Assign(100, text, [&] { return errorText(); });
    if (trap.Condition(102, [&] { return TrimSpaces(text).empty(); })) return;
    trap(104, [&] { ClearClipboard(context_.clipboard); });
    trap(106, [&] { SetClipboardText(context_.clipboard, text, 0); });
    trap(108, [&] {
        context_.prompts.Message("Error message have been copied to the clipboard." + CopiedHint);
    });
}

void Form2::PushButton5_Click() {
    if (executing_) return;
    shell::Trap trap(context_.prompts, "Form2.PushButton5_Click");
    trap(100, [&] { close(); });
}

void Form2::PushButton6_Click() {
    if (executing_) return;
    shell::Trap trap(context_.prompts, "Form2.PushButton6_Click");
    if (trap.Condition(100, [&] { return model_->lines().empty(); })) return;
    if (trap.Condition(102, [&] { return context_.ErrorLine < 1; })) return;
    model_->publish();
    trap(104, [&] { selectLine(context_.ErrorLine); });
    trap(106, [&] { revealLine(context_.ErrorLine); });
}

void Form2::PushButton7_Click() {
    if (executing_) return;
    shell::Trap trap(context_.prompts, "Form2.PushButton7_Click");
    trap(100, [&] {
        Form5 dialog(context_, this);
        dialog.exec();
    });
}

void Form2::PushButton8_Click() {
    if (executing_) return;
    shell::Trap trap(context_.prompts, "Form2.PushButton8_Click");
    std::string text;
    trap.Assign(100, text, [&] { return errorText(); });
    if (trap.Condition(102, [&] { return TrimSpaces(text).empty(); })) return;
    std::string link;
    trap.Assign(104, link, [&] { return ErrorMailLink(text); });
    bool opened = true;
    trap(106, [&] { opened = context_.shellOpen.Open(link); });
    // Without a mail program nothing would happen at all.
    if (!opened) trap(108, [&] { context_.prompts.Message("No mail program could be started."); });
}

void Form2::PushButton9_Click() {
    if (executing_) return;
    shell::Trap trap(context_.prompts, "Form2.PushButton9_Click");
    trap(100, [&] { context_.outcome = engine::PreviewOutcome::SkipTable; });
    trap(102, [&] { close(); });
}

void Form2::ListView1_Click() {
    if (executing_) return;
    const QModelIndexList selected = list_->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    context_.ListLine = selected.first().row() + 1;
    Form4 dialog(context_, *model_, this);
    dialog.setText(model_->lines().line(static_cast<std::size_t>(context_.ListLine - 1)));
    dialog.exec();
}

void Form2::closeEvent(QCloseEvent* event) {
    // An execution in progress lets events run between its lines; closing the window under it
    // would destroy the list it is reading.
    if (executing_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void Form2::reject() {
    if (!executing_) QDialog::reject();
}

} // namespace tabulant::ui
