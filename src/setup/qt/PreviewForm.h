#pragma once
// The still picture shown in a host's preview pane: the 153 x 115 preview picture stretched
// over the whole widget, or plain sky blue when the picture cannot be read.
#include <QImage>
#include <QString>
#include <QWidget>

namespace driftmere {

class PreviewForm : public QWidget {
    Q_OBJECT

  public:
    // `dataFolder` ends with '/'; the picture is dataFolder + "preview.bmp".
    explicit PreviewForm(QString dataFolder, QWidget* parent = nullptr);

    bool HasPicture() const { return !image_.isNull(); }
    QSize sizeHint() const override { return {153, 115}; }

    // The fill used when the picture is missing.
    static constexpr QRgb kSkyBlue = 0xff87ceeb;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage image_;
};

}  // namespace driftmere
