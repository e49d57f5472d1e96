// The main window's controls: creation, design positions (in twips), fonts, colours, and the
// signal connections of the untrapped change and click handlers.
#include "Form1.h"

#include "CaptionProgressBar.h"
#include "shell/core/SavedSettings.h"

#include "shell/widgets/SelectAllOnFocus.h"
#include "shell/widgets/Twips.h"
#include "shell/widgets/WindowColors.h"
#include "shell/widgets/WindowPointer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

namespace tabulant::ui {

namespace {

constexpr int ClientWidth = 8040;
// The design's 7725, and two rows of check boxes above "Start Converting": "Keep types, keys and
// relationships" with "Verify after converting", then "Load rows in bulk (COPY)".
constexpr int BoxRow = 330;
constexpr int ClientHeight = 7725 + 2 * BoxRow;

// Arial where it is installed; otherwise a sans font with the same metrics, so that the
// captions fit the design's sizes.
QFont designFont(double points) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arimo"), QStringLiteral("Helvetica"),
                      QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

template <class W> W* make(QWidget* parent, const char* name, const QString& caption = {}) {
    W* w = new W(parent);
    w->setObjectName(QLatin1String(name));
    if constexpr (std::is_same_v<W, QGroupBox>)
        w->setTitle(caption);
    else if constexpr (!std::is_same_v<W, QLineEdit> && !std::is_same_v<W, QListWidget> &&
                       !std::is_same_v<W, CaptionProgressBar> && !std::is_same_v<W, QComboBox>)
        w->setText(caption);
    return w;
}

void place(QWidget* w, int left, int top, int width, int height) {
    using shell::TwipsToPixels;
    w->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                   TwipsToPixels(height));
}

// Labels size themselves to their caption, as the design's labels do.
void placeLabel(QLabel* label, int left, int top) {
    label->adjustSize();
    label->move(shell::TwipsToPixels(left), shell::TwipsToPixels(top));
}

// A caption that the fallback font draws wider than the design allows keeps its design height
// but grows to its text, up to the frame's inner edge.
void placeCaptioned(QWidget* w, int left, int top, int width, int height, int frameWidth) {
    place(w, left, top, width, height);
    const int room = shell::TwipsToPixels(frameWidth) - w->x() - shell::TwipsToPixels(60);
    if (w->sizeHint().width() > w->width())
        w->resize(std::min(w->sizeHint().width(), room), w->height());
}

// The code pages Access 97 and older were sold with, for files whose header names another.
constexpr std::pair<const char*, const char*> CodePages[] = {
    {"", "As the file says"},     {"1250", "1250 Central European"},
    {"1251", "1251 Cyrillic"},    {"1252", "1252 Western"},
    {"1253", "1253 Greek"},       {"1254", "1254 Turkish"},
    {"1255", "1255 Hebrew"},      {"1256", "1256 Arabic"},
    {"1257", "1257 Baltic"},      {"1258", "1258 Vietnamese"},
    {"874", "874 Thai"},          {"932", "932 Japanese"},
    {"936", "936 Chinese (GBK)"}, {"949", "949 Korean"},
    {"950", "950 Chinese (Big5)"}};

void maskWithStars(QLineEdit* box) {
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
}

} // namespace

