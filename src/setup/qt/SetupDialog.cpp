#include "setup/qt/SetupDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include "setup/qt/SpreadCaption.h"

namespace driftmere {
namespace {

QString Q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
std::string S(const QString& s) { return s.toStdString(); }

QGroupBox* MakeFrame(const char* name, const QString& title, QWidget* parent) {
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    if (name) label->setObjectName(QString::fromLatin1(name));
    return label;
}

constexpr const char* kBackdropPictures[7] = {
    "thumb-mtn01.bmp",   "thumb-mtn02.bmp",   "thumb-mtn03.bmp",  "thumb-mtn04.bmp",
    "thumb-beach01.bmp", "thumb-beach02.bmp", "thumb-beach03.bmp"};

}  // namespace

SetupDialog::SetupDialog(SettingsStore& store, QString dataFolder, QWidget* parent)
    : QDialog(parent), store_(store), dataFolder_(std::move(dataFolder)), box_(store) {
    setObjectName(QStringLiteral("Setup"));
    setWindowTitle(QStringLiteral("Driftmere Control Box"));

    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    showMessage = [this](const QString& title, const QString& text) {
        QMessageBox::information(this, title, text);
    };
    showAbout = [this](const QString& title, const QString& text) {
        QMessageBox::about(this, title, text);
    };

    auto* outer = new QVBoxLayout(this);
    QLabel* banner = MakePicture("Picture1", QStringLiteral("banner.bmp"), this);
    outer->addWidget(banner, 0, Qt::AlignHCenter);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("SSTab1"));
    tabs_->addTab(BuildSettingsTab(), QStringLiteral("Settings"));
    tabs_->addTab(BuildBackgroundsTab(), QStringLiteral("BackGrounds"));
    tabs_->addTab(BuildSoundsTab(), QStringLiteral("Sounds"));
    outer->addWidget(tabs_, 1);

    auto* buttons = new QHBoxLayout;
    auto makeButton = [this, buttons](const char* name, const QString& text, const QString& tip) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        if (!tip.isEmpty()) button->setToolTip(tip);
        buttons->addWidget(button);
        return button;
    };
    QPushButton* about =
        makeButton("cmdAbout", QStringLiteral("&About"), QStringLiteral("Version Number "));
    QPushButton* help =
        makeButton("cmdHelp", QStringLiteral("&Online HELP"), QStringLiteral("Opens A Help File"));
    QPushButton* web = makeButton("cmdWeb", QStringLiteral("&Go to our website"), QString());
    buttons->addStretch(1);
    QPushButton* ok = makeButton("cmdOK", QStringLiteral("&OK"), QString());
    ok->setDefault(true);
    outer->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(about, &QPushButton::clicked, this,
            [this] { showAbout(QStringLiteral("About Driftmere"), AboutText()); });
    connect(help, &QPushButton::clicked, this, [this] { openUrl(HelpUrl()); });
    connect(web, &QPushButton::clicked, this, [this] { openUrl(WebUrl()); });

    // The wrapped note in the font frame trades width for height, and the layout's own minimum
    // does not count that: at that minimum the rows above it get squeezed. The natural size
    // fits everything, so it is the smallest the dialog may become.
    setMinimumSize(sizeHint());

    Load();
}

SetupDialog::~SetupDialog() = default;

QCheckBox* SetupDialog::MakeCheck(const CheckSetting& setting, QWidget* parent) {
    auto* check = new QCheckBox(Q(setting.caption), parent);
    check->setObjectName(Q(setting.control));
    return check;
}

QScrollBar* SetupDialog::MakeBar(const BarSetting& bar, QWidget* parent) {
    auto* scrollBar = new QScrollBar(Qt::Horizontal, parent);
    scrollBar->setObjectName(Q(bar.control));
    scrollBar->setRange(bar.minimum, bar.maximum);
    scrollBar->setSingleStep(1);
    // A page is about a tenth of the range: 1 on the short bars would make Page Up useless,
    // and the thumb of the long bar would be too small to grab.
    scrollBar->setPageStep(std::max(1, (bar.maximum - bar.minimum) / 10));
    scrollBar->setValue(bar.initial);
    // Scroll bars take no focus by default and, being made for scrolling a view, move the
    // "wrong" way on the arrow keys (Left and Up increase). Here they set values, so they
    // behave like sliders: Right and Up increase, Left and Down decrease.
    scrollBar->setFocusPolicy(Qt::StrongFocus);
    scrollBar->setInvertedControls(false);
    scrollBar->setMinimumWidth(scrollBar->fontMetrics().averageCharWidth() * 24);
    return scrollBar;
}

