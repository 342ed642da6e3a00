#include "setup/qt/PreviewForm.h"

#include <QPainter>

namespace driftmere {

PreviewForm::PreviewForm(QString dataFolder, QWidget* parent)
    : QWidget(parent), image_(dataFolder + QStringLiteral("preview.bmp")) {
    setWindowTitle(QStringLiteral("Preview"));
    // Every pixel is painted each time, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (image_.isNull()) {
        painter.fillRect(rect(), QColor::fromRgb(kSkyBlue));
        return;
    }
    // The picture is small; smooth scaling keeps it from turning blocky in a large pane.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), image_);
}

}  // namespace driftmere
