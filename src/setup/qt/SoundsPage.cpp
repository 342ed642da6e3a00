#include "setup/qt/SoundsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QVBoxLayout>

#include "setup/qt/DialogWidgets.h"
#include "setup/qt/SpreadCaption.h"

namespace driftmere {

SoundsPage::SoundsPage(ControlBox& box) : box_(box) {
    auto* pageLayout = new QHBoxLayout(this);

    QGroupBox* control = MakeFrame("soundControlFrame", QStringLiteral("Sound Control"), this);
    auto* controlLayout = new QVBoxLayout(control);
    musicOn = new QCheckBox(QStringLiteral("Music On"), control);
    musicOn->setObjectName(QStringLiteral("chkMusicOn"));
    controlLayout->addWidget(musicOn);
    stopMusicAfter = new QComboBox(control);
    stopMusicAfter->setObjectName(QStringLiteral("cboSoundOff"));
    stopMusicAfter->setEditable(true);
    stopMusicAfter->setInsertPolicy(QComboBox::NoInsert);
    for (std::string_view choice : SoundOffChoices()) stopMusicAfter->addItem(ToQString(choice));
    stopMusicAfter->setEditText(QStringLiteral("Never"));
    stopMusicAfter->setMinimumContentsLength(6);
    controlLayout->addWidget(
        new SpreadCaption(QStringLiteral("Stop sound after:                           min."),
                          stopMusicAfter, control));
    controlLayout->addSpacing(control->fontMetrics().height() / 2);
    QLabel* keysLabel = MakeLabel(QStringLiteral("While the screensaver is running:"), control);
    controlLayout->addWidget(keysLabel);
    auto* keys = new QPlainTextEdit(control);
    keys->setObjectName(QStringLiteral("musicKeys"));
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

    QGroupBox* music = MakeFrame("musicFrame", QStringLiteral("Music"), this);
    auto* musicLayout = new QVBoxLayout(music);
    const auto checks = SongChecks();
    for (int i = 0; i < 8; ++i) {
        songs[i] = MakeCheck(checks[i], music);
        musicLayout->addWidget(songs[i]);
        connect(songs[i], &QCheckBox::toggled, this,
                [this, setting = checks[i]](bool on) { box_.CheckChanged(setting, on); });
    }
    musicLayout->addStretch(1);
    pageLayout->addWidget(music);

    connect(musicOn, &QCheckBox::toggled, this, [this](bool on) { box_.MusicOnChanged(on); });
    // Only an entry chosen from the list is stored; text typed into the box is not.
    connect(stopMusicAfter, &QComboBox::activated, this, [this](int index) {
        box_.SoundOffChosen(ToStdString(stopMusicAfter->itemText(index)));
    });
}

}  // namespace driftmere