QLineEdit* SetupDialog::MakeText(const TextSetting& setting, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(Q(setting.control));
    // Every edit is stored at once, including the text loading puts there, exactly as shown.
    connect(edit, &QLineEdit::textChanged, this,
            [this, setting](const QString& text) { box_.TextChanged(setting, S(text)); });
    return edit;
}

QLabel* SetupDialog::MakeReadout(const char* name, const QString& text, const QString& widest,
                                 QWidget* parent) {
    QLabel* label = MakeLabel(text, parent, name);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest text it will show, so the row does not jump as it changes.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest) +
                           label->fontMetrics().averageCharWidth() * 2);
    return label;
}

QLabel* SetupDialog::MakePicture(const char* name, const QString& file, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    // A picture that is not there leaves no trace, never an error.
    QPixmap pixmap(dataFolder_ + file);
    if (pixmap.isNull()) {
        label->hide();
    } else {
        label->setPixmap(pixmap);
    }
    return label;
}

QWidget* SetupDialog::BuildSettingsTab() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    // Wind and drafts.
    QGroupBox* air = MakeFrame("Frame1", QStringLiteral("Air Controls"), page);
    auto* airLayout = new QGridLayout(air);
    QLabel* windLabel = MakeLabel(QStringLiteral("Wind Speed >"), air, "Label1");
    windSpeedText_ = MakeReadout("txtWindSpeed", Q(WindSpeedText(kWindSpeedBar.initial)),
                                 QStringLiteral("15 MPH"), air);
    windWord_ =
        MakeReadout("txtWS", Q(WindWord(kWindSpeedBar.initial)), QStringLiteral("Moderate"), air);
    windSpeed_ = MakeBar(kWindSpeedBar, air);
    windLabel->setBuddy(windSpeed_);
    airLayout->addWidget(windLabel, 0, 0);
    airLayout->addWidget(windSpeedText_, 0, 1);
    airLayout->addWidget(windWord_, 0, 2);
    airLayout->addWidget(windSpeed_, 1, 0, 1, 3);
    auto* strength = new SpreadCaption(QStringLiteral("Weak ------------------------------ Strong"),
                                       nullptr, air);
    strength->setObjectName(QStringLiteral("Label3"));
    airLayout->addWidget(strength, 2, 0, 1, 3);
    airLayout->setRowMinimumHeight(3, air->fontMetrics().height() / 2);
    draftText_ =
        MakeReadout("txtDraft2", QString::number(kDraftBar.initial), QStringLiteral("15 MPH"), air);
    draftWord_ =
        MakeReadout("txtDraft1", Q(DraftWord(kDraftBar.initial)), QStringLiteral("Moderate"), air);
    airLayout->addWidget(draftText_, 4, 1);
    airLayout->addWidget(draftWord_, 4, 2);
    draft_ = MakeBar(kDraftBar, air);
    airLayout->addWidget(draft_, 5, 0, 1, 3);
    auto* drafts = new SpreadCaption(
        QStringLiteral("Down -------------- Drafts --------------- Up"), nullptr, air);
    drafts->setObjectName(QStringLiteral("Label2"));
    airLayout->addWidget(drafts, 6, 0, 1, 3);
    airLayout->setColumnStretch(0, 1);
    grid->addWidget(air, 0, 0);

    // Mouse sensitivity.
    QGroupBox* mouse = MakeFrame("Frame23", QStringLiteral("Mouse Sensitivity"), page);
    auto* mouseLayout = new QGridLayout(mouse);
    mouseSens_ = MakeBar(kMouseSensBar, mouse);
    mouseSens_->setToolTip(QStringLiteral("Change the sensitivity of the mouse"));
    mouseSensText_ = MakeReadout("txtMouseS", QString::number(kMouseSensBar.initial),
                                 QStringLiteral("20"), mouse);
    mouseLayout->addWidget(mouseSens_, 0, 0);
    mouseLayout->addWidget(mouseSensText_, 0, 1);
    auto* touchRow = new QHBoxLayout;
    touchRow->addWidget(MakeLabel(QStringLiteral("Light Touch"), mouse));
    touchRow->addStretch(1);
    touchRow->addWidget(MakeLabel(QStringLiteral("HeavyTouch"), mouse));
    mouseLayout->addLayout(touchRow, 1, 0);
    mouseLayout->setColumnStretch(0, 1);
    grid->addWidget(mouse, 1, 0);

    // Message.
    QGroupBox* messageFrame = MakeFrame("Frame25", QStringLiteral("Show Message"), page);
    auto* messageLayout = new QGridLayout(messageFrame);
    showMessage_ = MakeCheck(kShowMessageCheck, messageFrame);
    messageLayout->addWidget(showMessage_, 0, 0, 1, 2);
    QLabel* messageLabel = MakeLabel(QStringLiteral("Type your message below:"), messageFrame);
    messageLayout->addWidget(messageLabel, 1, 0, 1, 2);
    message_ = MakeText(kMessageText, messageFrame);
    messageLabel->setBuddy(message_);
    messageLayout->addWidget(message_, 2, 0, 1, 2);
    QLabel* messageSizeLabel = MakeLabel(QStringLiteral("Font Size:"), messageFrame);
    messageSize_ = MakeText(kMessageSizeText, messageFrame);
    messageSize_->setMaximumWidth(messageSize_->fontMetrics().averageCharWidth() * 8);
    messageSizeLabel->setBuddy(messageSize_);
    auto* messageSizeRow = new QHBoxLayout;
    messageSizeRow->addWidget(messageSizeLabel);
    messageSizeRow->addWidget(messageSize_);
    messageSizeRow->addStretch(1);
    messageLayout->addLayout(messageSizeRow, 3, 0, 1, 2);
    grid->addWidget(messageFrame, 0, 1);

    // Clock.
    QGroupBox* clockFrame = MakeFrame("Frame24", QStringLiteral("Clock"), page);
    auto* clockLayout = new QHBoxLayout(clockFrame);
    clock_ = MakeCheck(kClockCheck, clockFrame);
    clock_->setToolTip(QStringLiteral("Show or Remove Clock"));
    clockLayout->addWidget(clock_);
    clockLayout->addStretch(1);
    QLabel* clockSizeLabel = MakeLabel(QStringLiteral("Font Size:"), clockFrame);
    clockSize_ = MakeText(kClockSizeText, clockFrame);
    clockSize_->setToolTip(QStringLiteral("Type size of font for clock"));
    clockSize_->setMaximumWidth(clockSize_->fontMetrics().averageCharWidth() * 8);
    clockSizeLabel->setBuddy(clockSize_);
    clockLayout->addWidget(clockSizeLabel);
    clockLayout->addWidget(clockSize_);
    grid->addWidget(clockFrame, 1, 1);

    // Font of clock and message.
    QGroupBox* fontFrame = MakeFrame("Frame11", QStringLiteral("Font"), page);
    auto* fontLayout = new QGridLayout(fontFrame);
    fontList_ = new QComboBox(fontFrame);
    fontList_->setObjectName(QStringLiteral("cboFontsScreen"));
    fontList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fontList_->setMinimumContentsLength(20);
    fontLayout->addWidget(fontList_, 0, 0, 1, 2);
    fonts_ = MakeCheck(kFontsCheck, fontFrame);
    QLabel* fontsNote = MakeLabel(
        QStringLiteral("Loading the fonts causes a delay in starting the Control Box.  Check this "
                       "box if you do not want to use a different font.  The Control Box will "
                       "then load faster."),
        fontFrame, "Label17");
    fontsNote->setWordWrap(true);
    fontsNote->setBuddy(fonts_);
    // The box's own caption is only a name; the note beside it says what it does, so the box
    // shows just its indicator and is announced by the note.
    fonts_->setAccessibleName(fontsNote->text());
    {
        const int indicator =
            fonts_->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, fonts_);
        fonts_->setFixedWidth(
            indicator +
            fonts_->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, fonts_) / 2 + 2);
    }
    fontLayout->addWidget(fonts_, 1, 0, Qt::AlignTop);
    fontLayout->addWidget(fontsNote, 1, 1);
    fontLayout->setColumnStretch(1, 1);
    grid->addWidget(fontFrame, 2, 0, 1, 2);

    powerSave_ = MakeCheck(kPowerSaveCheck, page);
    powerSave_->setToolTip(QStringLiteral(
        "If you have your Monitor set to turn off enabling this will keep that setting, otherwise "
        "the screensaver will ignore those settings"));
    grid->addWidget(powerSave_, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    connect(windSpeed_, &QScrollBar::valueChanged, this, [this](int v) {
        ControlBox::Readout r = box_.WindSpeedChanged(v);
        windSpeedText_->setText(Q(r.value));
        windWord_->setText(Q(r.word));
    });
    connect(draft_, &QScrollBar::valueChanged, this, [this](int v) {
        ControlBox::Readout r = box_.DraftChanged(v);
        draftText_->setText(Q(r.value));
        draftWord_->setText(Q(r.word));
    });
    connect(mouseSens_, &QScrollBar::valueChanged, this,
            [this](int v) { mouseSensText_->setText(Q(box_.MouseSensChanged(v))); });
    for (auto [check, setting] :
         {std::pair{showMessage_, kShowMessageCheck}, std::pair{clock_, kClockCheck},
          std::pair{powerSave_, kPowerSaveCheck}}) {
        connect(check, &QCheckBox::toggled, this,
                [this, setting](bool on) { box_.CheckChanged(setting, on); });
    }
    connect(fonts_, &QCheckBox::toggled, this, &SetupDialog::FontsBoxToggled);
    connect(fontList_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (fillingFonts_ || index < 0) return;
        box_.FontChosen(index, S(fontList_->itemText(index)));
    });
    return page;
}

