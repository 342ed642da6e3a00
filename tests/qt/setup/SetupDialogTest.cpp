// The Control Box and the preview picture, driven through their widgets offscreen.
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "fakes/MemoryStore.h"
#include "setup/qt/PreviewForm.h"
#include "setup/qt/SetupDialog.h"

using driftmere::PreviewForm;
using driftmere::SetupDialog;
using driftmere::testing::MemoryStore;

namespace {

constexpr const char* kAllChecks[] = {
    "chkFonts", "chkShowMessage", "chkClock", "chkPowerSave", "chkBackGround", "chkBGM1",
    "chkBGM2",  "chkBGM3",        "chkBGM4",  "chkBGB1",      "chkBGB2",       "chkBGB3",
    "chkMusicOn",   "ChkMidi1",       "ChkMidi2", "ChkMidi3",     "ChkMidi4",      "ChkMidi5",
    "ChkMidi6", "ChkMidi7",       "ChkMidi8"};
constexpr const char* kBackdrops[] = {"chkBGM1", "chkBGM2", "chkBGM3", "chkBGM4",
                                      "chkBGB1", "chkBGB2", "chkBGB3"};

QString Stored(MemoryStore& store, const char* section, const char* key) {
    auto v = store.Get(section, key);
    return v ? QString::fromStdString(*v) : QStringLiteral("<absent>");
}

int WritesOf(const MemoryStore& store, const char* key) {
    int n = 0;
    for (const auto& w : store.writes) n += driftmere::SameName(w.key, key);
    return n;
}

// The writes since the last call, as "Key=value", in order.
QStringList TakeWrites(MemoryStore& store) {
    QStringList writes;
    for (const auto& w : store.writes) writes << QString::fromStdString(w.key + '=' + w.value);
    store.writes.clear();
    return writes;
}

// Clicks a check box on its indicator: a click in the middle of a stretched box misses.
void ClickCheck(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
}

}  // namespace

class SetupDialogTest : public QObject {
    Q_OBJECT

    MemoryStore store;
    QTemporaryDir empty;  // a data folder without pictures or manual
    std::unique_ptr<SetupDialog> dialog;
    QStringList messages;
    QList<QUrl> opened;

    SetupDialog& Open(bool show = false) {
        dialog = std::make_unique<SetupDialog>(store, empty.path() + u'/');
        dialog->showMessage = [this](const QString& title, const QString& text) {
            messages << title + u'|' + text;
        };
        dialog->showAbout = dialog->showMessage;
        dialog->openUrl = [this](const QUrl& url) { opened << url; };
        if (show) {
            dialog->show();
            if (!QTest::qWaitForWindowExposed(dialog.get())) qWarning("dialog not exposed");
        }
        return *dialog;
    }
    template <class T>
    T* Find(const char* name) {
        T* w = dialog->findChild<T*>(QString::fromLatin1(name));
        if (!w) qWarning("no control named %s", name);
        return w;
    }

  private slots:
    void init() {
        store = MemoryStore();
        messages.clear();
        opened.clear();
    }
    void cleanup() { dialog.reset(); }

    void everyControlIsThereWithItsCaption() {
        Open();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Driftmere Control Box"));
        auto* tabs = Find<QTabWidget>("tabs");
        QVERIFY(tabs);
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Settings"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("BackGrounds"));
        QCOMPARE(tabs->tabText(2), QStringLiteral("Sounds"));
        for (const char* name : kAllChecks) QVERIFY2(Find<QCheckBox>(name), name);
        // The stretched captions keep their exact text on their objects.
        QStringList captions;
        for (QWidget* w : dialog->findChildren<QWidget*>())
            if (w->property("text").isValid()) captions << w->property("text").toString();
        for (const char* caption :
             {"Down -------------- Drafts --------------- Up",
              "Weak ------------------------------ Strong", "Every                   Minutes",
              "Stop sound after:                           min."})
            QVERIFY2(captions.contains(QString::fromLatin1(caption)), caption);
        for (auto [name, lo, hi] : {std::tuple{"hsbWindSpeed", 0, 15},
                                    {"hsbDraft", -15, 15},
                                    {"hsbMouseS", 2, 20},
                                    {"hsbScroll", 1, 500}}) {
            auto* bar = Find<QScrollBar>(name);
            QCOMPARE(bar->minimum(), lo);
            QCOMPARE(bar->maximum(), hi);
            QCOMPARE(bar->focusPolicy(), Qt::StrongFocus);
        }
        QCOMPARE(Find<QComboBox>("cboSoundOff")->count(), 20);
    }

