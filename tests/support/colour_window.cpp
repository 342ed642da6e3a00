// A fullscreen window of one colour (a video player, say), for the end-to-end tests that check
// what stays above it.   colour_window RRGGBB
#include <QGuiApplication>
#include <QPainter>
#include <QRasterWindow>

namespace {

class ColourWindow : public QRasterWindow {
  public:
    explicit ColourWindow(QColor colour) : colour_(colour) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(), size()), colour_);
    }

  private:
    QColor colour_;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString name = argc > 1 ? QString("#") + argv[1] : QString("#ff00ff");
    ColourWindow window(QColor::fromString(name));
    window.setTitle("colour window");
    window.showFullScreen();
    return app.exec();
}