QWidget* SetupDialog::BuildBackgroundsTab() {
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    QGroupBox* frame = MakeFrame("Frame2", QStringLiteral("Background"), page);
    auto* layout = new QVBoxLayout(frame);

    showBackground_ = MakeCheck(kShowBackgroundCheck, frame);
    layout->addWidget(showBackground_);

    // Mountains on the left, beaches on the right, each box beside a small picture of its
    // backdrop.
    auto* pictures = new QGridLayout;
    const auto checks = BackdropChecks();
    for (int i = 0; i < 7; ++i) {
        const int column = i < 4 ? 0 : 2;
        const int row = i < 4 ? i : i - 4;
        QLabel* picture = MakePicture(QStringLiteral("Picture%1").arg(i + 3).toLatin1().constData(),
                                      QString::fromLatin1(kBackdropPictures[i]), frame);
        // A thumbnail is a reminder of the scene, not a view of it: about four lines of text
        // high at most, whatever size the picture file has.
        const int maxHeight = frame->fontMetrics().height() * 4;
        if (!picture->pixmap().isNull() && picture->pixmap().height() > maxHeight)
            picture->setPixmap(
                picture->pixmap().scaledToHeight(maxHeight, Qt::SmoothTransformation));
        backdrops_[i] = MakeCheck(checks[i], frame);
        pictures->addWidget(picture, row, column);
        pictures->addWidget(backdrops_[i], row, column + 1);
        connect(backdrops_[i], &QCheckBox::toggled, this,
                [this, setting = checks[i]](bool on) { box_.CheckChanged(setting, on); });
    }
    pictures->setColumnStretch(1, 1);
    pictures->setColumnStretch(3, 1);
    layout->addLayout(pictures);

    layout->addSpacing(frame->fontMetrics().height() / 2);
    QLabel* scrollLabel = MakeLabel(QStringLiteral("Set scroll-through time:"), frame);
    layout->addWidget(scrollLabel);
    scroll_ = MakeBar(kScrollBar, frame);
    scrollLabel->setBuddy(scroll_);
    layout->addWidget(scroll_);
    scrollText_ =
        MakeReadout("txtScroll", QString::number(kScrollBar.initial), QStringLiteral("500"), frame);
    layout->addWidget(
        new SpreadCaption(QStringLiteral("Every                   Minutes"), scrollText_, frame));
    layout->addStretch(1);
    pageLayout->addWidget(frame);

    connect(scroll_, &QScrollBar::valueChanged, this,
            [this](int m) { scrollText_->setText(Q(box_.ScrollChanged(m))); });
    // Only the user's click (mouse or keyboard) counts here, never a value set by loading:
    // opening the dialog must not disable the backdrop boxes.
    connect(showBackground_, &QCheckBox::clicked, this, &SetupDialog::ShowBackgroundClicked);
    return page;
}

