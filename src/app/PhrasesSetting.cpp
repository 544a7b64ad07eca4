#include "PhrasesSetting.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSettings>
#include <QSpinBox>

#include "counting/CountingSession.h"
#include "words/Phrases.h"

namespace kvx {
namespace {

QSettings Settings() { return QSettings(QStringLiteral("kvx"), QStringLiteral("kvx")); }

const QString kOnKey = QStringLiteral("phrases/on");
const QString kLengthKey = QStringLiteral("phrases/length");

}  // namespace

PhrasesSetting::PhrasesSetting(CountingSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    phrasesBox = new QCheckBox(QStringLiteral("Count phrases of"), this);
    phrasesBox->setObjectName(QStringLiteral("chkCountPhrases"));
    lengthBox = new QSpinBox(this);
    lengthBox->setObjectName(QStringLiteral("spnPhraseLength"));
    lengthBox->setRange(kMinPhraseWords, kMaxPhraseWords);
    auto* words = new QLabel(QStringLiteral("words"), this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(phrasesBox);
    layout->addWidget(lengthBox);
    layout->addWidget(words);
    layout->addStretch(1);

    const QSettings s = Settings();
    phrasesBox->setChecked(s.value(kOnKey, false).toBool());
    lengthBox->setValue(s.value(kLengthKey, 2).toInt());  // out of range: clamped
    lengthBox->setEnabled(phrasesBox->isChecked());
    session_.SetPhraseLength(phrasesBox->isChecked() ? lengthBox->value() : 0);

    connect(phrasesBox, &QCheckBox::toggled, this, [this] { Apply(); });
    connect(lengthBox, &QSpinBox::valueChanged, this, [this] { Apply(); });
}

void PhrasesSetting::Apply() {
    const bool on = phrasesBox->isChecked();
    lengthBox->setEnabled(on);
    session_.SetPhraseLength(on ? lengthBox->value() : 0);
    // A result of words is not listed again as if it were one of phrases.
    session_.wordsCounted = false;
    QSettings s = Settings();
    s.setValue(kOnKey, on);
    s.setValue(kLengthKey, lengthBox->value());
}

}  // namespace kvx
