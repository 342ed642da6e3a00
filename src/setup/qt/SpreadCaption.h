#pragma once
// A caption whose words are spread along a control, such as "Weak ---- Strong" under a scroll
// bar or "Every      Minutes" around a read-out. The caption keeps its full text (the `text`
// property, and the accessible description); on screen its words sit at the ends of the row,
// with the row's middle words centred or a widget placed between the first and last word.
#include <QString>
#include <QStringList>
#include <QWidget>

namespace driftmere {

class SpreadCaption : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString text READ text)

  public:
    // Without `middle` the words are spread over the whole row; with it, the first word comes
    // before the widget and the rest after it.
    explicit SpreadCaption(const QString& caption, QWidget* middle = nullptr,
                           QWidget* parent = nullptr);

    QString text() const { return caption_; }
    // The words between the dashes or wide gaps: "Down -- Drafts -- Up" -> Down, Drafts, Up.
    static QStringList Words(const QString& caption);

  private:
    QString caption_;
};

}  // namespace driftmere
