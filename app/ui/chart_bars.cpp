#include "app/ui/bar_labels_item.h"
#include "app/ui/chart_parts.h"
#include "app/ui/chart_view.h"
#include "chart/plot_geometry.h"

#include <QBarSeries>
#include <QBarSet>
#include <QHorizontalBarSeries>
#include <QLegend>

#include <algorithm>

namespace kavro::ui {

// Bar charts. The slots of the category axis hold one bar of each bar
// series; Qt Charts cannot reverse a category axis, so an inverted axis is
// drawn by handing the slots over last first, and a paged chart gets empty
// slots up to a full page, so its bars keep their height. Qt Charts makes an
// item for every bar and takes its categories one by one, comparing each
// with all before it, so it is handed at most what can be seen: a paged
// chart (the plan bars) one page, filled again when it scrolls; a chart of
// more bars than its plot has pixel columns one bar for every few, the
// largest of them (its peaks stay), labelled with the first one's label.
void ChartView::build_bars(QChart* c, const Series* labelled, bool horizontal) {
    QAbstractBarSeries* bars = horizontal
                                   ? static_cast<QAbstractBarSeries*>(new QHorizontalBarSeries())
                                   : static_cast<QAbstractBarSeries*>(new QBarSeries());
    const bool flip = horizontal && style_.inverted_category_axis;
    const qsizetype labels = labelled ? labelled->point_count() : 0;
    const qsizetype rows = std::max<qsizetype>(labels, style_.bars_per_page);
    const auto source = [&](qsizetype k) { return flip ? rows - 1 - k : k; };
    bar_slots_.clear();
    slot_labels_.clear();
    slot_labels_.reserve(static_cast<std::size_t>(rows));
    bars_per_column_ = 0;
    bool marks = false;
    double lo = 0, hi = 0;
    for (int i = 0; i < model_->series_count(); ++i) {
        const Series& s = model_->series(i);
        if (s.kind() != SeriesKind::Bar && s.kind() != SeriesKind::HorizBar) continue;
        auto* set = new QBarSet(to_qstring(s.title()));
        Colour colour = s.colour();
        if (s.point_count() > 0 && (s.point_colour(0) >> 24) != 0) colour = s.point_colour(0);
        set->setColor(to_qcolor(colour, static_cast<std::size_t>(i)));
        set->setBorderColor(to_qcolor(colour, static_cast<std::size_t>(i)).darker(130));
        std::vector<double> values;
        values.reserve(static_cast<std::size_t>(std::max<qsizetype>(rows, s.point_count())));
        for (qsizetype k = 0; k < std::max<qsizetype>(rows, s.point_count()); ++k) {
            const auto p = static_cast<int>(source(k));
            values.push_back(s.active() && p >= 0 && p < s.point_count() ? s.value(p) : 0.0);
            lo = std::min(lo, values.back());
            hi = std::max(hi, values.back());
        }
        bar_slots_.push_back(std::move(values));
        marks |= s.marks_visible();
        bars->append(set);
        drawn_[static_cast<std::size_t>(i)] = bars;
    }
    for (qsizetype k = 0; k < rows; ++k) {
        const qsizetype j = source(k);
        slot_labels_.emplace_back(j < labels ? labelled->label(static_cast<int>(j))
                                             : std::string_view());
    }
    bars->setLabelsVisible(marks);
    if (horizontal) bars->setBarWidth(0.3); // bars offset by 70 percent of their room
    c->addSeries(bars);
    auto* cat = new QBarCategoryAxis();
    if (style_.category_font) cat->setLabelsFont(*style_.category_font);
    cat->setLabelsColor(style_.category_colour);
    auto* values = new QValueAxis();
    values->setLabelFormat(style_.value_format);
    if (!style_.value_axis_title.isEmpty()) values->setTitleText(style_.value_axis_title);
    c->addAxis(cat, horizontal ? Qt::AlignLeft : Qt::AlignBottom);
    c->addAxis(values, horizontal ? Qt::AlignBottom : Qt::AlignLeft);
    bars->attachAxis(cat);
    bars->attachAxis(values);
    values->setRange(lo, hi > lo ? hi * 1.05 : lo + 1);
    bar_axis_ = cat;
    bar_series_ = bars;
    if (style_.bars_per_page > 0) {
        first_bar_ = std::clamp(first_bar_, 0, max_first_bar());
        fill_bar_page();
    } else {
        fill_bar_buckets();
    }
    if (!horizontal) {
        // Qt Charts cuts every label down to the width of its own bar, so a
        // crowded axis shows "..." under each; the view writes every k-th
        // label itself instead, in the room the axis's labels would have
        // taken.
        QFont font = style_.category_font ? *style_.category_font : cat->labelsFont();
        cat->setLabelsVisible(false);
        bar_labels_ =
            new BarLabelsItem(c, bar_names_, bar_names_.size() > 12, font, style_.category_colour);
        QMargins m = c->margins();
        m.setBottom(m.bottom() + bar_labels_->room());
        c->setMargins(m);
        // A wider plot has room for more bars.
        connect(c, &QChart::plotAreaChanged, this, [this] { fill_bar_buckets(); });
    }
    c->legend()->setVisible(style_.legend);
}

// Slots `from` to `to` (not included) of every bar set, `per` slots to a bar.
void ChartView::hand_bars(qsizetype from, qsizetype to, qsizetype per) {
    const QList<QBarSet*> sets = bar_series_->barSets();
    for (qsizetype i = 0; i < sets.size(); ++i) {
        const std::vector<double>& all = bar_slots_[static_cast<std::size_t>(i)];
        QList<qreal> shown;
        for (qsizetype k = from; k < to; k += per) {
            shown << largest_magnitude(all, k, std::min(k + per, to));
        }
        // One call for every value: a bar set tells its series of each
        // change, which then looks at every bar again.
        sets[i]->remove(0, sets[i]->count());
        sets[i]->append(shown);
    }
    bar_names_.clear();
    bar_tips_.clear();
    for (qsizetype k = from; k < to; k += per) {
        bar_names_ << slot_label(k);
        const qsizetype end = std::min(k + per, to) - 1;
        bar_tips_ << (end > k ? plain(slot_label(k)) + " - " + plain(slot_label(end))
                              : plain(slot_label(k)));
    }
    QStringList categories = unique_labels(bar_names_);
    if (categories.isEmpty()) categories << QString(QChar(0x00A0));
    bar_axis_->setCategories(categories);
    if (bar_labels_) bar_labels_->set_labels(bar_names_);
    bars_per_column_ = per;
}

void ChartView::fill_bar_buckets() {
    const auto n = static_cast<qsizetype>(slot_labels_.size());
    const auto columns = static_cast<qsizetype>(line_columns());
    const qsizetype per = slots_per_bar(n, columns);
    if (bar_series_ && per != bars_per_column_) hand_bars(0, n, per);
}

QString ChartView::slot_label(qsizetype k) const {
    const std::string& text = slot_labels_[static_cast<std::size_t>(k)];
    // Qt drops a null category, which would shift every bar.
    return text.empty() ? QString(QChar(0x00A0)) : to_qstring(text);
}

int ChartView::max_first_bar() const {
    return std::max<int>(0, static_cast<int>(slot_labels_.size()) - style_.bars_per_page);
}

void ChartView::fill_bar_page() {
    if (!bar_series_) return;
    const auto n = static_cast<int>(slot_labels_.size());
    const int last = std::min<int>(first_bar_ + style_.bars_per_page - 1, n - 1);
    // first_bar_ counts from the top of an inverted axis, whose slots come
    // last first.
    if (style_.inverted_category_axis)
        hand_bars(n - 1 - last, n - first_bar_, 1);
    else
        hand_bars(first_bar_, last + 1, 1);
}

void ChartView::scroll_bars(int delta) {
    if (style_.bars_per_page <= 0 || !bar_series_) return;
    const int next = std::clamp(first_bar_ + delta, 0, max_first_bar());
    if (next == first_bar_) return;
    first_bar_ = next;
    fill_bar_page();
}

std::vector<std::pair<int, QString>> ChartView::bar_labels_shown() const {
    std::vector<std::pair<int, QString>> out;
    for (QGraphicsItem* child : chart()->childItems()) {
        const auto* item = dynamic_cast<const BarLabelsItem*>(child);
        if (!item) continue;
        const qsizetype k = item->step();
        for (qsizetype j = 0; j < item->labels().size(); j += k)
            out.emplace_back(static_cast<int>(j), item->labels()[j]);
    }
    return out;
}

} // namespace kavro::ui
