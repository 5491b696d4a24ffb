#pragma once

// Draws a chart model with Qt Charts. The model keeps every point; a line
// series of more than a few thousand points reaches Qt Charts reduced to the
// minimum and maximum of each of a few thousand x buckets, so a million-point
// timeline draws at once. The 3D options become a transform of the view.

#include "chart/chart.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QCategoryAxis>
#include <QChartView>
#include <QColor>
#include <QContextMenuEvent>
#include <QFont>
#include <QStringList>
#include <QValueAxis>

#include <optional>

#include <vector>

class QListView;

namespace kavro::ui {

// Appearance a page gives its chart: what the window layout fixes and the
// model does not carry.
struct ChartStyle {
    bool legend = true;
    Qt::Alignment legend_alignment = Qt::AlignBottom;
    std::optional<QFont> legend_font;
    QString value_format = "%.10g";      // label format of the value axes
    bool grouped_numbers = false;        // value labels with thousands separators (1,234.5)
    QString value_axis_title;            // title of the value axis
    bool labels_on_bottom_axis = false;  // line/bar charts: the bottom axis shows point labels
    bool time_axis = false;              // Gantt: bottom axis in hh:mm:ss
    bool inverted_category_axis = false; // horizontal bars: first bar at the top
    std::optional<QFont> category_font;
    QColor category_colour = Qt::black;
    int bars_per_page = 0; // horizontal bars: a page of this many, the rest by scrolling
    QStringList notes;     // texts drawn inside the chart, top right
    QColor notes_colour = Qt::blue;
    bool mouse_zoom = false; // the chart's own zoom (left drag) and scroll (right drag)
    QMargins margins{4, 4, 4, 4};
};

class ChartView : public QChartView {
    Q_OBJECT
public:
    ChartView(const Chart& model, ChartStyle style, QWidget* parent = nullptr);

    // Brings the drawing up to date with the model when its revision moved.
    void sync();
    const Chart& model() const { return *model_; }
    // First category shown when the chart pages its horizontal bars.
    int first_bar() const { return first_bar_; }
    void scroll_bars(int delta);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

public:
    // Writes the chart as PNG or SVG, by the name's extension.
    bool save_image(const QString& file);
    // Entries of the scrolling legend that replaces the chart's own when a
    // chart has many series (empty otherwise).
    QStringList side_legend_entries() const;
    // The labels written under a vertical bar chart at its present width
    // (every k-th bar's), with the index of each bar labelled.
    std::vector<std::pair<int, QString>> bar_labels_shown() const;

private:
    struct Cached {
        std::uint64_t data_revision = 0;
        SeriesKind kind = SeriesKind::Line;
    };
    // A fresh chart from the model, filled by the builder of its kind
    // (chart_builders.cpp, chart_bars.cpp).
    void rebuild();
    void build_pies(QChart* c);
    void build_bars(QChart* c, const Series* labelled, bool horizontal);
    void build_gantt(QChart* c);
    void build_lines(QChart* c, const Series* labelled, bool right_axis);
    void label_points();
    void update_flags();
    void apply_view3d();
    QString slot_label(qsizetype k) const;
    void hand_bars(qsizetype from, qsizetype to, qsizetype per);
    void fill_bar_buckets();
    void fill_bar_page();
    int max_first_bar() const;
    void place_notes();
    void fit_pie_labels();
    bool same_shape() const;
    void connect_hover();
    void fill_side_legend();
    void place_side_legend();
    void show_tooltip(const QString& text);
    bool zoomable() const;
    double line_columns() const;
    void fill_lines(bool only_new);

    const Chart* model_;
    ChartStyle style_;
    std::uint64_t revision_ = ~std::uint64_t(0);
    std::vector<Cached> cached_;
    std::vector<QAbstractSeries*> drawn_; // per model series (null when not drawn alone)
    class GanttItem* gantt_ = nullptr;
    class LinesItem* lines_ = nullptr;    // many line series, drawn by our own item
    QValueAxis* bottom_axis_ = nullptr;   // of a line chart
    QCategoryAxis* point_axis_ = nullptr; // a line chart's bottom axis of point labels
    int point_labels_of_ = -1;            // the series whose labels it shows
    int point_label_step_ = 0;            // every how many points a label stands
    double point_label_width_ = 0;        // the plot width the labels were spaced for
    bool labelling_ = false;
    std::vector<char> filled_; // Qt Charts lines: the series carries its points
    double filled_width_ = 0;
    bool filling_ = false;
    QStringList bar_tips_; // what the hover names each bar handed to Qt Charts by
    std::vector<std::vector<double>> bar_slots_; // per bar set, the value of every slot
    // The label of every slot, as bytes: a QString each would cost more than
    // the rest of a chart of half a million bars.
    std::vector<std::string> slot_labels_;
    QAbstractBarSeries* bar_series_ = nullptr;
    QBarCategoryAxis* bar_axis_ = nullptr;
    class BarLabelsItem* bar_labels_ = nullptr;
    QStringList bar_names_;         // the labels of the bars handed over
    qsizetype bars_per_column_ = 0; // slots to a bar handed over
    std::vector<QGraphicsSimpleTextItem*> note_items_;
    int first_bar_ = 0;
    bool right_dragging_ = false;
    bool right_moved_ = false;
    bool panning_ = false;
    QPoint drag_from_;
    QListView* side_legend_ = nullptr;
    class ChartLegendModel* legend_model_ = nullptr;
};

// The colour of a series or point on screen: the automatic colour becomes
// the chart's sequence entry for `ordinal`.
QColor to_qcolor(Colour c, std::size_t ordinal);

} // namespace kavro::ui