    void firstRunShowsTheReadDefaultEverywhere() {
        Open();
        for (const char* name : kAllChecks) QVERIFY2(Find<QCheckBox>(name)->isChecked(), name);
        QCOMPARE(Find<QLineEdit>("txtMessage")->text(), QStringLiteral("1"));
        QCOMPARE(Find<QLineEdit>("txtFontSize")->text(), QStringLiteral("1"));
        QCOMPARE(Find<QComboBox>("cboSoundOff")->currentText(), QStringLiteral("1"));
        QCOMPARE(Find<QScrollBar>("hsbWindSpeed")->value(), 1);
        QCOMPARE(Find<QLabel>("txtWindSpeed")->text(), QStringLiteral("1 MPH"));
        QCOMPARE(Find<QLabel>("txtWS")->text(), QStringLiteral("Weak"));
        QCOMPARE(Find<QScrollBar>("hsbDraft")->value(), 1);
        QCOMPARE(Find<QLabel>("txtDraft1")->text(), QStringLiteral("Up"));
        QCOMPARE(Find<QScrollBar>("hsbScroll")->value(), 1);
        QCOMPARE(Find<QScrollBar>("hsbMouseS")->value(), 2);
        QCOMPARE(Find<QLabel>("txtMouseS")->text(), QStringLiteral("2"));
        // Loading stores again what changed a control (the wind moved off 0, the boxes got
        // checked), and nothing else; the first-run marker stays the saver's business.
        QCOMPARE(Stored(store, "Settings", "WindSpeed"), QStringLiteral("1"));
        QCOMPARE(Stored(store, "Settings", "ScrollSec"), QStringLiteral("60"));
        QCOMPARE(Stored(store, "music", "SoundOn"), QStringLiteral("True"));
        for (const char* key : {"CheckFont", "ShowMessage", "PwrSave", "Mountain1", "Beach3"})
            QCOMPARE(Stored(store, "Settings", key), QStringLiteral("1"));
        QCOMPARE(Stored(store, "System", "Clock"), QStringLiteral("1"));
        QCOMPARE(Stored(store, "music", "Midi8"), QStringLiteral("1"));
        QCOMPARE(Stored(store, "Settings", "ShowBkGrnd"), QStringLiteral("<absent>"));
        // An absent sensitivity reads as 1 in the saver (the first move would end it); the bar
        // shows 2 and so stores 2.
        QCOMPARE(Stored(store, "System", "MouseSens"), QStringLiteral("2"));
        QCOMPARE(Stored(store, "music", "SoundOff"), QStringLiteral("<absent>"));
        QCOMPARE(Stored(store, "System", "SetReg"), QStringLiteral("<absent>"));
        QVERIFY(messages.isEmpty());
    }

    void loadingWritesBackOnlyWhatChangedAControl() {
        store.Set("Settings", "WindSpeed", "0");
        store.Set("Settings", "Drafts", "-3");
        store.Set("Settings", "Scroll", "15");
        store.Set("Settings", "ScrollSec", "900");
        store.Set("Settings", "Mountain2", "0");
        store.Set("System", "MouseSens", "99");
        store.Set("Settings", "ShowBkGrnd", "0");
        Open();
        // Loading never enables or disables the backdrop boxes.
        QVERIFY(!Find<QCheckBox>("chkBackGround")->isChecked());
        for (const char* name : kBackdrops) QVERIFY2(Find<QCheckBox>(name)->isEnabled(), name);
        QVERIFY(Find<QScrollBar>("hsbScroll")->isEnabled());
        QCOMPARE(WritesOf(store, "WindSpeed"), 0);
        QCOMPARE(Find<QLabel>("txtWindSpeed")->text(), QStringLiteral("0 MPH"));
        QCOMPARE(Find<QLabel>("txtWS")->text(), QStringLiteral("None"));
        QCOMPARE(Stored(store, "Settings", "Drafts"), QStringLiteral("-3"));
        QCOMPARE(Find<QLabel>("txtDraft1")->text(), QStringLiteral("Down"));
        QCOMPARE(Find<QLabel>("txtScroll")->text(), QStringLiteral("15"));
        QCOMPARE(WritesOf(store, "Scroll") + WritesOf(store, "ScrollSec"), 0);
        QCOMPARE(Stored(store, "Settings", "ScrollSec"), QStringLiteral("900"));
        QCOMPARE(WritesOf(store, "Mountain2"), 0);
        QVERIFY(!Find<QCheckBox>("chkBGM2")->isChecked());
        // Out of range: clamped, and the clamped value stored.
        QCOMPARE(Find<QScrollBar>("hsbMouseS")->value(), 20);
        QCOMPARE(Stored(store, "System", "MouseSens"), QStringLiteral("20"));
    }

