#pragma once
// The "Driftmere Control Box": every setting of the saver on three tabs. It fills its controls
// from the settings store when it is made and writes each setting the moment its control
// changes; there is nothing to apply or cancel. Closing it (OK, Escape or the window's close
// button) is all that is left to do.
#include <QDialog>
#include <QString>
#include <QUrl>
#include <functional>

#include "settings/SettingsStore.h"
#include "setup/ControlBox.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabWidget;

namespace driftmere {

class SetupDialog : public QDialog {
    Q_OBJECT

public:
    // `dataFolder` ends with '/': the banner, the backdrop thumbnails and the manual live there.
    SetupDialog(SettingsStore& store, QString dataFolder, QWidget* parent = nullptr);
    ~SetupDialog() override;

    // How the dialog opens the manual or the home page. Replaceable so that tests see the
    // address without opening anything.
    std::function<void(const QUrl&)> openUrl;
    // How the dialog shows the backdrop reminder and the About box. Replaceable so that tests
    // are not stopped by a modal box.
    std::function<void(const QString& title, const QString& text)> showMessage;
    std::function<void(const QString& title, const QString& text)> showAbout;

    // Fills the font list with every installed font (emptying it first), then selects the
    // stored font.
    void LoadFonts();
    // How many times the font list has been filled since the dialog was made.
    int FontLoads() const { return fontLoads_; }

    // The address the help button opens: the manual that ships with the program.
    QUrl HelpUrl() const;
    // The address the web button opens: the home page when the build names one, else the
    // manual's section about the project.
    QUrl WebUrl() const;
    // The About box's text.
    static QString AboutText();

private:
    QWidget* BuildSettingsTab();
    QWidget* BuildBackgroundsTab();
    QWidget* BuildSoundsTab();
    QCheckBox* MakeCheck(const CheckSetting& box, QWidget* parent);
    QScrollBar* MakeBar(const BarSetting& bar, QWidget* parent);
    QLineEdit* MakeText(const TextSetting& box, QWidget* parent);
    QLabel* MakeReadout(const char* name, const QString& text, const QString& widest,
                        QWidget* parent);
    QLabel* MakePicture(const char* name, const QString& file, QWidget* parent);

    void Load();
    // The list entry of the stored font: its name when installed, else its stored index.
    int StoredFontEntry() const;
    void SelectStoredFont();
    void ShowBackgroundClicked(bool checked);
    void FontsBoxToggled(bool checked);

    SettingsStore& store_;
    QString dataFolder_;
    ControlBox box_;
    int fontLoads_ = 0;
    // While the font list is being refilled its index changes are not the user's choice.
    bool fillingFonts_ = false;

    QTabWidget* tabs_ = nullptr;
    QScrollBar* windSpeed_ = nullptr;
    QScrollBar* draft_ = nullptr;
    QScrollBar* mouseSens_ = nullptr;
    QScrollBar* scroll_ = nullptr;
    QLabel* windSpeedText_ = nullptr;
    QLabel* windWord_ = nullptr;
    QLabel* draftText_ = nullptr;
    QLabel* draftWord_ = nullptr;
    QLabel* mouseSensText_ = nullptr;
    QLabel* scrollText_ = nullptr;
    QCheckBox* fonts_ = nullptr;
    QComboBox* fontList_ = nullptr;
    QCheckBox* showMessage_ = nullptr;
    QLineEdit* message_ = nullptr;
    QLineEdit* messageSize_ = nullptr;
    QCheckBox* clock_ = nullptr;
    QLineEdit* clockSize_ = nullptr;
    QCheckBox* powerSave_ = nullptr;
    QCheckBox* showBackground_ = nullptr;
    QCheckBox* backdrops_[7] = {};
    QCheckBox* musicOn_ = nullptr;
    QComboBox* soundOff_ = nullptr;
    QCheckBox* songs_[8] = {};
};

}  // namespace driftmere
