// The Control Box and the preview picture, driven through their widgets offscreen.
#include <sys/stat.h>

#include <QTemporaryDir>
#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "fakes/MemoryStore.h"
#include "settings/KeyTable.h"
#include "setup/qt/DialogWidgets.h"
#include "setup/qt/PreviewForm.h"
#include "setup/qt/SetupDialog.h"

using driftmere::PreviewForm;
using driftmere::SetupDialog;
using driftmere::testing::MemoryStore;

namespace {

constexpr const char* kBackdrops[] = {"chkBGM1", "chkBGM2", "chkBGM3", "chkBGM4",
                                      "chkBGB1", "chkBGB2", "chkBGB3"};

// One data row per case of a table, named by the case's `name` field.
template <class T, std::size_t N>
void AddRows(const T (&cases)[N], const char* const T::*name) {
    QTest::addColumn<int>("row");
    for (int i = 0; i < int(N); ++i) QTest::newRow(cases[i].*name) << i;
}

QString Stored(MemoryStore& store, const QString& section, const QString& key) {
    auto v = store.Get(section.toStdString(), key.toStdString());
    return v ? QString::fromStdString(*v) : QStringLiteral("<absent>");
}

// The writes since the last call, as "Key=value", in order.
QStringList TakeWrites(MemoryStore& store) {
    QStringList writes;
    for (const auto& w : store.writes) writes << QString::fromStdString(w.key + '=' + w.value);
    store.writes.clear();
    return writes;
}

struct LoadCase {  // preset: "section/key=value ...", the last key being the one checked
    const char *preset, *after;
    int writes;
    const char *readout = "", *shown = "";
};
// clang-format off
constexpr LoadCase kLoadCases[] = {
    {"Settings/WindSpeed=0", "0", 0, "txtWS", "None"}, {"music/SoundOff=45", "45", 0},
    {"Settings/WindSpeed=-3", "0", 1, "txtWindSpeed", "0 MPH"},
    {"Settings/Drafts=-3", "-3", 1, "txtDraft1", "Down"},
    {"System/MouseSens=99", "20", 1, "txtMouseS", "20"}, {"Settings/Beach2=2", "0", 1},
    {"Settings/Scroll=15 Settings/ScrollSec=900", "900", 0, "txtScroll", "15"},
    {"Settings/Scroll=15 Settings/ScrollSec=60", "900", 1}, {"Settings/Mountain1=1.4", "1", 1},
    {"music/SoundOn=1", "True", 1}, {"Settings/ShowBkGrnd=yes", "1", 1}};

struct ControlCase {
    const char *control, *value, *writes;  // value: for bars, text boxes and lists
};
constexpr ControlCase kControlCases[] = {
    {"chkMusicOn", "", "SoundOn=False"}, {"ChkMidi3", "", "Midi3=0"}, {"chkBGB1", "", "Beach1=0"},
    {"hsbWindSpeed", "7", "WindSpeed=7"}, {"hsbDraft", "-1", "Drafts=-1"},
    {"hsbScroll", "500", "Scroll=500 ScrollSec=30000"},
    {"txtFontSizeMsg", "big", "FontSizeMsg=big"}, {"cboSoundOff", "Never", "SoundOff=Never"},
    {"txtMessage", "Hi über Zürich ☁ 気球", "Message=Hi über Zürich ☁ 気球"}};
// clang-format on

}  // namespace

class SetupDialogTest : public QObject {
    Q_OBJECT

    MemoryStore store;
    QTemporaryDir empty;  // a data folder without pictures or manual
    std::unique_ptr<SetupDialog> dialog;
    QStringList messages;
    QList<QUrl> opened;
    bool opens = true;  // whether something on the system opens what the dialog asks for

