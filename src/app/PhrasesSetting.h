#pragma once
// "Count phrases of N words": a control of the parameters window, kept in
// the program's settings (not in the parameter file) and handed to the
// counting session.

#include <QWidget>

class QCheckBox;
class QSpinBox;

namespace kvx {

class CountingSession;

class PhrasesSetting : public QWidget {
    Q_OBJECT
public:
    /// Builds the controls from the settings and sets the session's phrase length.
    PhrasesSetting(CountingSession& session, QWidget* parent);

    QCheckBox* phrasesBox;
    QSpinBox* lengthBox;

private:
    /// The controls' choice to the session and the settings.
    void Apply();

    CountingSession& session_;
};

}  // namespace kvx