QWidget* SetupDialog::BuildSoundsTab() {
    auto* page = new QWidget;
    auto* pageLayout = new QHBoxLayout(page);

    QGroupBox* control = MakeFrame("Frame4", QStringLiteral("Sound Control"), page);
    auto* controlLayout = new QVBoxLayout(control);
    musicOn_ = new QCheckBox(QStringLiteral("Music On"), control);
    musicOn_->setObjectName(QStringLiteral("Check1"));
    controlLayout->addWidget(musicOn_);
    soundOff_ = new QComboBox(control);
    soundOff_->setObjectName(QStringLiteral("cboSoundOff"));
    soundOff_->setEditable(true);
    soundOff_->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view choice : SoundOffChoices()) soundOff_->addItem(Q(choice));
    soundOff_->setEditText(QStringLiteral("Never"));
    soundOff_->setMinimumContentsLength(6);
    controlLayout->addWidget(new SpreadCaption(
        QStringLiteral("Stop sound after:                           min."), soundOff_, control));
    controlLayout->addSpacing(control->fontMetrics().height() / 2);
    QLabel* keysLabel = MakeLabel(QStringLiteral("While the screensaver is running:"), control);
    controlLayout->addWidget(keysLabel);
    auto* keys = new QPlainTextEdit(control);
    keys->setObjectName(QStringLiteral("Text1"));
    keys->setPlainText(
        QStringLiteral("Press \"Q\" to STOP the music\n"
                       "Press \"S\" to START the music\n"
                       "Press \"N\" for the NEXT song\n"
                       "Press \"P\" for the PREVIOUS song"));
    // Nothing typed here would be kept, so it is a text to read (and select), not to edit.
    keys->setReadOnly(true);
    keys->setTabChangesFocus(true);
    keysLabel->setBuddy(keys);
    // Tall enough for the four lines and a little air, no taller.
    keys->setFixedHeight(keys->fontMetrics().lineSpacing() * 5 + 2 * keys->frameWidth() +
                         static_cast<int>(keys->document()->documentMargin() * 2));
    controlLayout->addWidget(keys);
    controlLayout->addStretch(1);
    pageLayout->addWidget(control, 1);

    QGroupBox* music = MakeFrame("Frame5", QStringLiteral("Music"), page);
    auto* musicLayout = new QVBoxLayout(music);
    const auto songs = SongChecks();
    for (int i = 0; i < 8; ++i) {
        songs_[i] = MakeCheck(songs[i], music);
        musicLayout->addWidget(songs_[i]);
        connect(songs_[i], &QCheckBox::toggled, this,
                [this, setting = songs[i]](bool on) { box_.CheckChanged(setting, on); });
    }
    musicLayout->addStretch(1);
    pageLayout->addWidget(music);

    connect(musicOn_, &QCheckBox::toggled, this, [this](bool on) { box_.MusicOnChanged(on); });
    // Only an entry chosen from the list is stored; text typed into the box is not.
    connect(soundOff_, &QComboBox::activated, this,
            [this](int index) { box_.SoundOffChosen(S(soundOff_->itemText(index))); });
    return page;
}

