#include "setup/qt/SettingsPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "setup/qt/DialogWidgets.h"
#include "setup/qt/FontChooser.h"
#include "setup/qt/SpreadCaption.h"

namespace driftmere {

SettingsPage::SettingsPage(ControlBox& box, SettingsStore& store) : box_(box) {
    auto* grid = new QGridLayout(this);
    grid->addWidget(BuildAirFrame(), 0, 0);
    grid->addWidget(BuildMouseFrame(), 1, 0);
    grid->addWidget(BuildMessageFrame(), 0, 1);
    grid->addWidget(BuildClockFrame(), 1, 1);
    font = new FontChooser(box, store, this);
    grid->addWidget(font, 2, 0, 1, 2);

    powerSave = MakeCheck(kPowerSaveCheck, this);
    powerSave->setToolTip(QStringLiteral(
        "If you have your Monitor set to turn off enabling this will keep that setting, otherwise "
        "the screensaver will ignore those settings"));
    grid->addWidget(powerSave, 3, 0, 1, 2);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    for (auto [check, setting] :
         {std::pair{showMessage, kShowMessageCheck}, std::pair{showClock, kClockCheck},
          std::pair{powerSave, kPowerSaveCheck}}) {
        connect(check, &QCheckBox::toggled, this,
                [this, setting](bool on) { box_.CheckChanged(setting, on); });
    }
}

QGroupBox* SettingsPage::BuildAirFrame() {
    QGroupBox* air = MakeFrame("airFrame", QStringLiteral("Air Controls"), this);
    auto* layout = new QGridLayout(air);
    QLabel* windLabel = MakeLabel(QStringLiteral("Wind Speed >"), air, "windSpeedLabel");
    QLabel* windSpeedText =
        MakeReadout("txtWindSpeed", ToQString(WindSpeedText(kWindSpeedBar.initial)),
                    QStringLiteral("15 MPH"), air);
    QLabel* windWord = MakeReadout("txtWS", ToQString(WindWord(kWindSpeedBar.initial)),
                                   QStringLiteral("Moderate"), air);
    windSpeed = MakeBar(kWindSpeedBar, air);
    windLabel->setBuddy(windSpeed);
    layout->addWidget(windLabel, 0, 0);
    layout->addWidget(windSpeedText, 0, 1);
    layout->addWidget(windWord, 0, 2);
    layout->addWidget(windSpeed, 1, 0, 1, 3);
    auto* strength = new SpreadCaption(QStringLiteral("Weak ------------------------------ Strong"),
                                       nullptr, air);
    strength->setObjectName(QStringLiteral("windStrengthCaption"));
    layout->addWidget(strength, 2, 0, 1, 3);
    layout->setRowMinimumHeight(3, air->fontMetrics().height() / 2);

    QLabel* draftText =
        MakeReadout("txtDraft2", QString::number(kDraftBar.initial), QStringLiteral("15 MPH"), air);
    QLabel* draftWord = MakeReadout("txtDraft1", ToQString(DraftWord(kDraftBar.initial)),
                                    QStringLiteral("Moderate"), air);
    layout->addWidget(draftText, 4, 1);
    layout->addWidget(draftWord, 4, 2);
    draft = MakeBar(kDraftBar, air);
    layout->addWidget(draft, 5, 0, 1, 3);
    auto* drafts = new SpreadCaption(
        QStringLiteral("Down -------------- Drafts --------------- Up"), nullptr, air);
    drafts->setObjectName(QStringLiteral("draftsCaption"));
    layout->addWidget(drafts, 6, 0, 1, 3);
    layout->setColumnStretch(0, 1);

    connect(windSpeed, &QScrollBar::valueChanged, this, [this, windSpeedText, windWord](int v) {
        ControlBox::Readout r = box_.WindSpeedChanged(v);
        windSpeedText->setText(ToQString(r.value));
        windWord->setText(ToQString(r.word));
    });
    connect(draft, &QScrollBar::valueChanged, this, [this, draftText, draftWord](int v) {
        ControlBox::Readout r = box_.DraftChanged(v);
        draftText->setText(ToQString(r.value));
        draftWord->setText(ToQString(r.word));
    });
    return air;
}

QGroupBox* SettingsPage::BuildMouseFrame() {
    QGroupBox* mouse = MakeFrame("mouseFrame", QStringLiteral("Mouse Sensitivity"), this);
    auto* layout = new QGridLayout(mouse);
    mouseSensitivity = MakeBar(kMouseSensBar, mouse);
    mouseSensitivity->setToolTip(QStringLiteral("Change the sensitivity of the mouse"));
    QLabel* readout = MakeReadout("txtMouseS", QString::number(kMouseSensBar.initial),
                                  QStringLiteral("20"), mouse);
    layout->addWidget(mouseSensitivity, 0, 0);
    layout->addWidget(readout, 0, 1);
    auto* touchRow = new QHBoxLayout;
    touchRow->addWidget(MakeLabel(QStringLiteral("Light Touch"), mouse));
    touchRow->addStretch(1);
    touchRow->addWidget(MakeLabel(QStringLiteral("HeavyTouch"), mouse));
    layout->addLayout(touchRow, 1, 0);
    layout->setColumnStretch(0, 1);

    connect(mouseSensitivity, &QScrollBar::valueChanged, this,
            [this, readout](int v) { readout->setText(ToQString(box_.MouseSensChanged(v))); });
    return mouse;
}

QGroupBox* SettingsPage::BuildMessageFrame() {
    QGroupBox* frame = MakeFrame("messageFrame", QStringLiteral("Show Message"), this);
    auto* layout = new QGridLayout(frame);
    showMessage = MakeCheck(kShowMessageCheck, frame);
    layout->addWidget(showMessage, 0, 0, 1, 2);
    QLabel* messageLabel = MakeLabel(QStringLiteral("Type your message below:"), frame);
    layout->addWidget(messageLabel, 1, 0, 1, 2);
    message = MakeText(box_, kMessageText, frame);
    messageLabel->setBuddy(message);
    layout->addWidget(message, 2, 0, 1, 2);
    QLabel* sizeLabel = MakeLabel(QStringLiteral("Font Size:"), frame);
    messageSize = MakeText(box_, kMessageSizeText, frame);
    messageSize->setMaximumWidth(messageSize->fontMetrics().averageCharWidth() * 8);
    sizeLabel->setBuddy(messageSize);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(sizeLabel);
    sizeRow->addWidget(messageSize);
    sizeRow->addStretch(1);
    layout->addLayout(sizeRow, 3, 0, 1, 2);
    return frame;
}

QGroupBox* SettingsPage::BuildClockFrame() {
    QGroupBox* frame = MakeFrame("clockFrame", QStringLiteral("Clock"), this);
    auto* layout = new QHBoxLayout(frame);
    showClock = MakeCheck(kClockCheck, frame);
    showClock->setToolTip(QStringLiteral("Show or Remove Clock"));
    layout->addWidget(showClock);
    layout->addStretch(1);
    QLabel* sizeLabel = MakeLabel(QStringLiteral("Font Size:"), frame);
    clockSize = MakeText(box_, kClockSizeText, frame);
    clockSize->setToolTip(QStringLiteral("Type size of font for clock"));
    clockSize->setMaximumWidth(clockSize->fontMetrics().averageCharWidth() * 8);
    sizeLabel->setBuddy(clockSize);
    layout->addWidget(sizeLabel);
    layout->addWidget(clockSize);
    return frame;
}

}  // namespace driftmere
