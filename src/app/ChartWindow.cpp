#include "ChartWindow.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QKeyEvent>
#include <QLabel>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSpinBox>
#include <QSvgGenerator>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "MainWindow.h"
#include "QtHost.h"
#include "QtUtil.h"
#include "words/Listing.h"

namespace kvx {
namespace {

const QString kTopWordsKey = QStringLiteral("frmChart/topWords");

QSettings Settings() { return QSettings(QStringLiteral("kvx"), QStringLiteral("kvx")); }

QChartView* NewView(QWidget* parent, const char* name) {
    auto* view = new QChartView(new QChart, parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(320, 240);
    view->chart()->setMargins(QMargins(4, 4, 4, 4));
    return view;
}

// Empties a chart of its series and axes before it is drawn again.
void Clear(QChart* chart) {
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
}

// A logarithmic axis range with a little room around lo..hi; widened to the
// powers of ten around them when it would hold no power of ten to label.
std::pair<double, double> LogRange(double lo, double hi) {
    lo = std::max(lo, 1e-9) / 1.4;
    hi = std::max(hi, lo) * 1.4;
    if (std::floor(std::log10(hi)) >= std::ceil(std::log10(lo))) return {lo, hi};
    return {std::pow(10.0, std::floor(std::log10(lo))), std::pow(10.0, std::ceil(std::log10(hi)))};
}

}  // namespace

ChartWindow::ChartWindow(MainWindow& main) : QWidget(&main, Qt::Window), main_(main) {
    setObjectName(QStringLiteral("frmChart"));
    setWindowTitle(QStringLiteral("KVX: Chart"));

    tabViews = new QTabWidget(this);
    tabViews->setObjectName(QStringLiteral("tabViews"));

    auto* barsPage = new QWidget(tabViews);
    spnTopWords = new QSpinBox(barsPage);
    spnTopWords->setObjectName(QStringLiteral("spnTopWords"));
    spnTopWords->setRange(10, ChartData::kMaxBars);
    spnTopWords->setValue(std::clamp(Settings().value(kTopWordsKey, 30).toInt(), 10, ChartData::kMaxBars));
    auto* topWordsLabel = new QLabel(QStringLiteral("&Words shown:"), barsPage);
    topWordsLabel->setBuddy(spnTopWords);
    // Many bars get more room than the window has: the chart then scrolls.
    auto* barsScroll = new QScrollArea(barsPage);
    barsScroll->setWidgetResizable(true);
    barsScroll->setFrameShape(QFrame::NoFrame);
    chtBars = NewView(barsScroll, "chtBars");
    chtBars->chart()->legend()->hide();
    barsScroll->setWidget(chtBars);
    auto* barsRow = new QHBoxLayout;
    barsRow->addWidget(topWordsLabel);
    barsRow->addWidget(spnTopWords);
    barsRow->addStretch(1);
    auto* bars = new QVBoxLayout(barsPage);
    bars->addLayout(barsRow);
    bars->addWidget(barsScroll, 1);
    tabViews->addTab(barsPage, QStringLiteral("&Top words"));

    auto* ranksPage = new QWidget(tabViews);
    chtRanks = NewView(ranksPage, "chtRanks");
    slopeLabel = new QLabel(ranksPage);
    slopeLabel->setObjectName(QStringLiteral("lblSlope"));
    slopeLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* ranks = new QVBoxLayout(ranksPage);
    ranks->addWidget(slopeLabel);
    ranks->addWidget(chtRanks, 1);
    tabViews->addTab(ranksPage, QStringLiteral("&Rank and frequency"));

    saveImageButton = new QPushButton(QStringLiteral("&Save image..."), this);
    saveImageButton->setObjectName(QStringLiteral("cmdSaveImage"));
    closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("cmdClose"));
    auto* commands = new QHBoxLayout;
    commands->addWidget(saveImageButton);
    commands->addStretch(1);
    commands->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabViews, 1);
    layout->addLayout(commands);

