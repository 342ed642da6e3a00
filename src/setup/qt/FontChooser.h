#pragma once
// The "Font" frame: the list of installed fonts for the clock and the message, and the box
// that skips the list (filling it takes a moment on a system with many fonts).
#include <QGroupBox>

#include "settings/SettingsStore.h"
#include "setup/ControlBox.h"

class QCheckBox;
class QComboBox;

namespace driftmere {

class FontChooser : public QGroupBox {
    Q_OBJECT

  public:
    FontChooser(ControlBox& box, SettingsStore& store, QWidget* parent);

    QCheckBox* skipFontsBox() const { return skipFonts_; }

    // Fills the list with every installed font (emptying it first), then shows the stored
    // font.
    void LoadFonts();
    // Shows the stored font: its name when installed, else the family drawn in its place, else
    // its stored index. Stores nothing: only the user's choice in the list is stored.
    void SelectStoredFont();
    // How many times the list has been filled.
    int FontLoads() const { return fontLoads_; }

  private:
    int StoredFontEntry() const;
    void SkipFontsToggled(bool checked);

    ControlBox& box_;
    SettingsStore& store_;
    QComboBox* fontList_ = nullptr;
    QCheckBox* skipFonts_ = nullptr;
    int fontLoads_ = 0;
};

}  // namespace driftmere
