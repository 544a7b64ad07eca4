#pragma once
// "Letters of every script" and the language of the alphabetical order
// under it: two controls of the parameters window, kept in the program's
// settings (not in the parameter file) and handed to the counting session.

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace kvx {

class CountingSession;

class LettersSetting : public QWidget {
    Q_OBJECT
public:
    /// Builds the controls from the settings and sets the session's letters.
    LettersSetting(CountingSession& session, QWidget* parent);

    QCheckBox* everyScriptBox;
    QComboBox* collationList;  ///< item data: the language code ("" = the locale's)

private:
    /// The controls' choice to the session and the settings.
    void Apply();

    CountingSession& session_;
};

}  // namespace kvx
