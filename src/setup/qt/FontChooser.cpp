#include "setup/qt/FontChooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
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
    connect(fontList_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (fillingFonts_ || index < 0) return;
        box_.FontChosen(index, ToStdString(fontList_->itemText(index)));
    });
}

void FontChooser::LoadFonts() {
    // Refilling moves the current entry around; none of that is the user's choice, and
    // nothing is chosen until the stored font is selected below.
    fillingFonts_ = true;
    fontList_->clear();
    fontList_->addItems(QFontDatabase::families());
    fontList_->setCurrentIndex(-1);
    fillingFonts_ = false;
    ++fontLoads_;
    SelectStoredFont();
}

int FontChooser::StoredFontEntry() const {
    // The name wins over the index: installing or removing a font moves the entries, and
    // selecting by the stored index alone would store a different font just by opening the
    // dialog. The index only counts when the named font is no longer installed.
    const int named = fontList_->findText(ToQString(GetSetting(store_, "Settings", "FontName")),
                                          Qt::MatchFixedString | Qt::MatchCaseSensitive);
    return named >= 0 ? named : ReadSelectedFont(store_, fontList_->count());
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