void SetupDialog::Load() {
    // Each control set here to a value other than the one it holds stores that value again,
    // as a user's change would, so the read-outs get their text on the way. A control whose
    // shown value still differs from the stored text (clamped, rounded, or taken as the
    // first-run value) then stores what it shows. The order below is the order in which those
    // writes reach the store.
    auto loadCheck = [this](QCheckBox* check, const CheckSetting& setting) {
        check->setChecked(ReadCheck(store_, setting.section, setting.key));
        box_.CheckLoaded(setting, check->isChecked());
    };
    auto loadBar = [this](QScrollBar* bar, const BarSetting& setting) {
        bar->setValue(ReadBarValue(store_, setting));
        box_.BarLoaded(setting, bar->value());
    };

    loadCheck(fonts_, kFontsCheck);
    if (!fonts_->isChecked()) LoadFonts();

    loadBar(windSpeed_, kWindSpeedBar);
    loadBar(draft_, kDraftBar);

    loadCheck(showBackground_, kShowBackgroundCheck);
    loadBar(scroll_, kScrollBar);

    const auto backdrops = BackdropChecks();
    for (int i = 0; i < 7; ++i) loadCheck(backdrops_[i], backdrops[i]);

    musicOn_->setChecked(ReadMusicOn(store_));
    box_.MusicOnLoaded(musicOn_->isChecked());
    const auto songs = SongChecks();
    for (int i = 0; i < 8; ++i) loadCheck(songs_[i], songs[i]);
    soundOff_->setEditText(Q(GetSetting(store_, "music", "SoundOff")));

    loadCheck(clock_, kClockCheck);
    clockSize_->setText(Q(GetSetting(store_, kClockSizeText.section, kClockSizeText.key)));
    loadBar(mouseSens_, kMouseSensBar);

    loadCheck(showMessage_, kShowMessageCheck);
    message_->setText(Q(GetSetting(store_, kMessageText.section, kMessageText.key)));
    messageSize_->setText(Q(GetSetting(store_, kMessageSizeText.section, kMessageSizeText.key)));

    loadCheck(powerSave_, kPowerSaveCheck);

    if (!fonts_->isChecked()) SelectStoredFont();
}

