#pragma once
// A small window that shows a short message over the main window and hides
// itself after a set time or when the message is clicked. PopUp waits until
// then, while the rest of the program stays painted.

#include <QWidget>

class QEventLoop;
class QLabel;
class QTimer;

namespace kvx {

class PopUpWindow : public QWidget {
    Q_OBJECT
public:
    explicit PopUpWindow(QWidget* owner);

    /// Shows the message at (left, top) relative to the owner, `width` x
    /// `height` pixels at least, and returns once the window has hidden again.
    /// An interval of 0 hides it at the next turn of the event loop.
    void PopUp(const QString& message, int width, int height, int interval, int top, int left);

    QLabel* messageLabel;
    QTimer* timer;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Close();
    void TimerTick();
    void MessageClicked();

    QWidget* owner_;
    QEventLoop* loop_ = nullptr;
};

}  // namespace kvx