    void loadingStoresWhatTheControlsShow() {
        // Values the saver would read otherwise than the dialog shows them: out of range, not
        // whole, a check that is no 0 or 1, text that is no number, a scroll time in seconds
        // that is not the minutes shown.
        const struct {
            const char *section, *key, *stored, *after;
        } cases[] = {
            {"Settings", "WindSpeed", "-3", "0"}, {"System", "MouseSens", "1", "2"},
            {"Settings", "Drafts", "20", "15"},   {"Settings", "Mountain1", "1.4", "1"},
            {"Settings", "Beach2", "2", "0"},     {"Settings", "ShowBkGrnd", "yes", "1"},
            {"System", "Clock", "-1", "0"},       {"music", "Midi4", "0.6", "1"},
            {"music", "SoundOn", "1", "True"},    {"Settings", "ScrollSec", "60", "900"},
            {"Settings", "Scroll", "15", "15"},
        };
        for (const auto& c : cases) store.Set(c.section, c.key, c.stored);
        Open();
        QCOMPARE(Find<QLabel>("txtWindSpeed")->text(), QStringLiteral("0 MPH"));
        QCOMPARE(Find<QLabel>("txtWS")->text(), QStringLiteral("None"));
        QCOMPARE(Find<QLabel>("txtMouseS")->text(), QStringLiteral("2"));
        QCOMPARE(Find<QLabel>("txtDraft2")->text(), QStringLiteral("15"));
        QVERIFY(Find<QCheckBox>("chkBGM1")->isChecked());
        QVERIFY(!Find<QCheckBox>("chkBGB2")->isChecked());
        for (const auto& c : cases)
            QVERIFY2(Stored(store, c.section, c.key) == QString::fromLatin1(c.after), c.key);
        // Each once: a value stored as the control moves is not stored again.
        QCOMPARE(WritesOf(store, "WindSpeed"), 1);
        QCOMPARE(WritesOf(store, "Drafts"), 1);
        QCOMPARE(WritesOf(store, "Scroll"), 1);
    }

    void fontListIsFilledOnceOrNotAtAll() {
        store.Set("Settings", "CheckFont", "1");
        Open();
        auto* list = Find<QComboBox>("cboFontsScreen");
        QCOMPARE(dialog->FontLoads(), 0);
        QCOMPARE(list->count(), 0);
        QVERIFY(!list->isEnabled());

        const QStringList families = QFontDatabase::families();
        QVERIFY(families.size() >= 2);
        store = MemoryStore();
        store.Set("Settings", "CheckFont", "0");
        store.Set("Settings", "SelectedFont", "0");
        store.Set("Settings", "FontName", families[1].toStdString());
        Open(true);
        list = Find<QComboBox>("cboFontsScreen");
        QCOMPARE(dialog->FontLoads(), 1);
        QCOMPARE(list->count(), families.size());
        QVERIFY(list->isEnabled());
        // The stored name wins over the stored index, so opening never changes the font.
        QCOMPARE(list->currentIndex(), 1);
        QCOMPARE(Stored(store, "Settings", "SelectedFont"), QStringLiteral("1"));
        QCOMPARE(Stored(store, "Settings", "FontName"), families[1]);

        // Checking and clearing the box again refills the list instead of doubling it.
        dialog->findChild<QTabWidget*>("tabs")->setCurrentIndex(0);
        auto* fonts = Find<QCheckBox>("chkFonts");
        ClickCheck(fonts);
        QVERIFY(!list->isEnabled());
        QCOMPARE(Stored(store, "Settings", "CheckFont"), QStringLiteral("1"));
        ClickCheck(fonts);
        QVERIFY(list->isEnabled());
        QCOMPARE(Stored(store, "Settings", "CheckFont"), QStringLiteral("0"));
        QCOMPARE(dialog->FontLoads(), 2);
        QCOMPARE(list->count(), families.size());
        QCOMPARE(list->currentIndex(), 1);

        // Choosing a font stores its index, then its name.
        TakeWrites(store);
        list->setCurrentIndex(0);
        QCOMPARE(TakeWrites(store), QStringList({"SelectedFont=0", "FontName=" + families[0]}));
    }

