#include "FrmPopUp.h"

#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace kvx {

FrmPopUp::FrmPopUp(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      owner_(owner) {
    setObjectName(QStringLiteral("frmPopUp"));
    setWindowModality(Qt::ApplicationModal);
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    QFont f = lblMessage->font();
    f.setBold(true);
    lblMessage->setFont(f);
    lblMessage->setAlignment(Qt::AlignCenter);
    lblMessage->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(lblMessage);
    setStyleSheet(QStringLiteral("kvx--FrmPopUp { border: 1px solid palette(dark); }"));
    setAutoFillBackground(true);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &FrmPopUp::Timer1_Timer);
}

void FrmPopUp::PopUp(const QString& message, int width, int height, int interval, int top,
                     int left) {
    lblMessage->setText(message);
    // Never smaller than the message needs, whatever the caller asked for.
    const QSize need = sizeHint();
    const int w = std::max(width, need.width());
    const int h = std::max(height, need.height());
    const QPoint origin = owner_ ? owner_->geometry().topLeft() : QPoint(0, 0);
    setGeometry(origin.x() + left, origin.y() + top, w, h);
    lblMessage->setFixedWidth(w - 16);

    Timer1->setInterval(std::max(0, interval));
    Timer1->start();
    show();
    raise();
    QEventLoop loop;
    loop_ = &loop;
    if (isVisible()) loop.exec();
    loop_ = nullptr;
}

void FrmPopUp::Close() {
    Timer1->stop();
    hide();
    if (loop_) loop_->quit();
}

void FrmPopUp::Timer1_Timer() { Close(); }

void FrmPopUp::lblMessage_MouseUp() { Close(); }

bool FrmPopUp::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblMessage && event->type() == QEvent::MouseButtonRelease) lblMessage_MouseUp();
    return QWidget::eventFilter(watched, event);
}

}  // namespace kvx