void SetupDialog::LoadFonts() {
    // Refilling moves the current entry around; none of that is the user's choice, and
    // nothing is chosen until the stored font is selected below.
    fillingFonts_ = true;
    fontList_->clear();
    fontList_->addItems(QFontDatabase::families());
    fontList_->setCurrentIndex(-1);
    fillingFonts_ = false;
    ++fontLoads_;
    SelectStoredFont();
}

int SetupDialog::StoredFontEntry() const {
    // The name wins over the index: installing or removing a font moves the entries, and
    // selecting by the stored index alone would store a different font just by opening the
    // dialog. The index only counts when the named font is no longer installed.
    const int named = fontList_->findText(Q(GetSetting(store_, "Settings", "FontName")),
                                          Qt::MatchFixedString | Qt::MatchCaseSensitive);
    return named >= 0 ? named : ReadSelectedFont(store_, fontList_->count());
}

void SetupDialog::SelectStoredFont() {
    const int index = StoredFontEntry();
    if (index >= 0) fontList_->setCurrentIndex(index);
}

void SetupDialog::ShowBackgroundClicked(bool checked) {
    for (QCheckBox* box : backdrops_) box->setEnabled(checked);
    scroll_->setEnabled(checked);
    // The reminder comes before the box is stored.
    box_.ShowBackgroundClicked(checked, [this] {
        showMessage(QStringLiteral("Driftmere"),
                    QStringLiteral("You must select at least one background"));
    });
}

void SetupDialog::FontsBoxToggled(bool checked) {
    fontList_->setEnabled(!checked);
    if (!checked) {
        LoadFonts();
        SelectStoredFont();
    }
    box_.FontsBoxChanged(checked);
}

QUrl SetupDialog::HelpUrl() const {
    return QUrl::fromLocalFile(dataFolder_ + QStringLiteral("manual.html"));
}

QUrl SetupDialog::WebUrl() const {
    const QString homepage = QStringLiteral(DRIFTMERE_HOMEPAGE);
    if (!homepage.isEmpty()) return QUrl(homepage);
    QUrl url = HelpUrl();
    url.setFragment(QStringLiteral("about"));
    return url;
}

QString SetupDialog::AboutText() {
    return QStringLiteral("Driftmere\nVersion %1\n%2")
        .arg(QStringLiteral(DRIFTMERE_VERSION), QStringLiteral(DRIFTMERE_CONTACT));
}

}  // namespace driftmere
