#pragma once
// The parameters window: the check boxes, lists and text boxes of the
// parameter set and the commands that act on them.
//
// It exists from start-up on (created by the main window) and is only shown
// and hidden. Every widget writes the shared Params at once; the main
// window's refresh (paramsRefreshed) writes the Params back into the widgets
// with signals blocked, so a refresh never runs a handler. Where the program
// itself changes a box (Set/Clear checkboxes, Restore defaults, undoing a
// refused change) it goes through SetCheckBox, which runs the box's click
// handler when the value changes, as a user's click would.

#include <QWidget>
#include <cstdint>
#include <string>
#include <vector>

#include "params/Params.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kvx {

struct CheckBoxInfo;

class CountingSession;
class LettersSetting;
class PhrasesSetting;
class MainWindow;

class ParamsWindow : public QWidget {
    Q_OBJECT
public:
    /// Builds the window, hidden, and hooks it to the main window: the
    /// "Set parameters" command shows it, every refresh of the main window's
    /// controls refreshes these too.
    explicit ParamsWindow(MainWindow& main);
    ~ParamsWindow() override;

    /// Writes the parameter values into the widgets without running handlers.
    void ParamsToControls();

    /// Shows the window modeless, placed beside the main window.
    void ShowWindow();
    /// While words are counted, listed or loaded (enabled false), what the
    /// count uses cannot change: only "Close" and "Quit" stay usable.
    void EnableControls(bool enabled);

    /// Asks whether a finished count may be thrown away; Yes clears wordsCounted.
    bool ConfirmRereading();
    /// Checks the words to ignore against the characters words may contain
    /// (quiet before start-up ends, while the program sets controls and
    /// while "Set/Clear checkboxes" runs). False when a problem was reported.
    bool CheckAllowedExtraChars();
    /// The check boxes and the three lists back to their defaults, each
    /// change running its handler.
    void SetDefaultValues();
    /// Sets a check box of this window by its control name; a change runs the
    /// box's click handler. False when there is no such box.
    bool SetCheckBox(const char* name, int16_t value);
    /// The check box of that control name.
    QCheckBox* Check(const char* name) const;

    // Event handlers.
    void ConfirmFamilyToggled(QCheckBox* box);
    void FilterFamilyToggled();
    void IgnoreCommonWordsChanged();
    void CommentMarkerEdited(QLineEdit* box);
    void WordsToIgnoreEdited();
    void CommonWordsFileEdited();
    void SetOrClearCheckboxes(int index);
    void RestoreDefaults();
    void ClearWordsToIgnore();
    void SelectCommonWordsFile();
    void ClearCommonWordsFile();
    void InitializeParameters();
    void CloseWindow();
    void Quit();
    void SaveOrLoadState(int index);
    /// Loads the parameters from a file, as "Load state from file" does
    /// once its dialog has named one (also for a file dropped on the window).
    void LoadStateFrom(const QString& name);

    bool settingCheckboxes = false;

    // Controls (object names are the control names).
    QComboBox* shortWordSizeList;
    QComboBox* longWordSizeList;
    QComboBox* frequencyThresholdList;
    QLineEdit* startCommentBoxes[2];
    QLineEdit* endCommentBoxes[2];
    QLineEdit* wordsToIgnoreBox;
    QLineEdit* commonWordsFileBox;
    QLineEdit* parametersFileBox;
    QLabel* parametersLabel;
    QPushButton* clearWordsToIgnoreButton;
    QPushButton* selectCommonWordsFileButton;
    QPushButton* clearCommonWordsFileButton;
    QPushButton* setOrClearCheckboxesButtons[2];  // 0 "Clear checkboxes", 1 "Set checkboxes"
    QPushButton* saveLoadStateButtons[2];         // 0 "Save state to file", 1 "Load state from file"
    QPushButton* restoreDefaultsButton;
    QPushButton* initializeButton;
    QPushButton* closeButton;
    QPushButton* quitButton;
    /// "Letters of every script" and its alphabetical order (the program's settings).
    LettersSetting* letters;
    PhrasesSetting* phrases;

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    /// One check box: its widget and its row of the check-box table.
    struct Box {
        QCheckBox* widget;
        const CheckBoxInfo* info;
    };

    void BuildControls();
    void ConnectHandlers();
    void PlaceWindow();
    const Box* FindBox(const QCheckBox* widget) const;
    const Box* FindBox(const char* name) const;
    void SetBox(const Box& box, int16_t value);
    void RunHandler(const Box& box);
    void SetList(QComboBox* list, int16_t Params::*member, int16_t index);
    void MoveFocusToClose();
    void LoadState();
    void SaveStateToFile();
    /// Shows name as the parameter file, before it is loaded or saved.
    void NameParametersFile(const QString& name);

    MainWindow& main_;
    Params& p_;
    CountingSession& session_;
    std::vector<Box> boxes_;
    bool checkingEdit_ = false;
};

}  // namespace kvx
