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

namespace driftmere {

class BackgroundsPage;
class SettingsPage;
class SoundsPage;

class SetupDialog : public QDialog {
    Q_OBJECT

  public:
    // `dataFolder` ends with '/': the banner, the backdrop thumbnails and the manual live there.
    SetupDialog(SettingsStore& store, QString dataFolder, QWidget* parent = nullptr);
    ~SetupDialog() override;

    // How the dialog opens the manual or the home page; false when nothing could open it
    // (no browser, no desktop's opener). Replaceable so that tests see the address without
    // opening anything.
    std::function<bool(const QUrl&)> openUrl;
    // How the dialog shows the backdrop reminder and the About box. Replaceable so that tests
    // are not stopped by a modal box.
    std::function<void(const QString& title, const QString& text)> showMessage;
    std::function<void(const QString& title, const QString& text)> showAbout;

    // How many times the font list has been filled since the dialog was made.
    int FontLoads() const;

    // The address the help button opens: the manual that ships with the program.
    QUrl HelpUrl() const;
    // The address the web button opens: the home page when the build names one, else the
    // manual's section about the project.
    QUrl WebUrl() const;
    // What the message box says when nothing could open `url`: where the manual is, so it
    // can be opened by hand.
    QString CannotOpenText(const QUrl& url) const;
    // The About box's text.
    static QString AboutText();

  private:
    void AddButtons();
    void OpenOrSayWhere(const QUrl& url);
    void Load();

    SettingsStore& store_;
    QString dataFolder_;
    ControlBox box_;
    SettingsPage* settingsPage_ = nullptr;
    BackgroundsPage* backgroundsPage_ = nullptr;
    SoundsPage* soundsPage_ = nullptr;
};

}  // namespace driftmere
