#include "setup/qt/BackgroundsPage.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScrollBar>
#include <QVBoxLayout>

#include "display/Scene.h"
#include "setup/qt/DialogWidgets.h"
#include "setup/qt/SpreadCaption.h"

namespace driftmere {
namespace {

// The thumbnail's file name without its ".bmp": the dialog picks the .bmp or the @2x.png.
QString PictureName(std::string_view file) {
    QString name = QString::fromUtf8(file.data(), static_cast<qsizetype>(file.size()));
    if (name.endsWith(QLatin1String(".bmp"))) name.chop(4);
    return name;
}

// A thumbnail is a reminder of the scene, not a view of it: at most `maxHeight` high on
// screen, whatever size or density the picture file has.
void CapHeight(QLabel* picture, int maxHeight) {
    QPixmap pixmap = picture->pixmap();
    if (pixmap.isNull() || pixmap.deviceIndependentSize().height() <= maxHeight) return;
    const qreal density = pixmap.devicePixelRatio();
    pixmap = pixmap.scaledToHeight(qRound(maxHeight * density), Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(density);
    picture->setPixmap(pixmap);
}

}  // namespace

BackgroundsPage::BackgroundsPage(ControlBox& box, const QString& dataFolder,
                                 std::function<void()> remind)
    : box_(box), remind_(std::move(remind)) {
    auto* pageLayout = new QVBoxLayout(this);
    QGroupBox* frame = MakeFrame("backgroundFrame", QStringLiteral("Background"), this);
    auto* layout = new QVBoxLayout(frame);

    showBackground = MakeCheck(kShowBackgroundCheck, frame);
    layout->addWidget(showBackground);

    // Mountains on the left, beaches on the right, each box beside a small picture of its
    // backdrop.
    auto* pictures = new QGridLayout;
    const auto checks = BackdropChecks();
    for (int i = 0; i < 7; ++i) {
        const int column = i < 4 ? 0 : 2;
        const int row = i < 4 ? i : i - 4;
        const QString name = PictureName(kBackdrops[i].thumbnail);
        QLabel* picture = MakePicture(name.toLatin1().constData(), dataFolder, name, frame);
        CapHeight(picture, frame->fontMetrics().height() * 4);
        backdrops[i] = MakeCheck(checks[i], frame);
        pictures->addWidget(picture, row, column);
        pictures->addWidget(backdrops[i], row, column + 1);
        connect(backdrops[i], &QCheckBox::toggled, this,
                [this, setting = checks[i]](bool on) { box_.CheckChanged(setting, on); });
    }
    pictures->setColumnStretch(1, 1);
    pictures->setColumnStretch(3, 1);
    layout->addLayout(pictures);

    layout->addSpacing(frame->fontMetrics().height() / 2);
    QLabel* scrollLabel = MakeLabel(QStringLiteral("Set scroll-through time:"), frame);
    layout->addWidget(scrollLabel);
    scrollTime = MakeBar(kScrollBar, frame);
    scrollLabel->setBuddy(scrollTime);
    layout->addWidget(scrollTime);
    QLabel* minutes =
        MakeReadout("txtScroll", QString::number(kScrollBar.initial), QStringLiteral("500"), frame);
    layout->addWidget(
        new SpreadCaption(QStringLiteral("Every                   Minutes"), minutes, frame));
    layout->addStretch(1);
    pageLayout->addWidget(frame);

    connect(scrollTime, &QScrollBar::valueChanged, this,
            [this, minutes](int m) { minutes->setText(ToQString(box_.ScrollChanged(m))); });
    // Only the user's click (mouse or keyboard) counts here, never a value set by loading:
    // opening the dialog must not disable the backdrop boxes.
    connect(showBackground, &QCheckBox::clicked, this, &BackgroundsPage::ShowBackgroundClicked);
}

void BackgroundsPage::ShowBackgroundClicked(bool checked) {
    for (QCheckBox* backdrop : backdrops) backdrop->setEnabled(checked);
    scrollTime->setEnabled(checked);
    // The reminder comes before the box is stored.
    box_.ShowBackgroundClicked(checked, remind_);
}

}  // namespace driftmere