    void aFontNoLongerInstalledFallsBackToTheStoredIndex() {
        const QStringList families = QFontDatabase::families();
        store.Set("Settings", "CheckFont", "0");
        store.Set("Settings", "SelectedFont", "1");
        store.Set("Settings", "FontName", "No Such Font Anywhere");
        Open();
        QCOMPARE(Find<QComboBox>("cboFontsScreen")->currentIndex(), 1);
        QCOMPARE(Stored(store, "Settings", "FontName"), families[1]);
    }

    void showBackgroundClearsAndRemindsOnUserClicks() {
        Open(true);
        dialog->findChild<QTabWidget*>("tabs")->setCurrentIndex(1);
        auto* show = Find<QCheckBox>("chkBackGround");
        TakeWrites(store);
        ClickCheck(show);
        QVERIFY(!show->isChecked());
        QCOMPARE(TakeWrites(store),
                 QStringList({"Beach1=0", "Beach2=0", "Beach3=0", "Mountain1=0", "Mountain2=0",
                              "Mountain3=0", "Mountain4=0", "ShowBkGrnd=0"}));
        for (const char* name : kBackdrops) {
            QVERIFY2(!Find<QCheckBox>(name)->isEnabled(), name);
            QVERIFY2(Find<QCheckBox>(name)->isChecked(), name);
        }
        QVERIFY(!Find<QScrollBar>("hsbScroll")->isEnabled());
        QVERIFY(messages.isEmpty());

        // Checking it again, here with the keyboard, enables the boxes and reminds the user
        // before anything is stored, and stores no backdrop until one is clicked.
        QStringList storedAtReminder;
        dialog->showMessage = [&](const QString& title, const QString& text) {
            messages << title + u'|' + text;
            QVERIFY(Find<QCheckBox>("chkBGM1")->isEnabled());
            storedAtReminder = TakeWrites(store);
        };
        show->setFocus();
        QTest::keyClick(show, Qt::Key_Space);
        QVERIFY(show->isChecked());
        QCOMPARE(storedAtReminder, QStringList());
        QCOMPARE(messages,
                 QStringList{QStringLiteral("Driftmere|You must select at least one background")});
        QCOMPARE(TakeWrites(store), QStringList{"ShowBkGrnd=1"});
        for (const char* name : kBackdrops) QVERIFY2(Find<QCheckBox>(name)->isEnabled(), name);
        QVERIFY(Find<QScrollBar>("hsbScroll")->isEnabled());
        ClickCheck(Find<QCheckBox>("chkBGM1"));  // unchecks
        ClickCheck(Find<QCheckBox>("chkBGM1"));  // checks
        QCOMPARE(Stored(store, "Settings", "Mountain1"), QStringLiteral("1"));
    }