void Form1::createControls() {
    setFont(designFont(9));
    setObjectName(QStringLiteral("Form1"));

    PushButton5 = make<QPushButton>(this, "PushButton5", tr("Help"));
    Frame1 = make<QGroupBox>(this, "Frame1", tr("Access Database"));
    Label5 = make<QLabel>(Frame1, "Label5", tr("MDB or ACCDB File:"));
    Text5 = make<QLineEdit>(Frame1, "Text5");
    PushButton1 = make<QPushButton>(Frame1, "PushButton1", QStringLiteral("..."));
    lblPassword = make<QLabel>(Frame1, "lblPassword", tr("Password (if required):"));
    Text6 = make<QLineEdit>(Frame1, "Text6");
    PushButton4 = make<QPushButton>(Frame1, "PushButton4", tr("Load Sample/Example Database"));
    Label10 = make<QLabel>(Frame1, "Label10", tr("Access 97 text:"));
    Combo1 = make<QComboBox>(Frame1, "Combo1");
    for (const auto& [value, caption] : CodePages) Combo1->addItem(tr(caption), QString(value));
    Combo1->setToolTip(tr("The code page of the texts of an Access 97 or older file whose own "
                          "setting is wrong; later files store Unicode and ignore it."));

    Frame3 = make<QGroupBox>(this, "Frame3", tr("PostgreSQL Database"));
    Label6 = make<QLabel>(Frame3, "Label6", tr("Server:"));
    Text1 = make<QLineEdit>(Frame3, "Text1");
    Label8 = make<QLabel>(Frame3, "Label8", tr("Port:"));
    Text9 = make<QLineEdit>(Frame3, "Text9");
    Label2 = make<QLabel>(Frame3, "Label2", tr("Username:"));
    Text3 = make<QLineEdit>(Frame3, "Text3");
    Label7 = make<QLabel>(Frame3, "Label7", tr("Password:"));
    Text7 = make<QLineEdit>(Frame3, "Text7");
    Label9 = make<QLabel>(Frame3, "Label9", tr("Database:"));
    Text10 = make<QLineEdit>(Frame3, "Text10");
    PushButton3 = make<QPushButton>(Frame3, "PushButton3", tr("Test Connection"));
    PushButton2 = make<QPushButton>(Frame3, "PushButton2", tr("Help"));

    Frame2 = make<QGroupBox>(this, "Frame2", tr("SQL Preview"));
    Check1 = make<QCheckBox>(Frame2, "Check1",
                             tr("Enable SQL Preview mode to see SQL commands or check for errors"));
    Option1 = make<QRadioButton>(Frame2, "Option1", tr("Show SQL Preview For Each File"));
    Option2 = make<QRadioButton>(Frame2, "Option2", tr("Show SQL Preview For Each Table"));

    Check2 = make<QCheckBox>(this, "Check2", tr("Keep types, keys and relationships"));
    Check3 = make<QCheckBox>(this, "Check3", tr("Verify after converting"));
    Check4 = make<QCheckBox>(this, "Check4", tr("Load rows in bulk (COPY)"));
    PushButton7 = make<QPushButton>(this, "PushButton7", tr("Start Converting"));
    ProgressBar1 = make<CaptionProgressBar>(this, "ProgressBar1");
    List1Box = make<QListWidget>(this, "List1");
    List2Box = make<QListWidget>(this, "List2");
    list1_ = std::make_unique<ListBoxStringList>(*List1Box);
    list2_ = std::make_unique<ListBoxStringList>(*List2Box);

    // Design state: preview on, one preview for the whole file.
    Check1->setChecked(true);
    Option1->setChecked(true);
    maskWithStars(Text6);
    maskWithStars(Text7);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    ProgressBar1->setCaption(QStringLiteral("Progress Bar"));

    const QFont buttonFont = designFont(11.25);
    for (QPushButton* b :
         {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5, PushButton7}) {
        b->setFont(buttonFont);
        b->setAutoDefault(false);
    }
    shell::SetBackgroundColors(*this, Qt::white);

    pointer_ = new shell::WindowPointer(*this);
    pointer_->handOver(
        {PushButton1, PushButton2, PushButton3, PushButton4, PushButton5, PushButton7});
    pointer_->defaultOver({this, Frame1, Frame2, Frame3, Text1, Text5, Text6, Text7});
    new shell::SelectAllOnFocus(this, {Text1, Text5, Text6, Text7, Text9});
}

