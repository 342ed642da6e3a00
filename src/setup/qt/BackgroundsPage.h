#pragma once
// The "BackGrounds" tab: whether a backdrop is shown, which of the seven take turns, and how
// long each stays.
#include <QString>
#include <QWidget>
#include <functional>

#include "setup/ControlBox.h"

class QCheckBox;
class QScrollBar;

namespace driftmere {

class BackgroundsPage : public QWidget {
    Q_OBJECT

  public:
    // `dataFolder` holds the thumbnails; `remind` tells the user to choose a backdrop when
    // "Show a background" is checked.
    BackgroundsPage(ControlBox& box, const QString& dataFolder, std::function<void()> remind);

    // The controls the dialog fills when it loads the settings.
    QCheckBox* showBackground = nullptr;
    QCheckBox* backdrops[7] = {};
    QScrollBar* scrollTime = nullptr;

  private:
    void ShowBackgroundClicked(bool checked);

    ControlBox& box_;
    std::function<void()> remind_;
};

}  // namespace driftmere
