#pragma once
// "Letters of every script" and the language of the alphabetical order
// under it: two controls of the parameters window, kept in the program's
// settings (not in the parameter file) and handed to the counting session.

#include <QFontMetricsF>
#include <QHash>
#include <QSyntaxHighlighter>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QPlainTextEdit;

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

/// The listing box's columns under the letters of every script: a character
/// that the box's monospace font does not draw as wide as the columns the
/// listing gives it (two for a wide one, drawn by a fallback font) is
/// spaced out (or in) by the difference. The text is left as it is.
class ListingColumns : public QSyntaxHighlighter {
public:
    /// Gives the box its monospace font, named by its family, and lines up
    /// its columns when everyScript.
    static void Apply(QPlainTextEdit* box, bool everyScript);

protected:
    void highlightBlock(const QString& text) override;

private:
    ListingColumns(QPlainTextEdit* box, const QFont& font);

    QFontMetricsF metrics_;
    qreal column_;
    bool on_ = false;
    QHash<char32_t, qreal> spacing_;  // the spacing each character gets
};

}  // namespace kvx
