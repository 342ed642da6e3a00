#pragma once
// The "Sounds" tab: music on or off, when it stops by itself, the keys that change it while
// the saver runs, and which of the eight songs take turns.
#include <QWidget>

#include "setup/ControlBox.h"

class QCheckBox;
class QComboBox;

namespace driftmere {

class SoundsPage : public QWidget {
    Q_OBJECT

  public:
    explicit SoundsPage(ControlBox& box);

    // The controls the dialog fills when it loads the settings.
    QCheckBox* musicOn = nullptr;
    QComboBox* stopMusicAfter = nullptr;
    QCheckBox* songs[8] = {};

  private:
    ControlBox& box_;
};

}  // namespace driftmere