    SetupDialog& Open() {  // a fresh dialog on the current store
        messages.clear();
        opened.clear();
        dialog = std::make_unique<SetupDialog>(store, empty.path() + u'/');
        dialog->showMessage = [this](const QString& title, const QString& text) {
            messages << title + u'|' + text;
        };
        dialog->showAbout = dialog->showMessage;
        dialog->openUrl = [this](const QUrl& url) {
            opened << url;
            return opens;
        };
        return *dialog;
    }
    template <class T = QWidget>
    T* Find(const QString& name) {
        T* w = dialog->findChild<T*>(name);
        if (!w) qWarning("no control named %s", qPrintable(name));
        return w;
    }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }
    void ShowTab(int index) {
        dialog->show();
        Find<QTabWidget>("tabs")->setCurrentIndex(index);
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    }

  private slots:
    void init() {
        store = MemoryStore();
        opens = true;
    }
    void cleanup() { dialog.reset(); }

    // What the user reads, exactly: window title, tab titles, frame titles, every caption.
    void showsEveryCaption() {
        Open();
        QStringList shown{dialog->windowTitle()};
        auto* tabs = Find<QTabWidget>("tabs");
        for (int i = 0; i < tabs->count(); ++i) shown << tabs->tabText(i);
        for (QWidget* w : dialog->findChildren<QWidget*>()) {
            if (auto* frame = qobject_cast<QGroupBox*>(w)) shown << frame->title();
            if (w->property("text").isValid()) shown << w->property("text").toString();
        }
        const QStringList captions =
            QStringLiteral(
                "Driftmere Control Box|Settings|BackGrounds|Sounds|Air Controls|Wind Speed >|Weak "
                "------------------------------ Strong|Mouse Sensitivity|Down -------------- "
                "Drafts --------------- Up|Light Touch|HeavyTouch|Show Message|Font Size:|Clock|"
                "Type your message below:|Show Clock|Font|"
                "Check1"
                "|Disable any Power Saving settings|"
                "Background|Beach 3|Show a background|Mountain 1|Set scroll-through time:|Music|"
                "Sound Control|Every                   Minutes|Music On|&Go to our website|&About|"
                "Stop sound after:                           min.|&Online HELP|&OK|"
                "While the screensaver is running:")
                .split(u'|');
        for (const QString& caption : captions)
            QVERIFY2(shown.contains(caption), qPrintable(caption));
    }

    // A stored value the control cannot show as it is (out of range, not whole, no number, seconds
    // that are not the minutes shown) is stored as shown, once; any other is not written.
    void loadingStoresOnlyWhatDiffersFromTheControl_data() {
        AddRows(kLoadCases, &LoadCase::preset);
    }
    void loadingStoresOnlyWhatDiffersFromTheControl() {
        QFETCH(int, row);
        const LoadCase& c = kLoadCases[row];
        for (const QString& p : QString::fromLatin1(c.preset).split(u' '))
            store.Set(p.section(u'/', 0, 0).toStdString(),
                      p.section(u'/', 1).section(u'=', 0, 0).toStdString(),
                      p.section(u'=', 1).toStdString());
        Open();
        const QString key = QString::fromLatin1(c.preset).section(u' ', -1).section(u'=', 0, 0);
        QCOMPARE(Stored(store, key.section(u'/', 0, 0), key.section(u'/', 1)), c.after);
        const QString name = key.section(u'/', 1) + u'=';
        QCOMPARE(TakeWrites(store).filter(QRegularExpression(u'^' + name)).size(), c.writes);
        if (*c.readout) QCOMPARE(Text(c.readout), QString::fromUtf8(c.shown));
    }

    void eachControlStoresItsSetting_data() { AddRows(kControlCases, &ControlCase::control); }
    void eachControlStoresItsSetting() {
        QFETCH(int, row);
        const ControlCase& c = kControlCases[row];
        const QString value = QString::fromUtf8(c.value);
        Open();
        TakeWrites(store);
        QWidget* w = Find(c.control);
        if (auto* button = qobject_cast<QAbstractButton*>(w)) button->click();
        if (auto* bar = qobject_cast<QScrollBar*>(w)) bar->setValue(value.toInt());
        if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(value);
        if (auto* list = qobject_cast<QComboBox*>(w)) {
            list->setEditText(QStringLiteral("7"));  // typed text is not stored
            emit list->activated(list->findText(value));
        }
        QCOMPARE(TakeWrites(store).join(u' '), QString::fromUtf8(c.writes));
        if (qobject_cast<QLineEdit*>(w)) {  // and the stored text comes back as it was
            Open();
            QCOMPARE(Find<QLineEdit>(c.control)->text(), value);
        }
    }

    void scrollBarsMoveTheNaturalWayOnTheKeys() {
        store.Set("Settings", "WindSpeed", "0");
        Open();
        ShowTab(0);
        auto* wind = Find<QScrollBar>("hsbWindSpeed");
        wind->setFocus();
        // clang-format off
        for (auto [key, value, word] : {std::tuple{Qt::Key_Right, 1, "Weak"},
                 {Qt::Key_Up, 2, "Weak"}, {Qt::Key_End, 15, "Strong"}, {Qt::Key_Left, 14, "Strong"},
                 {Qt::Key_Down, 13, "Strong"}, {Qt::Key_Home, 0, "None"}}) {
            // clang-format on
            QTest::keyClick(wind, key);
            QCOMPARE(Text("txtWindSpeed"), QStringLiteral("%1 MPH").arg(value));
            QCOMPARE(Text("txtWS"), QString::fromLatin1(word));
            QCOMPARE(Stored(store, "Settings", "WindSpeed"), QString::number(value));
        }
    }

    // Loading leaves the backdrop boxes alone; the user's clicks on "Show a background" enable
    // them with a reminder before anything is stored, or clear every backdrop key.
    void showBackgroundRemindsOrClears() {
        store.Set("Settings", "ShowBkGrnd", "0");
        Open();
        ShowTab(1);
        auto* show = Find<QCheckBox>("chkBackGround");
        for (const char* name : kBackdrops) QVERIFY2(Find(name)->isEnabled(), name);
        TakeWrites(store);
        QStringList storedAtReminder{"not reminded"};
        dialog->showMessage = [&](const QString& title, const QString& text) {
            messages << title + u'|' + text;
            storedAtReminder = TakeWrites(store);
        };
        show->setFocus();
        QTest::keyClick(show, Qt::Key_Space);
        QCOMPARE(storedAtReminder, QStringList());
        QCOMPARE(messages, QStringList{"Driftmere|You must select at least one background"});
        QCOMPARE(TakeWrites(store), QStringList{"ShowBkGrnd=1"});

        QTest::mouseClick(show, Qt::LeftButton, {}, QPoint(5, show->height() / 2));
        QVERIFY(!show->isChecked());
        QCOMPARE(TakeWrites(store),
                 QStringList({"Beach1=0", "Beach2=0", "Beach3=0", "Mountain1=0", "Mountain2=0",
                              "Mountain3=0", "Mountain4=0", "ShowBkGrnd=0"}));
        for (const char* name : kBackdrops) {
            QVERIFY2(!Find(name)->isEnabled(), name);
            QVERIFY2(Find<QCheckBox>(name)->isChecked(), name);  // the boxes keep their checks
        }
        QVERIFY(!Find("hsbScroll")->isEnabled());
        QCOMPARE(messages.size(), 1);
    }

    // On a store the saver never started on, the first-run values come first, as one change,
    // and fill in only what is missing; what the user sets then survives the saver's first start,
    // and opening again changes nothing.
    void firstOpeningWritesTheFirstRunValuesFirst() {
        store.Set("Settings", "Message", "Back at 3pm");
        Open();
        QCOMPARE(store.writeAlls, 1);
        QCOMPARE(QString::fromStdString(store.writes.front().key), QStringLiteral("Midi1"));
        QCOMPARE(Stored(store, "System", "SetReg"), QStringLiteral("2"));
        QCOMPARE(Text("txtWindSpeed"), QStringLiteral("11 MPH"));
        QCOMPARE(Find<QLineEdit>("txtMessage")->text(), QStringLiteral("Back at 3pm"));
        Find<QLineEdit>("txtFontSizeMsg")->setText(QStringLiteral("40"));
        QVERIFY(!driftmere::EnsureFirstRun(store));
        QCOMPARE(Stored(store, "Settings", "FontSizeMsg"), QStringLiteral("40"));
        auto everything = [&] {
            QStringList values;
            for (const driftmere::SettingKey& k : driftmere::AllSettingKeys())
                values << Stored(store, QString::fromUtf8(k.section.data(), k.section.size()),
                                 QString::fromUtf8(k.key.data(), k.key.size()));
            return values;
        };
        const QStringList before = everything();
        Open();
        QCOMPARE(everything(), before);
    }

    // The name wins over the index; a name not installed as such shows the family the saver
    // draws in its place; with CheckFont 1 the list is not even filled. Opening never stores a
    // font, and neither does unticking and ticking the box, which refills the list (not
    // doubled); only the user's pick does.
    void fontListShowsTheStoredFontAndStoresOnlyThePick() {
        const QStringList families = QFontDatabase::families();
        QVERIFY(families.size() >= 2);
        auto drawnIn = [&](const QString& name) {  // as the saver builds its font
            QFont font;
            font.setStyleHint(QFont::SansSerif);
            font.setFamilies({name});
            return families.indexOf(QFontInfo(font).family());
        };
        QComboBox* list = nullptr;
        for (auto [checkFont, fontName, loads, index] :
             {std::tuple{"1", families[1], 0, -1},
              {"0", QStringLiteral("No Such Font"), 1, drawnIn(QStringLiteral("No Such Font"))},
              {"0", QStringLiteral("Arial"), 1, drawnIn(QStringLiteral("Arial"))},
              {"0", families[1], 1, 1}}) {
            store.Set("System", "SetReg", "2");
            store.Set("Settings", "CheckFont", checkFont);
            store.Set("Settings", "SelectedFont", "0");
            store.Set("Settings", "FontName", fontName.toStdString());
            Open();
            list = Find<QComboBox>("cboFontsScreen");
            QCOMPARE(dialog->FontLoads(), loads);
            QCOMPARE(list->count(), loads ? families.size() : 0);
            QCOMPARE(list->isEnabled(), loads > 0);
            QCOMPARE(list->currentIndex(), index);
            QCOMPARE(TakeWrites(store).filter(QRegularExpression("^(SelectedFont|FontName)=")),
                     QStringList());
        }
        auto* fonts = Find<QCheckBox>("chkFonts");
        fonts->click();
        QVERIFY(!list->isEnabled());
        fonts->click();
        QCOMPARE(TakeWrites(store), QStringList({"CheckFont=1", "CheckFont=0"}));
        QVERIFY(list->isEnabled());
        QCOMPARE(dialog->FontLoads(), 2);
        QCOMPARE(list->count(), families.size());
        QCOMPARE(list->currentIndex(), 1);
        list->setCurrentIndex(0);
        QCOMPARE(TakeWrites(store), QStringList());
        emit list->activated(0);
        QCOMPARE(TakeWrites(store), QStringList({"SelectedFont=0", "FontName=" + families[0]}));
    }

    void buttonsOpenTheManualAndTheAboutBox() {
        Open();
        Find<QPushButton>("cmdHelp")->click();
        Find<QPushButton>("cmdWeb")->click();
        // Without a home page in the build, the web button opens the manual's about section.
        QCOMPARE(opened, (QList<QUrl>{QUrl::fromLocalFile(empty.path() + "/manual.html"),
                                      dialog->WebUrl()}));
        if (opened[1].isLocalFile()) QCOMPARE(opened[1].fragment(), QStringLiteral("about"));
        // and the shipped manual has that section, every field filled in
        if (const QString data = qEnvironmentVariable("DRIFTMERE_DATA_DIR"); !data.isEmpty()) {
            QFile manual(data + QStringLiteral("/manual.html"));
            QVERIFY(manual.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(manual.readAll());
            QVERIFY(html.contains(QStringLiteral("id=\"about\"")));
            QVERIFY(!html.contains(u'@' + QStringLiteral("DRIFTMERE_")));
        }
        QVERIFY(messages.isEmpty());
        // With nothing to open them, each button says where the manual is.
        opens = false;
        Find<QPushButton>("cmdHelp")->click();
        Find<QPushButton>("cmdWeb")->click();
        QCOMPARE(messages.size(), 2);
        for (const QString& m : messages)
            QVERIFY2(m.startsWith("Driftmere|Nothing on this computer could open ") &&
                         m.contains(u'\n' + empty.path() + "/manual.html\n"),
                     qPrintable(m));
        messages.clear();
        Find<QPushButton>("cmdAbout")->click();
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].contains(QRegularExpression(
            QStringLiteral("^About Driftmere\\|Driftmere\nVersion \\d+\\.\\d+[^\n]*\n"))));
        dialog->show();
        Find<QPushButton>("cmdOK")->click();
        QVERIFY(!dialog->isVisible());
    }

    // The dense picture on a dense screen, the plain one otherwise or when the dense one is
    // missing, nothing (and no hang) for a missing picture or a pipe in its place.
    void picturesMatchTheScreenDensity() {
        QTemporaryDir data;
        const QString folder = data.path() + u'/';
        auto save = [&](const char* file, int width) {
            QImage picture(width, 10, QImage::Format_RGB32);
            picture.fill(Qt::red);
            return picture.save(folder + QString::fromLatin1(file));
        };
        QVERIFY(save("banner.bmp", 40) && save("banner@2x.png", 80) && save("thumb.bmp", 30));
        QVERIFY(::mkfifo(QFile::encodeName(folder + "pipe.bmp").constData(), 0600) == 0);
        using driftmere::LoadDialogPicture;
        // clang-format off
        for (auto [name, density, width, ratio] : {std::tuple{"banner", 1.0, 40, 1.0},
                 {"banner", 2.0, 80, 2.0}, {"thumb", 2.0, 30, 1.0}, {"pipe", 1.0, 0, 1.0},
                 {"missing", 2.0, 0, 1.0}}) {
            // clang-format on
            const QPixmap p = LoadDialogPicture(folder, QString::fromLatin1(name), density);
            QCOMPARE(p.width(), width);
            QCOMPARE(p.devicePixelRatio(), ratio);
        }

        SetupDialog withBanner(store, folder);
        QCOMPARE(withBanner.findChild<QLabel*>("banner")->pixmap().size(), QSize(40, 10));
        Open();
        QVERIFY(Find<QLabel>("banner")->isHidden());
    }

    // The preview form: sky blue without a picture; with one, stretched over the whole form, the
    // dense twin as soon as the pane is larger than the picture either way (the rule the scene
    // follows), never at the picture's own size or smaller.
    void previewIsSkyBlueOrThePictureOrItsTwinStretchedOverTheForm() {
        QTemporaryDir data;
        PreviewForm empty(data.path() + u'/');
        empty.resize(60, 40);
        QCOMPARE(empty.grab().toImage().pixel(59, 39), PreviewForm::kSkyBlue);
        // Each picture's left half in one colour, its right half in another.
        for (auto [name, size, left, right] :
             {std::tuple{"/preview.bmp", QSize(153, 115), Qt::green, Qt::red},
              {"/preview@2x.png", QSize(306, 230), Qt::blue, Qt::yellow}}) {
            QImage picture(size, QImage::Format_RGB32);
            picture.fill(left);
            QPainter(&picture).fillRect(size.width() / 2, 0, size.width(), size.height(), right);
            QVERIFY(picture.save(data.path() + QLatin1String(name)));
        }
        const std::tuple<QSize, Qt::GlobalColor, Qt::GlobalColor> cases[] = {
            {{153, 115}, Qt::green, Qt::red},
            {{100, 80}, Qt::green, Qt::red},
            {{154, 115}, Qt::blue, Qt::yellow},
            {{120, 116}, Qt::blue, Qt::yellow},
            {{400, 300}, Qt::blue, Qt::yellow}};
        for (const auto& [size, left, right] : cases) {
            PreviewForm form(data.path() + u'/');
            form.resize(size);
            const QImage shot = form.grab().toImage();
            const int r = size.width() - 3, b = size.height() - 3;
            for (QPoint p : {QPoint(2, 2), QPoint(2, b), QPoint(r, 2), QPoint(r, b)})
                QCOMPARE(QColor(shot.pixel(p)), QColor(p.x() == 2 ? left : right));
        }
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetupDialogTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SetupDialogTest.moc"
