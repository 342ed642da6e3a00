#pragma once
// The "Settings" tab: wind and drafts, mouse sensitivity, the message, the clock, their font
// and power saving. Each control stores its setting through the ControlBox as it changes.
#include <QWidget>

#include "settings/SettingsStore.h"
#include "setup/ControlBox.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QScrollBar;

namespace driftmere {

class FontChooser;

class SettingsPage : public QWidget {
    Q_OBJECT

  public:
    SettingsPage(ControlBox& box, SettingsStore& store);

    // The controls the dialog fills when it loads the settings.
    QScrollBar* windSpeed = nullptr;
    QScrollBar* draft = nullptr;
    QScrollBar* mouseSensitivity = nullptr;
    QCheckBox* showMessage = nullptr;
    QLineEdit* message = nullptr;
    QLineEdit* messageSize = nullptr;
    QCheckBox* showClock = nullptr;
    QLineEdit* clockSize = nullptr;
    QCheckBox* powerSave = nullptr;
    FontChooser* font = nullptr;

  private:
    QGroupBox* BuildAirFrame();
    QGroupBox* BuildMouseFrame();
    QGroupBox* BuildMessageFrame();
    QGroupBox* BuildClockFrame();

    ControlBox& box_;
};

}  // namespace driftmere