    void scrollBarsMoveTheNaturalWayAndKeepTheirReadouts() {
        store.Set("Settings", "WindSpeed", "0");
        Open(true);
        auto* wind = Find<QScrollBar>("hsbWindSpeed");
        wind->setFocus();
        // Right and Up raise the value, Left and Down lower it; Home and End go to the ends.
        for (auto [key, value, word] : {std::tuple{Qt::Key_Right, 1, "Weak"},
                                        {Qt::Key_Up, 2, "Weak"},
                                        {Qt::Key_End, 15, "Strong"},
                                        {Qt::Key_Left, 14, "Strong"},
                                        {Qt::Key_Down, 13, "Strong"},
                                        {Qt::Key_Home, 0, "None"}}) {
            QTest::keyClick(wind, key);
            QCOMPARE(wind->value(), value);
            QCOMPARE(Find<QLabel>("txtWindSpeed")->text(), QStringLiteral("%1 MPH").arg(value));
            QCOMPARE(Find<QLabel>("txtWS")->text(), QString::fromLatin1(word));
            QCOMPARE(Stored(store, "Settings", "WindSpeed"), QString::number(value));
        }

        auto* draft = Find<QScrollBar>("hsbDraft");
        for (auto [v, word] : {std::pair{-1, "Down"}, {0, "None"}, {1, "Up"}}) {
            draft->setValue(v);
            QCOMPARE(Find<QLabel>("txtDraft2")->text(), QString::number(v));
            QCOMPARE(Find<QLabel>("txtDraft1")->text(), QString::fromLatin1(word));
            QCOMPARE(Stored(store, "Settings", "Drafts"), QString::number(v));
        }

        TakeWrites(store);
        Find<QScrollBar>("hsbScroll")->setValue(500);
        QCOMPARE(Find<QLabel>("txtScroll")->text(), QStringLiteral("500"));
        QCOMPARE(TakeWrites(store), QStringList({"Scroll=500", "ScrollSec=30000"}));
    }

    void stopMusicListStoresOnlyChosenEntries() {
        store.Set("music", "SoundOff", "45");
        Open(true);
        auto* list = Find<QComboBox>("cboSoundOff");
        QCOMPARE(list->currentText(), QStringLiteral("45"));
        QCOMPARE(WritesOf(store, "SoundOff"), 0);
        dialog->findChild<QTabWidget*>("tabs")->setCurrentIndex(2);
        list->setFocus();
        list->lineEdit()->selectAll();
        QTest::keyClicks(list->lineEdit(), "7");
        QCOMPARE(WritesOf(store, "SoundOff"), 0);
        emit list->activated(0);  // the user picks "Never"
        QCOMPARE(Stored(store, "music", "SoundOff"), QStringLiteral("Never"));
    }

    void checkBoxesStoreTheirStateAsTheyChange() {
        store.Set("music", "SoundOn", "False");
        Open(true);
        auto* music = Find<QCheckBox>("chkMusicOn");
        QVERIFY(!music->isChecked());
        dialog->findChild<QTabWidget*>("tabs")->setCurrentIndex(2);
        ClickCheck(music);
        QCOMPARE(Stored(store, "music", "SoundOn"), QStringLiteral("True"));
        ClickCheck(music);
        QCOMPARE(Stored(store, "music", "SoundOn"), QStringLiteral("False"));
        ClickCheck(Find<QCheckBox>("ChkMidi3"));
        QCOMPARE(Stored(store, "music", "Midi3"), QStringLiteral("0"));
    }

    void textBoxesStoreEveryEditExactly() {
        Open(true);
        auto* message = Find<QLineEdit>("txtMessage");
        message->clear();
        QCOMPARE(Stored(store, "Settings", "Message"), QString());
        store.writes.clear();
        message->setFocus();
        QTest::keyClicks(message, "Hi!");
        QCOMPARE(WritesOf(store, "Message"), 3);
        QCOMPARE(Stored(store, "Settings", "Message"), QStringLiteral("Hi!"));
        QTest::keyClick(message, Qt::Key_Backspace);
        QCOMPARE(Stored(store, "Settings", "Message"), QStringLiteral("Hi"));

        const QString text = QStringLiteral("Ballons über Zürich ☁ 気球");
        message->setText(text);
        QCOMPARE(*store.Get("Settings", "Message"), text.toStdString());
        // The font sizes are stored as typed, numbers or not.
        Find<QLineEdit>("txtFontSizeMsg")->setText(QStringLiteral("big"));
        QCOMPARE(Stored(store, "Settings", "FontSizeMsg"), QStringLiteral("big"));

        // And the stored text comes back unchanged.
        Open();
        QCOMPARE(Find<QLineEdit>("txtMessage")->text(), text);
    }

