#pragma once
// The still picture shown in a host's preview pane: the 153 x 115 preview picture stretched
// over the whole widget, or plain sky blue when the picture cannot be read. A pane of more device
// pixels than that, either way, shows the twice-as-dense preview@2x.png instead, when there is
// one.
#include <QImage>
#include <QString>
#include <QWidget>

namespace driftmere {

class PreviewForm : public QWidget {
    Q_OBJECT

  public:
    // `dataFolder` ends with '/'; the picture is dataFolder + "preview.bmp" (its twin
    // "preview@2x.png" is read when first needed).
    explicit PreviewForm(QString dataFolder, QWidget* parent = nullptr);

    bool HasPicture() const { return !image_.isNull(); }
    QSize sizeHint() const override { return {153, 115}; }

    // The fill used when the picture is missing.
    static constexpr QRgb kSkyBlue = 0xff87ceeb;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // The picture for a pane of `devicePixels`.
    const QImage& PictureFor(QSize devicePixels);

    QImage image_;
    QString denseName_;
    QImage dense_;
    bool denseRead_ = false;
};

}  // namespace driftmere
