#include "setup/qt/SpreadCaption.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QRegularExpression>

namespace driftmere {

QStringList SpreadCaption::Words(const QString& caption) {
    // A run of dashes or of two or more blanks separates the words; single blanks stay inside
    // a word ("Stop sound after:").
    const QRegularExpression gap(QStringLiteral("\\s*-{2,}\\s*|\\s{2,}"));
    QStringList words = caption.split(gap, Qt::SkipEmptyParts);
    for (QString& w : words) w = w.trimmed();
    return words;
}

SpreadCaption::SpreadCaption(const QString& caption, QWidget* middle, QWidget* parent)
    : QWidget(parent), caption_(caption) {
    setAccessibleDescription(caption);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    const QStringList words = Words(caption);
    auto addWord = [&](const QString& word, Qt::Alignment align) {
        auto* label = new QLabel(word, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(align | Qt::AlignVCenter);
        row->addWidget(label);
        return label;
    };
    if (middle) {
        if (!words.isEmpty()) {
            QLabel* first = addWord(words.front(), Qt::AlignLeft);
            first->setBuddy(middle);
        }
        row->addWidget(middle);
        if (words.size() > 1) addWord(words.mid(1).join(u' '), Qt::AlignLeft);
        row->addStretch(1);
        return;
    }
    for (int i = 0; i < words.size(); ++i) {
        if (i > 0) row->addStretch(1);
        Qt::Alignment align = i == 0                  ? Qt::AlignLeft
                              : i == words.size() - 1 ? Qt::AlignRight
                                                      : Qt::AlignHCenter;
        addWord(words[i], align);
    }
}

}  // namespace driftmere
