#include "PopUpWindow.h"

#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace kvx {

PopUpWindow::PopUpWindow(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      owner_(owner) {
    setObjectName(QStringLiteral("frmPopUp"));
    setWindowModality(Qt::ApplicationModal);
    messageLabel = new QLabel(this);
    messageLabel->setObjectName(QStringLiteral("lblMessage"));
    QFont f = messageLabel->font();
    f.setBold(true);
    messageLabel->setFont(f);
    messageLabel->setAlignment(Qt::AlignCenter);
    messageLabel->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(messageLabel);
    setStyleSheet(QStringLiteral("kvx--PopUpWindow { border: 1px solid palette(dark); }"));
    setAutoFillBackground(true);

    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("Timer1"));
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, &PopUpWindow::TimerTick);
}

void PopUpWindow::PopUp(const QString& message, int width, int height, int interval, int top,
                     int left) {
    messageLabel->setText(message);
    // Never smaller than the message needs, whatever the caller asked for.
    const QSize need = sizeHint();
    const int w = std::max(width, need.width());
    const int h = std::max(height, need.height());
    const QPoint origin = owner_ ? owner_->geometry().topLeft() : QPoint(0, 0);
    setGeometry(origin.x() + left, origin.y() + top, w, h);
    messageLabel->setFixedWidth(w - 16);

    timer->setInterval(std::max(0, interval));
    timer->start();
    show();
    raise();
    QEventLoop loop;
    loop_ = &loop;
    if (isVisible()) loop.exec();
    loop_ = nullptr;
}

void PopUpWindow::Close() {
    timer->stop();
    hide();
    if (loop_) loop_->quit();
}

void PopUpWindow::TimerTick() { Close(); }

void PopUpWindow::MessageClicked() { Close(); }

bool PopUpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == messageLabel && event->type() == QEvent::MouseButtonRelease) MessageClicked();
    return QWidget::eventFilter(watched, event);
}

}  // namespace kvx
