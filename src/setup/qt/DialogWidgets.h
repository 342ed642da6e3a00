#pragma once
// The small builders every page of the Control Box uses, so that each kind of control looks
// and behaves the same wherever it sits.
#include <QString>
#include <string>
#include <string_view>

#include "setup/ControlBox.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPixmap;
class QScrollBar;
class QWidget;

namespace driftmere {

inline QString ToQString(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline std::string ToStdString(const QString& s) { return s.toStdString(); }

QGroupBox* MakeFrame(const char* name, const QString& title, QWidget* parent);
// A label that shows its text as written, never as rich text.
QLabel* MakeLabel(const QString& text, QWidget* parent, const char* name = nullptr);
QCheckBox* MakeCheck(const CheckSetting& setting, QWidget* parent);
QScrollBar* MakeBar(const BarSetting& bar, QWidget* parent);
// A line edit that stores every change of its text through `box`.
QLineEdit* MakeText(ControlBox& box, const TextSetting& setting, QWidget* parent);
// A sunken read-out beside a scroll bar, wide enough for `widest`.
QLabel* MakeReadout(const char* name, const QString& text, const QString& widest, QWidget* parent);

// The picture `folder + name + ".bmp"`, or on a high-density screen (`density` above 1)
// `name + "@2x.png"` marked as twice as dense, falling back to the BMP when there is no such
// file. Null when neither can be read.
QPixmap LoadDialogPicture(const QString& folder, const QString& name, qreal density);
// A label showing that picture; a picture that is not there leaves no trace, never an error.
QLabel* MakePicture(const char* objectName, const QString& folder, const QString& name,
                    QWidget* parent);

}  // namespace driftmere