    connect(spnTopWords, &QSpinBox::valueChanged, this, [this] { spnTopWords_ValueChanged(); });
    connect(saveImageButton, &QPushButton::clicked, this, [this] { ChooseAndSaveImage(); });
    connect(closeButton, &QPushButton::clicked, this, &QWidget::hide);
    resize(820, 760);
}

void ChartWindow::SetData(ChartData data, int64_t listing) {
    data_ = std::move(data);
    listing_ = listing;
    DrawBars();
    DrawRanks();
    saveImageButton->setEnabled(listing >= 0);
}

void ChartWindow::ShowNoListing() {
    SetData({}, -1);
    for (QChartView* view : {chtBars, chtRanks})
        view->chart()->setTitle(QStringLiteral("No current listing: count the words to chart them"));
}

void ChartWindow::ShowChart() {
    if (!placed_) {
        // Over the main window, a little down and to the right.
        move(main_.pos() + QPoint(Px(600), Px(600)));
        placed_ = true;
    }
    if (isMinimized()) showNormal();
    else show();
    raise();
    activateWindow();
}

void ChartWindow::DrawBars() {
    QChart* chart = chtBars->chart();
    Clear(chart);
    const int n = std::min(spnTopWords->value(), int(data_.bars.size()));
    if (n == 0) {
        chart->setTitle(QStringLiteral("No words to chart"));
        chtBars->setMinimumHeight(240);  // no room kept for the bars of the last chart
        return;
    }
    // Bars are drawn from the bottom up: the most frequent goes in last.
    auto* set = new QBarSet(QStringLiteral("Frequency"));
    QStringList words;
    for (int i = n - 1; i >= 0; --i) {
        set->append(double(data_.bars[size_t(i)].frequency));
        words << Q(data_.bars[size_t(i)].word);
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    chart->addSeries(series);

    auto* wordAxis = new QBarCategoryAxis;
    wordAxis->append(words);
    // Every word written out, each bar tall enough for its word.
    wordAxis->setTruncateLabels(false);
    const QFontMetrics metrics(wordAxis->labelsFont());
    // (Qt Charts hides the top word when its row is much tighter than this.)
    chtBars->setMinimumHeight(std::max(240, n * (metrics.height() + 5) + 4 * metrics.height()));
    auto* freqAxis = new QValueAxis;
    freqAxis->setTitleText(QStringLiteral("Frequency"));
    freqAxis->setLabelFormat(QStringLiteral("%.0f"));
    const double top = double(data_.bars.front().frequency);
    freqAxis->setRange(0, top);
    freqAxis->applyNiceNumbers();
    // Whole numbers only: a small top gets one tick per unit.
    if (freqAxis->max() <= 10) freqAxis->setTickCount(int(freqAxis->max()) + 1);
    chart->addAxis(wordAxis, Qt::AlignLeft);
    chart->addAxis(freqAxis, Qt::AlignBottom);
    series->attachAxis(wordAxis);
    series->attachAxis(freqAxis);
    chart->setTitle(QStringLiteral("The %1 most frequent words").arg(n));
}

void ChartWindow::DrawRanks() {
    QChart* chart = chtRanks->chart();
    Clear(chart);
    if (data_.curve.empty()) {
        chart->setTitle(QStringLiteral("No words to chart"));
        slopeLabel->clear();
        return;
    }
    chart->setTitle(QStringLiteral("Rank and frequency of %1 words").arg(Q(main_.host().formatGrouped(data_.words))));

    auto* words = new QLineSeries;
    words->setName(QStringLiteral("Words"));
    QList<QPointF> points;
    points.reserve(qsizetype(data_.curve.size()));
    double lo = double(data_.curve.back().frequency), hi = double(data_.curve.front().frequency);
    for (const RankPoint& p : data_.curve) points << QPointF(double(p.rank), double(p.frequency));
    words->replace(points);
    chart->addSeries(words);

    QLineSeries* fit = nullptr;
    if (data_.fitRanks >= 2) {
        fit = new QLineSeries;
        fit->setName(QStringLiteral("Least-squares line, ranks 1 to %1").arg(data_.fitRanks));
        const double last = double(data_.fitRanks);
        const double f1 = std::pow(10.0, data_.intercept);
        const double fn = std::pow(10.0, data_.intercept + data_.slope * std::log10(last));
        fit->append(1, f1);
        fit->append(last, fn);
        QPen pen(Qt::red);
        pen.setWidth(2);
        pen.setStyle(Qt::DashLine);
        fit->setPen(pen);
        chart->addSeries(fit);
        lo = std::min({lo, f1, fn});
        hi = std::max({hi, f1, fn});
        // Two decimals; a slope that rounds to nothing is 0.00 either way.
        auto figure = [](double x) {
            const QString s = QString::number(x, 'f', 2);
            return s == QLatin1String("-0.00") ? QStringLiteral("0.00") : s;
        };
        slopeLabel->setText(QStringLiteral("Slope of the line: %1    Zipf exponent: %2")
                              .arg(figure(data_.slope), figure(-data_.slope)));
    } else {
        slopeLabel->setText(QStringLiteral("Too few words for a line."));
    }

    auto logAxis = [](const QString& title, std::pair<double, double> range) {
        auto* axis = new QLogValueAxis;
        axis->setTitleText(title);
        axis->setBase(10);
        axis->setLabelFormat(QStringLiteral("%g"));
        axis->setMinorTickCount(8);
        axis->setRange(range.first, range.second);
        return axis;
    };
    QLogValueAxis* rankAxis = logAxis(QStringLiteral("Rank"), {1, std::max(10.0, 1.4 * double(data_.words))});
    QLogValueAxis* freqAxis = logAxis(QStringLiteral("Frequency"), LogRange(lo, hi));
    chart->addAxis(rankAxis, Qt::AlignBottom);
    chart->addAxis(freqAxis, Qt::AlignLeft);
    for (QLineSeries* s : {words, fit}) {
        if (!s) continue;
        s->attachAxis(rankAxis);
        s->attachAxis(freqAxis);
    }
}

void ChartWindow::spnTopWords_ValueChanged() {
    Settings().setValue(kTopWordsKey, spnTopWords->value());
    DrawBars();
}

void ChartWindow::ChooseAndSaveImage() {
    QtHost& host = main_.host();
    const QtHost::Owner owner(host, this);
    int type = 0;
    const QString name = host.saveFileAs(QStringLiteral("Save image"),
                                         QStringLiteral("PNG image (*.png);;SVG image (*.svg)"),
                                         {QStringLiteral("png"), QStringLiteral("svg")}, type);
    if (!name.isEmpty()) SaveImage(name, type == 1);
}

bool ChartWindow::SaveImage(const QString& path, bool svg) {
    QChartView* view = tabViews->currentIndex() == 0 ? chtBars : chtRanks;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (svg) {
        QSvgGenerator svgImage;
        svgImage.setOutputDevice(&buffer);
        svgImage.setSize(view->size());
        svgImage.setViewBox(view->rect());
        svgImage.setTitle(view->chart()->title());
        QPainter painter(&svgImage);
        view->render(&painter);
    } else {
        view->grab().save(&buffer, "PNG");
    }
    QtHost& host = main_.host();
    const ListingOutcome o = WriteOut(
        path.toStdString(),
        [&](std::ostream& out) { out.write(bytes.constData(), std::streamsize(bytes.size())); }, host.ioFaults());
    if (o.error.number == 0) return true;
    const QtHost::Owner owner(host, this);
    host.message("The image was not saved.\r\n" + ErrorNumberText(main_.texts().Get(Message::ErrorTitle), o.error),
                 "Save image", Icon::Exclamation, Buttons::OK);
    return false;
}

void ChartWindow::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as "Close" does.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace kvx
