#include "setup/qt/PreviewForm.h"

#include <QFile>
#include <QPainter>

#include "display/DenseTwin.h"
#include "platform/linux/RegularFile.h"

namespace driftmere {

namespace {

// Read as the saver reads its pictures: a FIFO or device in the picture's place must not block
// the preview for good, it only leaves the pane sky blue.
QImage ReadPreviewPicture(const QString& path) {
    constexpr std::size_t kMaxBytes = 4 * 1024 * 1024;
    const RegularFile file = ReadRegularFile(QFile::encodeName(path).toStdString(), kMaxBytes);
    if (!file.problem.empty()) return {};
    return QImage::fromData(reinterpret_cast<const uchar*>(file.bytes.data()),
                            static_cast<int>(file.bytes.size()));
}

}  // namespace

PreviewForm::PreviewForm(QString dataFolder, QWidget* parent)
    : QWidget(parent),
      image_(ReadPreviewPicture(dataFolder + QStringLiteral("preview.bmp"))),
      denseName_(dataFolder + QStringLiteral("preview@2x.png")) {
    setWindowTitle(QStringLiteral("Preview"));
    // Every pixel is painted each time, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

const QImage& PreviewForm::PictureFor(QSize devicePixels) {
    const QSize own = sizeHint();
    const bool large = DrawsDenseTwin(double(devicePixels.width()) / own.width(),
                                      double(devicePixels.height()) / own.height());
    if ((large || image_.isNull()) && !denseRead_) {
        denseRead_ = true;
        dense_ = ReadPreviewPicture(denseName_);
    }
    if (large && !dense_.isNull()) return dense_;
    return image_.isNull() ? dense_ : image_;
}

void PreviewForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QImage& picture = PictureFor(size() * devicePixelRatioF());
    if (picture.isNull()) {
        painter.fillRect(rect(), QColor::fromRgb(kSkyBlue));
        return;
    }
    // The picture is small; smooth scaling keeps it from turning blocky in a large pane.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), picture);
}

}  // namespace driftmere