    void buttonsOpenTheManualAndTheAboutBox() {
        Open(true);
        QTest::mouseClick(Find<QPushButton>("cmdHelp"), Qt::LeftButton);
        QTest::mouseClick(Find<QPushButton>("cmdWeb"), Qt::LeftButton);
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened[0], QUrl::fromLocalFile(empty.path() + QStringLiteral("/manual.html")));
        // Without a home page in the build, the web button opens the manual's about section.
        QCOMPARE(opened[1], dialog->WebUrl());
        if (opened[1].isLocalFile()) {
            QCOMPARE(opened[1].fileName(), QStringLiteral("manual.html"));
            QCOMPARE(opened[1].fragment(), QStringLiteral("about"));
        }
        QTest::mouseClick(Find<QPushButton>("cmdAbout"), Qt::LeftButton);
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].startsWith(QStringLiteral("About Driftmere|Driftmere\n")));
        QVERIFY(messages[0].contains(QRegularExpression(QStringLiteral("Version \\d+\\.\\d+"))));
        QCOMPARE(messages[0].count(u'\n'), 2);  // name, version, contact

        QTest::mouseClick(Find<QPushButton>("cmdOK"), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    }

    void theShippedManualHasTheSectionTheWebButtonOpens() {
        const QString data = qEnvironmentVariable("DRIFTMERE_DATA_DIR");
        if (data.isEmpty()) QSKIP("DRIFTMERE_DATA_DIR is not set");
        QFile manual(data + QStringLiteral("/manual.html"));
        QVERIFY(manual.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(manual.readAll());
        QVERIFY(html.contains(QStringLiteral("id=\"about\"")));
        QVERIFY(!html.contains(u'@' + QStringLiteral("DRIFTMERE_")));  // every field filled in
    }

    void missingPicturesLeaveEmptySpaces() {
        Open(true);
        QVERIFY(Find<QLabel>("banner")->pixmap().isNull());
        QVERIFY(Find<QLabel>("thumb-beach03")->pixmap().isNull());

        QTemporaryDir data;
        QImage banner(40, 10, QImage::Format_RGB32);
        banner.fill(Qt::red);
        QVERIFY(banner.save(data.path() + QStringLiteral("/banner.bmp")));
        SetupDialog withBanner(store, data.path() + u'/');
        QCOMPARE(withBanner.findChild<QLabel*>("banner")->pixmap().size(), QSize(40, 10));
    }
};

class PreviewFormTest : public QObject {
    Q_OBJECT

  private slots:
    void missingPictureIsSkyBlue() {
        QTemporaryDir empty;
        PreviewForm form(empty.path() + u'/');
        form.resize(60, 40);
        QVERIFY(!form.HasPicture());
        QImage shot = form.grab().toImage();
        QCOMPARE(shot.pixel(0, 0), PreviewForm::kSkyBlue);
        QCOMPARE(shot.pixel(59, 39), PreviewForm::kSkyBlue);
    }

    void pictureIsStretchedOverTheWholeForm() {
        QTemporaryDir data;
        QImage picture(153, 115, QImage::Format_RGB32);
        picture.fill(Qt::green);
        for (int y = 0; y < 115; ++y)
            for (int x = 77; x < 153; ++x) picture.setPixel(x, y, qRgb(255, 0, 0));
        QVERIFY(picture.save(data.path() + QStringLiteral("/preview.bmp")));
        PreviewForm form(data.path() + u'/');
        QVERIFY(form.HasPicture());
        form.resize(400, 300);
        QImage shot = form.grab().toImage();
        QCOMPARE(shot.size(), QSize(400, 300));
        QCOMPARE(QColor(shot.pixel(2, 2)), QColor(Qt::green));
        QCOMPARE(QColor(shot.pixel(2, 297)), QColor(Qt::green));
        QCOMPARE(QColor(shot.pixel(397, 2)), QColor(Qt::red));
        QCOMPARE(QColor(shot.pixel(397, 297)), QColor(Qt::red));
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int failures = 0;
    SetupDialogTest dialogTest;
    failures += QTest::qExec(&dialogTest, argc, argv);
    PreviewFormTest previewTest;
    failures += QTest::qExec(&previewTest, argc, argv);
    return failures;
}

#include "SetupDialogTest.moc"
