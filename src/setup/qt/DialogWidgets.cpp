#include "setup/qt/DialogWidgets.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QScrollBar>
#include <algorithm>

#include "display/DenseTwin.h"
#include "platform/linux/RegularFile.h"

namespace driftmere {
namespace {

// The largest picture file the dialog reads; its own pictures are a small fraction of this.
constexpr std::size_t kMaxPictureBytes = 16 * 1024 * 1024;

QPixmap ReadPicture(const QString& path) {
    // Read without blocking, so a pipe or device put in a picture's place cannot hang the dialog.
    QPixmap pixmap;
    const RegularFile file =
        ReadRegularFile(QFile::encodeName(path).toStdString(), kMaxPictureBytes);
    if (file.problem.empty() && !file.bytes.empty())
        pixmap.loadFromData(reinterpret_cast<const uchar*>(file.bytes.data()),
                            static_cast<uint>(file.bytes.size()));
    return pixmap;
}

}  // namespace

QGroupBox* MakeFrame(const char* name, const QString& title, QWidget* parent) {
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(QString::fromLatin1(name));
    return frame;
}

QLabel* MakeLabel(const QString& text, QWidget* parent, const char* name) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    if (name) label->setObjectName(QString::fromLatin1(name));
    return label;
}

QCheckBox* MakeCheck(const CheckSetting& setting, QWidget* parent) {
    auto* check = new QCheckBox(ToQString(setting.caption), parent);
    check->setObjectName(ToQString(setting.control));
    return check;
}

QScrollBar* MakeBar(const BarSetting& bar, QWidget* parent) {
    auto* scrollBar = new QScrollBar(Qt::Horizontal, parent);
    scrollBar->setObjectName(ToQString(bar.control));
    scrollBar->setRange(bar.minimum, bar.maximum);
    scrollBar->setSingleStep(1);
    // A page is about a tenth of the range: 1 on the short bars would make Page Up useless,
    // and the thumb of the long bar would be too small to grab.
    scrollBar->setPageStep(std::max(1, (bar.maximum - bar.minimum) / 10));
    scrollBar->setValue(bar.initial);
    // Scroll bars take no focus by default and, being made for scrolling a view, move the
    // "wrong" way on the arrow keys (Left and Up increase). Here they set values, so they
    // behave like sliders: Right and Up increase, Left and Down decrease.
    scrollBar->setFocusPolicy(Qt::StrongFocus);
    scrollBar->setInvertedControls(false);
    scrollBar->setMinimumWidth(scrollBar->fontMetrics().averageCharWidth() * 24);
    return scrollBar;
}

QLineEdit* MakeText(ControlBox& box, const TextSetting& setting, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(ToQString(setting.control));
    // Every edit is stored at once, including the text loading puts there, exactly as shown.
    QObject::connect(edit, &QLineEdit::textChanged, edit, [&box, setting](const QString& text) {
        box.TextChanged(setting, ToStdString(text));
    });
    return edit;
}

QLabel* MakeReadout(const char* name, const QString& text, const QString& widest, QWidget* parent) {
    QLabel* label = MakeLabel(text, parent, name);
    label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    // Wide enough for the longest text it will show, so the row does not jump as it changes.
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest) +
                           label->fontMetrics().averageCharWidth() * 2);
    return label;
}

QPixmap LoadDialogPicture(const QString& folder, const QString& name, qreal density) {
    if (DrawsDenseTwin(density, density)) {
        QPixmap dense = ReadPicture(folder + name + QStringLiteral("@2x.png"));
        if (!dense.isNull()) {
            dense.setDevicePixelRatio(2.0);
            return dense;
        }
    }
    return ReadPicture(folder + name + QStringLiteral(".bmp"));
}

QLabel* MakePicture(const char* objectName, const QString& folder, const QString& name,
                    QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(objectName));
    const QPixmap pixmap = LoadDialogPicture(folder, name, parent->devicePixelRatioF());
    if (pixmap.isNull()) {
        label->hide();
    } else {
        label->setPixmap(pixmap);
    }
    return label;
}

}  // namespace driftmere
