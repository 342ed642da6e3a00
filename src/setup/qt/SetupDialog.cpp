#include "setup/qt/SetupDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "settings/KeyTable.h"
#include "setup/ControlBoxTitle.h"
#include "setup/qt/BackgroundsPage.h"
#include "setup/qt/DialogWidgets.h"
#include "setup/qt/FontChooser.h"
#include "setup/qt/SettingsPage.h"
#include "setup/qt/SoundsPage.h"

namespace driftmere {

SetupDialog::SetupDialog(SettingsStore& store, QString dataFolder, QWidget* parent)
    : QDialog(parent), store_(store), dataFolder_(std::move(dataFolder)), box_(store) {
    setObjectName(QStringLiteral("controlBox"));
    setWindowTitle(QString::fromUtf8(kControlBoxTitle.data(), kControlBoxTitle.size()));

    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    showMessage = [this](const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, this);
        box.setTextInteractionFlags(Qt::TextSelectableByMouse);  // a path can be copied
        box.exec();
    };
    showAbout = [this](const QString& title, const QString& text) {
        QMessageBox::about(this, title, text);
    };

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(MakePicture("banner", dataFolder_, QStringLiteral("banner"), this), 0,
                     Qt::AlignHCenter);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    settingsPage_ = new SettingsPage(box_, store_);
    tabs->addTab(settingsPage_, QStringLiteral("Settings"));
    backgroundsPage_ = new BackgroundsPage(box_, dataFolder_, [this] {
        showMessage(QStringLiteral("Driftmere"),
                    QStringLiteral("You must select at least one background"));
    });
    tabs->addTab(backgroundsPage_, QStringLiteral("BackGrounds"));
    soundsPage_ = new SoundsPage(box_);
    tabs->addTab(soundsPage_, QStringLiteral("Sounds"));
    outer->addWidget(tabs, 1);

    AddButtons();

    // The wrapped note in the font frame trades width for height, and the layout's own minimum
    // does not count that: at that minimum the rows above it get squeezed. The natural size
    // fits everything, so it is the smallest the dialog may become.
    setMinimumSize(sizeHint());

    Load();
}

SetupDialog::~SetupDialog() = default;

void SetupDialog::AddButtons() {
    auto* row = new QHBoxLayout;
    auto makeButton = [this, row](const char* name, const QString& text, const QString& tip) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        if (!tip.isEmpty()) button->setToolTip(tip);
        row->addWidget(button);
        return button;
    };
    QPushButton* about =
        makeButton("cmdAbout", QStringLiteral("&About"), QStringLiteral("Version Number "));
    QPushButton* help =
        makeButton("cmdHelp", QStringLiteral("&Online HELP"), QStringLiteral("Opens A Help File"));
    QPushButton* web = makeButton("cmdWeb", QStringLiteral("&Go to our website"), QString());
    row->addStretch(1);
    QPushButton* ok = makeButton("cmdOK", QStringLiteral("&OK"), QString());
    ok->setDefault(true);
    static_cast<QBoxLayout*>(layout())->addLayout(row);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(about, &QPushButton::clicked, this,
            [this] { showAbout(QStringLiteral("About Driftmere"), AboutText()); });
    connect(help, &QPushButton::clicked, this, [this] { OpenOrSayWhere(HelpUrl()); });
    connect(web, &QPushButton::clicked, this, [this] { OpenOrSayWhere(WebUrl()); });
}

void SetupDialog::OpenOrSayWhere(const QUrl& url) {
    if (!openUrl(url)) showMessage(QStringLiteral("Driftmere"), CannotOpenText(url));
}

QString SetupDialog::CannotOpenText(const QUrl& url) const {
    const QString what = url.isLocalFile() ? QStringLiteral("the manual") : url.toString();
    return QStringLiteral(
               "Nothing on this computer could open %1.\n\n"
               "The manual is the file\n%2\n"
               "Open it in a web browser.")
        .arg(what, HelpUrl().toLocalFile());
}

void SetupDialog::Load() {
    // On a store the saver has never started on, the first-run values come first, in one
    // change, as the saver's first start writes them: the dialog then shows them, and what the
    // user sets here is what the saver's first start finds.
    EnsureFirstRun(store_);

    // Each control set here to a value other than the one it holds stores that value again,
    // as a user's change would, so the read-outs get their text on the way. A control whose
    // shown value still differs from the stored text (clamped, rounded, or taken as the
    // first-run value) then stores what it shows. The order below is the order in which those
    // writes reach the store.
    auto loadCheck = [this](QCheckBox* check, const CheckSetting& setting) {
        check->setChecked(ReadCheck(store_, *setting.setting));
        box_.CheckLoaded(setting, check->isChecked());
    };
    auto loadBar = [this](QScrollBar* bar, const BarSetting& setting) {
        bar->setValue(ReadBarValue(store_, setting));
        box_.BarLoaded(setting, bar->value());
    };
    auto loadText = [this](QLineEdit* edit, const TextSetting& setting) {
        edit->setText(ToQString(ReadSetting(store_, *setting.setting)));
    };
    SettingsPage& settings = *settingsPage_;
    BackgroundsPage& backgrounds = *backgroundsPage_;
    SoundsPage& sounds = *soundsPage_;

    loadCheck(settings.font->skipFontsBox(), kFontsCheck);
    const bool fontList = !settings.font->skipFontsBox()->isChecked();
    if (fontList) settings.font->LoadFonts();

    loadBar(settings.windSpeed, kWindSpeedBar);
    loadBar(settings.draft, kDraftBar);

    loadCheck(backgrounds.showBackground, kShowBackgroundCheck);
    loadBar(backgrounds.scrollTime, kScrollBar);
    const auto backdrops = BackdropChecks();
    for (int i = 0; i < 7; ++i) loadCheck(backgrounds.backdrops[i], backdrops[i]);

    sounds.musicOn->setChecked(ReadMusicOn(store_));
    box_.MusicOnLoaded(sounds.musicOn->isChecked());
    const auto songs = SongChecks();
    for (int i = 0; i < 8; ++i) loadCheck(sounds.songs[i], songs[i]);
    sounds.stopMusicAfter->setEditText(ToQString(ReadSetting(store_, setting::kSoundOff)));

    loadCheck(settings.showClock, kClockCheck);
    loadText(settings.clockSize, kClockSizeText);
    loadBar(settings.mouseSensitivity, kMouseSensBar);

    loadCheck(settings.showMessage, kShowMessageCheck);
    loadText(settings.message, kMessageText);
    loadText(settings.messageSize, kMessageSizeText);

    loadCheck(settings.powerSave, kPowerSaveCheck);

    if (fontList) settings.font->SelectStoredFont();
}

int SetupDialog::FontLoads() const { return settingsPage_->font->FontLoads(); }

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
