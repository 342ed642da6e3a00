#include "setup/qt/FontChooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QLabel>
#include <QStyle>

#include "setup/qt/DialogWidgets.h"

namespace driftmere {

FontChooser::FontChooser(ControlBox& box, SettingsStore& store, QWidget* parent)
    : QGroupBox(QStringLiteral("Font"), parent), box_(box), store_(store) {
    setObjectName(QStringLiteral("fontFrame"));
    auto* layout = new QGridLayout(this);
    fontList_ = new QComboBox(this);
    fontList_->setObjectName(QStringLiteral("cboFontsScreen"));
    fontList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    fontList_->setMinimumContentsLength(20);
    layout->addWidget(fontList_, 0, 0, 1, 2);
    skipFonts_ = MakeCheck(kFontsCheck, this);
    QLabel* note = MakeLabel(
        QStringLiteral("Loading the fonts causes a delay in starting the Control Box.  Check this "
                       "box if you do not want to use a different font.  The Control Box will "
                       "then load faster."),
        this, "skipFontsNote");
    note->setWordWrap(true);
    note->setBuddy(skipFonts_);
    // The box's own caption is only a name; the note beside it says what it does, so the box
    // shows just its indicator and is announced by the note.
    skipFonts_->setAccessibleName(note->text());
    const int indicator =
        skipFonts_->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, skipFonts_);
    const int spacing =
        skipFonts_->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, skipFonts_);
    skipFonts_->setFixedWidth(indicator + spacing / 2 + 2);
    layout->addWidget(skipFonts_, 1, 0, Qt::AlignTop);
    layout->addWidget(note, 1, 1);
    layout->setColumnStretch(1, 1);

    connect(skipFonts_, &QCheckBox::toggled, this, &FontChooser::SkipFontsToggled);
    // Only the user's choice is stored (by mouse or keys, the shown entry again included):
    // the list's own moves while it is filled and the stored font is shown are not.
    connect(fontList_, &QComboBox::activated, this, [this](int index) {
        if (index >= 0) box_.FontChosen(index, ToStdString(fontList_->itemText(index)));
    });
}

void FontChooser::LoadFonts() {
    fontList_->clear();
    fontList_->addItems(QFontDatabase::families());
    fontList_->setCurrentIndex(-1);
    ++fontLoads_;
    SelectStoredFont();
}

namespace {

QString DrawnFamily(const QString& name) {
    // Built as the saver builds the font for the clock and the message.
    QFont font;
    font.setStyleHint(QFont::SansSerif);
    if (!name.isEmpty()) font.setFamilies({name});
    return QFontInfo(font).family();
}

}  // namespace

int FontChooser::StoredFontEntry() const {
    // The name wins over the index: installing or removing a font moves the entries. A name
    // that is not installed as such ("Arial" on most systems) is drawn in the family the font
    // configuration puts in its place, so that is the one shown. The index only counts when
    // neither is in the list.
    const QString name = ToQString(ReadSetting(store_, setting::kFontName));
    for (const QString& family : {name, DrawnFamily(name)}) {
        const int entry =
            fontList_->findText(family, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        if (entry >= 0) return entry;
    }
    return ReadSelectedFont(store_, fontList_->count());
}

void FontChooser::SelectStoredFont() {
    const int index = StoredFontEntry();
    if (index >= 0) fontList_->setCurrentIndex(index);
}

void FontChooser::SkipFontsToggled(bool checked) {
    fontList_->setEnabled(!checked);
    if (!checked) LoadFonts();
    box_.FontsBoxChanged(checked);
}

}  // namespace driftmere
