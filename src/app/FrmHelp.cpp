#include "FrmHelp.h"

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

FrmHelp::FrmHelp(QWidget* owner, std::function<void()> afterClose)
    : QWidget(owner, Qt::Window), owner_(owner), afterClose_(std::move(afterClose)) {
    setObjectName(QStringLiteral("frmHelp"));
    txbHelpScreen = new QPlainTextEdit(this);
    txbHelpScreen->setObjectName(QStringLiteral("txbHelpScreen"));
    txbHelpScreen->setReadOnly(true);
    txbHelpScreen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cmdClose = new QPushButton(this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdClose, &QPushButton::clicked, this, &FrmHelp::cmdClose_Click);
    Form_Load();
}

void FrmHelp::Form_Load() {
    setWindowTitle(QStringLiteral("KVX: Help"));
    cmdClose->setText(QStringLiteral("Close"));
    cmdClose->resize(std::max(cmdClose->sizeHint().width(), 90), cmdClose->sizeHint().height());
    txbHelpScreen->setPlainText(HelpText());
    setMinimumSize(120, 90);
    resize(700, 600);
}

void FrmHelp::PlaceWindow() {
    if (!owner_) return;
    // Over the main window as it stands now (it is not yet placed when this
    // window is built): top + 480, left + 200, width - 400, height - 680 twips.
    const QPoint at = owner_->pos();
    move(at.x() + Px(200), at.y() + Px(480));
    resize(std::max(300, owner_->width() - Px(400)), std::max(200, owner_->height() - Px(680)));
}

void FrmHelp::ShowHelp() {
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

void FrmHelp::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as "Close" does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdClose_Click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FrmHelp::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmHelp::Form_Resize() {
    if (isMinimized()) return;
    const int w = width();
    const int h = height();
    // A very small window would give negative sizes: keep them at zero.
    txbHelpScreen->setGeometry(kTextMarginX, kTextTop, std::max(0, w - 2 * kTextMarginX),
                               std::max(0, h - kTextBottomGap));
    cmdClose->move(std::max(0, (w - cmdClose->width()) / 2), std::max(0, h - kButtonFromBottom));
}

void FrmHelp::cmdClose_Click() {
    hide();
    if (afterClose_) afterClose_();
}

}  // namespace kvx
