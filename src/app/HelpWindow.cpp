#include "HelpWindow.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>

#include "HelpText.h"
#include "QtUtil.h"

namespace kvx {
namespace {
// Distances of the original layout at 15 twips per pixel.
constexpr int kTextMarginX = 11;     // each side of the text box
constexpr int kTextTop = 8;
constexpr int kTextBottomGap = 51;   // room under the text box for the button
constexpr int kButtonFromBottom = 37;
}  // namespace

HelpWindow::HelpWindow(QWidget* owner, std::function<void()> afterClose)
    : QWidget(owner, Qt::Window), owner_(owner), afterClose_(std::move(afterClose)) {
    setObjectName(QStringLiteral("frmHelp"));
    helpTextBox = new QPlainTextEdit(this);
    helpTextBox->setObjectName(QStringLiteral("txbHelpScreen"));
    helpTextBox->setReadOnly(true);
    helpTextBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    closeButton = new QPushButton(this);
    closeButton->setObjectName(QStringLiteral("cmdClose"));
    connect(closeButton, &QPushButton::clicked, this, &HelpWindow::CloseWindow);
    StartUp();
}

void HelpWindow::StartUp() {
    setWindowTitle(QStringLiteral("KVX: Help"));
    closeButton->setText(QStringLiteral("Close"));
    closeButton->resize(std::max(closeButton->sizeHint().width(), 90), closeButton->sizeHint().height());
    helpTextBox->setPlainText(HelpText());
    setMinimumSize(120, 90);
    resize(700, 600);
}

void HelpWindow::PlaceWindow() {
    if (!owner_) return;
    // Over the main window as it stands now (it is not yet placed when this
    // window is built): top + 480, left + 200, width - 400, height - 680 twips.
    const QPoint at = owner_->pos();
    move(at.x() + Px(200), at.y() + Px(480));
    resize(std::max(300, owner_->width() - Px(400)), std::max(200, owner_->height() - Px(680)));
}

void HelpWindow::ShowHelp() {
    if (isMinimized()) {
        showNormal();
    } else {
        // Placed the first time only; later the user's own place and size stay.
        if (!placed_) PlaceWindow();
        placed_ = true;
        show();
    }
    raise();
    activateWindow();
}

void HelpWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as "Close" does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CloseWindow();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HelpWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOut();
}

void HelpWindow::LayOut() {
    if (isMinimized()) return;
    const int w = width();
    const int h = height();
    // A very small window would give negative sizes: keep them at zero.
    helpTextBox->setGeometry(kTextMarginX, kTextTop, std::max(0, w - 2 * kTextMarginX),
                               std::max(0, h - kTextBottomGap));
    closeButton->move(std::max(0, (w - closeButton->width()) / 2), std::max(0, h - kButtonFromBottom));
}

void HelpWindow::CloseWindow() {
    hide();
    if (afterClose_) afterClose_();
}

}  // namespace kvx