void Form1::placeControls() {
    using shell::TwipsToPixels;
    place(PushButton5, 120, 120, 7800, 405);

    place(Frame1, 120, 630, 7800, 1845);
    placeLabel(Label5, 240, 345);
    place(Text5, 2280, 300, 4455, 345);
    place(PushButton1, 6840, 300, 690, 345);
    placeLabel(lblPassword, 240, 840);
    place(Text6, 2280, 800, 5265, 345);
    place(PushButton4, 240, 1260, 4095, 405);
    placeLabel(Label10, 4440, 1335);
    place(Combo1, 0, 1290, 0, 345);
    const int comboLeft = Label10->x() + Label10->width() + TwipsToPixels(60);
    Combo1->setGeometry(comboLeft, Combo1->y(), TwipsToPixels(7515) - comboLeft, Combo1->height());

    place(Frame3, 120, 2550, 7800, 2895);
    placeLabel(Label6, 240, 405);
    place(Text1, 1320, 360, 4575, 345);
    placeLabel(Label8, 6000, 405);
    place(Text9, 6480, 360, 1095, 345);
    placeLabel(Label2, 240, 915);
    place(Text3, 1320, 870, 6255, 345);
    placeLabel(Label7, 240, 1365);
    place(Text7, 1320, 1320, 6255, 345);
    placeLabel(Label9, 240, 1845);
    place(Text10, 1320, 1800, 6255, 345);
    place(PushButton3, 240, 2280, 3600, 400);
    place(PushButton2, 3960, 2280, 3600, 405);

    place(Frame2, 120, 5520, 7800, 1065);
    placeCaptioned(Check1, 240, 300, 6735, 255, 7800);
    placeCaptioned(Option1, 240, 630, 3135, 255, 3600);
    placeCaptioned(Option2, 3600, 630, 3375, 255, 7800);

    // As wide as its caption: a click beside the text would not reach the box.
    placeCaptioned(Check2, 360, 6660, 255, 255, ClientWidth);
    placeCaptioned(Check3, 4680, 6660, 255, 255, ClientWidth);
    placeCaptioned(Check4, 360, 6660 + BoxRow, 255, 255, ClientWidth);
    place(PushButton7, 120, 6705 + 2 * BoxRow, 7800, 405);
    place(ProgressBar1, 120, 7230 + 2 * BoxRow, 7800, 405);
    // Below the bottom of the client area: never seen, only used by the conversion run.
    place(List1Box, 240, 8820, 3330, 1635);
    place(List2Box, 3840, 8820, 3330, 1635);

    setFixedSize(TwipsToPixels(ClientWidth), TwipsToPixels(ClientHeight));
}

void Form1::connectHandlers() {
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
    connect(PushButton7, &QPushButton::clicked, this, [this] { PushButton7_Click(); });
    // Value changes made by the program fire these too, as the settings rely on.
    connect(Check1, &QCheckBox::stateChanged, this, [this] { Check1_Click(); });
    // A grayed value (2) can be stored, but a click never leads back to it.
    connect(Check1, &QCheckBox::clicked, this, [this] { Check1->setTristate(false); });
    connect(Check2, &QCheckBox::stateChanged, this, [this] { Check2_Click(); });
    connect(Check3, &QCheckBox::stateChanged, this, [this] { Check3_Click(); });
    connect(Check4, &QCheckBox::stateChanged, this, [this] { Check4_Click(); });
    connect(Combo1, &QComboBox::currentIndexChanged, this,
            [this] { s_.settings.Write("AccessCodePage", AccessCodePage()); });
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on) Option2_Click();
    });

    for (const TextSetting& t : textSettings())
        connect(t.box, &QLineEdit::textChanged, this,
                [this, box = t.box, key = t.key] { saveText(key, box); });
}

std::array<Form1::TextSetting, 7> Form1::textSettings() const {
    // In the order the opening reads them, with the step that reads each.
    namespace saved = shell::saved;
    const auto row = [](int line, QLineEdit* box, shell::SavedText setting) {
        return TextSetting{line, box, setting.key, setting.defaultValue};
    };
    return {{row(136, Text1, saved::PostgreSQLServer), row(138, Text9, saved::PostgreSQLPort),
             row(140, Text3, saved::PostgreSQLUser), row(142, Text7, saved::PostgreSQLPassword),
             row(144, Text10, saved::PostgreSQLDatabase), row(146, Text5, saved::AccessMDBFile),
             row(148, Text6, saved::AccessPassword)}};
}

} // namespace tabulant::ui
