#pragma once
// The help window: a fixed text in a resizable window with a Close button.

#include <QWidget>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace kvx {

class FrmHelp : public QWidget {
    Q_OBJECT
public:
    /// Placed over `owner` (a little inside it); `afterClose` runs when the
    /// Close button has hidden the window.
    FrmHelp(QWidget* owner, std::function<void()> afterClose);

    /// Restores the window when minimized, else shows it (modeless).
    void ShowHelp();

    QPlainTextEdit* txbHelpScreen;
    QPushButton* cmdClose;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Form_Load();
    void Form_Resize();
    void cmdClose_Click();

    QWidget* owner_;
    std::function<void()> afterClose_;
};

}  // namespace kvx
