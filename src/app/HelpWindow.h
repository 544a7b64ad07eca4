#pragma once
// The help window: a fixed text in a resizable window with a Close button.

#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace kvx {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    /// `afterClose` runs when the Close button (or Escape) has hidden the window.
    HelpWindow(QWidget* owner, std::function<void()> afterClose);

    /// Restores the window when minimized, else shows it (modeless); the
    /// first time it is placed over the owner (a little inside it).
    void ShowHelp();

    QPlainTextEdit* helpTextBox;
    QPushButton* closeButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void StartUp();
    void PlaceWindow();
    void LayOut();
    void CloseWindow();

    QWidget* owner_;
    std::function<void()> afterClose_;
    bool placed_ = false;
};

}  // namespace kvx
