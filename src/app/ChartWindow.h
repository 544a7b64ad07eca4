#pragma once
// The chart window: the listed result as bars of its most frequent words and
// as rank against frequency on logarithmic axes, with the least-squares line
// and its slope. It draws a ChartData worked out by the core; the main window
// hands it a new one whenever the result is listed again.

#include <QWidget>
#include <cstdint>

#include "words/ChartData.h"

class QChart;
class QChartView;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace kvx {

class MainWindow;

class ChartWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChartWindow(MainWindow& main);

    /// Draws the chart of a result; listing tells which listing it is.
    void SetData(ChartData data, int64_t listing);
    /// Draws nothing: there is no listing to chart now (listing -1).
    void ShowNoListing();
    const ChartData& data() const { return data_; }
    /// The listing the chart shows (-1 before the first).
    int64_t listing() const { return listing_; }
    /// Shows the window (placed beside the main window the first time).
    void ShowChart();

    /// Writes the chart of the open tab to path as PNG, or as SVG when
    /// svg is set; the file is replaced whole or not at all. A failure is
    /// reported; returns whether the file was written.
    bool SaveImage(const QString& path, bool svg);

    void ChooseAndSaveImage();
    void spnTopWords_ValueChanged();

    QTabWidget* tabViews;
    QSpinBox* spnTopWords;
    QChartView* chtBars;
    QChartView* chtRanks;
    QLabel* slopeLabel;
    QPushButton* saveImageButton;
    QPushButton* closeButton;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void DrawBars();
    void DrawRanks();

    MainWindow& main_;
    ChartData data_;
    int64_t listing_ = -1;
    bool placed_ = false;
};

}  // namespace kvx
