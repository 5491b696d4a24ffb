#include "osw_netstat/netstat_analysis.h"

#include "core/batches.h"
#include "core/convert.h"
#include "core/fast_text.h"
#include "core/hash.h"
#include "core/progress.h"
#include "core/text.h"

#include <array>
#include <cstdint>
#include <vector>

namespace kavro {

namespace {

// The protocol headers that open a block of counters. The lower-case ones
// are what AIX and the other Unix systems write; Linux writes its own
// capitalised headers, and without them every Linux counter would lose its
// protocol and the same wording under two protocols would be mixed into one
// metric.
constexpr std::array<std::string_view, 17> kProtocolHeaders = {
    "icmp:",  "igmp:",     "tcp:",     "udp:", "ip:",  "ipv6:",    "icmpv6:", //
    "Ip:",    "Icmp:",     "IcmpMsg:", "Tcp:", "Udp:", "UdpLite:", "TcpExt:",
    "IpExt:", "MPTcpExt:", "Sctp:"};

// 1 + the place of the header in kProtocolHeaders when `row` is one, else 0.
std::size_t protocol_header(std::string_view row) {
    // Every header ends with its colon; most rows of an archive do not.
    if (row.empty() || row.back() != ':') return 0;
    for (std::size_t i = 0; i < kProtocolHeaders.size(); ++i)
        if (row == kProtocolHeaders[i]) return i + 1;
    return 0;
}

// The rule texts of tracerules_grid6 that can match (an empty one occurs
// nowhere), in table order; a record names its rule by its place here.
std::vector<std::string> rule_texts(const StringTable& rules) {
    std::vector<std::string> texts;
    for (int r = 1; r < rules.RowCount(); ++r)
        if (!rules.Cell(0, r).empty()) texts.emplace_back(rules.Cell(0, r));
    return texts;
}

// Adds `key` to `keys` and answers whether it was new.
bool add_new(TextPool& keys, std::string_view key) {
    const std::uint32_t before = keys.size();
    keys.intern(key);
    return keys.size() != before;
}

// What an extraction learns on the way besides the records: the distinct
// metric keys in order of first occurrence and, for each record, the place
// of its key among them. The analysis then adds the selector's entries and
// picks the records of one key without reading nets_raw back.
struct Extracted {
    TextPool keys;
    std::vector<std::uint32_t> key_of_record;
};

// The records a run of raw rows yields, read apart from the writes to
// nets_raw so that the next run can be read while this one is written.
// A label or header of the rows before the run is not known while it is
// read; a record that comes before the run's first one takes what is in
// force there.
struct Parsed {
    static constexpr std::uint32_t kInherit = 0xFFFFFFFFu;
    struct Record {
        std::string_view label; // with own_label: the snapshot label
        std::string_view number;
        std::uint32_t rule;   // place in rule_texts
        std::uint32_t header; // 1 + place in kProtocolHeaders, 0 none, or kInherit
        bool own_label;
        // The first record of the run with this label: the writes copy it.
        bool new_label;
    };
    std::vector<Record> records;
    int from = 1, to = 1; // the raw rows read: [from, to)
    // What is in force after the run's last row.
    bool own_label = false;
    std::string_view label;
    std::uint32_t header = kInherit;
};

// Reads rows [from, to) of `lines`: texts of `lines` only, no writes.
void parse_rows(const StringTable& lines, const MultiFind& indicator, const PrefixList& rules,
                int from, int to, Parsed& out) {
    out.records.clear();
    out.from = from;
    out.to = to;
    out.own_label = false;
    out.label = {};
    out.header = Parsed::kInherit;
    // The label of the run's last record, told apart by where its text is:
    // the same place is the same text, as the raw lines do not change while
    // they are read.
    std::string_view written;
    bool any_written = false;
    for (int r = from; r < to; ++r) {
        const std::string_view row = lines.Cell(0, r);

        if (indicator.found_in(row)) {
            // From just after the first blank through the fifth character
            // after the first colon: the seconds of an hh:mm:ss time. An
            // empty one shows as "--", as before any snapshot line.
            const int b = Pos(" ", row);
            const int c = Pos(":", row);
            const std::string_view label = Copy(row, b + 1, c - b + 5);
            out.label = label.empty() ? std::string_view("--") : label;
            out.own_label = true;
        }
        if (const std::size_t h = protocol_header(row)) out.header = static_cast<std::uint32_t>(h);

        // The counter's wording follows its number: blanks, then tabs, are
        // skipped (blanks after a tab stay), and the number runs to the
        // first blank. A row whose wording begins with a rule text also
        // contains it, so this one test stands for both.
        const char* const end = row.data() + row.size();
        const char* p = skip_blanks(row.data(), end);
        while (p < end && *p == '\t') ++p;
        const std::string_view copy(p, static_cast<std::size_t>(end - p));
        const std::size_t blank = copy.find(' ');
        // With no blank the number is empty and the wording the whole text.
        const std::string_view number =
            blank == std::string_view::npos ? std::string_view() : copy.substr(0, blank);
        const std::string_view wording =
            blank == std::string_view::npos ? copy : copy.substr(blank + 1);
        const std::uint32_t rule = rules.last_prefix_of(wording);
        if (rule == PrefixList::npos) continue;
        const bool new_label =
            out.own_label && (!any_written || out.label.data() != written.data() ||
                              out.label.size() != written.size());
        if (new_label) {
            written = out.label;
            any_written = true;
        }
        out.records.push_back({out.label, number, rule, out.header, out.own_label, new_label});
    }
}

void extract(const StringTable& lines, std::string_view snap_indicator,
             const StringTable& metric_rules, StringTable& nets_raw, Extracted* out) {
    const std::vector<std::string> texts = rule_texts(metric_rules);
    const PrefixList rules(texts);
    const auto rule_count = static_cast<std::uint32_t>(texts.size());
    MultiFind indicator(count_bytes(lines));
    indicator.add(snap_indicator, 1);
    std::string label = "--";
    std::string key;
    TextPool local;
    TextPool& keys = out ? out->keys : local;
    // Time and Metric repeat a snapshot's label and a few dozen keys over
    // millions of records: kept once each, a record costs its three cell
    // records and no arena bytes.
    nets_raw.intern_column(nets_raw_col::Time);
    nets_raw.intern_column(nets_raw_col::Metric);
    // A key is the protocol prefix in force (none before the first header)
    // followed by a rule text, so there are at most that many keys: each is
    // built and looked up the first time a record needs it, and found by
    // the header's and the rule's places after that.
    constexpr std::uint32_t kNoKey = 0xFFFFFFFFu;
    std::uint32_t header = 0;
    std::vector<std::uint32_t> key_id((kProtocolHeaders.size() + 1) * rule_count, kNoKey);

    // The records are written on this thread, which reports the progress:
    // the rows read up to the run being written.
    const auto total_rows = static_cast<std::uint64_t>(lines.RowCount());
    const auto publish = [&](const Parsed& run) {
        for (const Parsed::Record& rec : run.records) {
            progress_step(static_cast<std::uint64_t>(run.from), total_rows, "Anlayze OSW File");
            // Kept as a copy, as the last label in force when a run begins.
            if (rec.new_label) label.assign(rec.label);
            const std::uint32_t h = rec.header == Parsed::kInherit ? header : rec.header;
            std::uint32_t& id = key_id[h * rule_count + rec.rule];
            if (id == kNoKey) {
                key.assign(h == 0 ? std::string_view() : kProtocolHeaders[h - 1]);
                key.append(texts[rec.rule]);
                id = keys.intern(key);
            }
            if (out) room_for_one(out->key_of_record);
            nets_raw.SetSlotCell(nets_raw_col::Time, label);
            nets_raw.SetSlotCell(nets_raw_col::Total, rec.number);
            nets_raw.SetSlotCell(nets_raw_col::Metric, keys.text(id));
            nets_raw.CommitSlot();
            if (out) out->key_of_record.push_back(id);
        }
        if (run.own_label) label.assign(run.label);
        if (run.header != Parsed::kInherit) header = run.header;
    };

    // The reading of the rows and the writing of the records each take about
    // half the time, so the next run of rows is read on a second thread
    // while this one is written; the raw lines (never nets_raw itself) are
    // only read meanwhile.
    constexpr int kRunRows = 32768;
    const int rows = lines.RowCount();
    int from = 1;
    const auto read = [&](Parsed& run) {
        const int to = rows - from > kRunRows ? from + kRunRows : rows;
        parse_rows(lines, indicator, rules, from, to, run);
        from = to;
        return from < rows;
    };
    read_then_publish<Parsed>(read, publish, true);
    nets_raw.TrimTable();
}

// The metric view over the records that `each_row` hands to its callback in
// table order: those of the one metric key shown.
template <class EachRow>
void metric_view(MetricView form, StringTable& nets_anal, Chart& nets_graph, EachRow&& each_row) {
    if (form == MetricView::Fresh) {
        nets_anal.ResetTable();
        nets_graph.remove_all_series();
    }

    each_row([&](std::string_view time, std::string_view metric, std::string_view total) {
        nets_anal.AppendRow({time, metric, total});
    });
    nets_anal.TrimTable();

    const int last = nets_anal.RowCount() - 1;
    // A metric of every snapshot of a large archive has hundreds of
    // thousands of rows; the three walks below report as one.
    std::uint64_t walked = 0;
    const auto walk = [&] {
        progress_step(walked++, 3 * static_cast<std::uint64_t>(last), "Metric");
    };
    // Each Delta is taken against the row directly above. A row's own Total
    // is read before the one above, so when both are bad the message quotes
    // the lower row; the value above is kept from its own reading.
    double above = 0;
    for (int r = 1; r <= last; ++r) {
        walk();
        if (r == 1) {
            nets_anal.SetCell(nets_anal_col::Delta, r, "0");
            continue;
        }
        const double own = StrToFloat(nets_anal.Cell(nets_anal_col::Total, r));
        if (r == 2) above = StrToFloat(nets_anal.Cell(nets_anal_col::Total, 1));
        nets_anal.SetCell(nets_anal_col::Delta, r, FloatToStr(own - above));
        above = own;
    }

    for (int r = 1; r <= last; ++r) {
        walk();
        const std::string_view title = nets_anal.Cell(nets_anal_col::Metric, r);
        if (!nets_graph.series_with_title(title).empty()) continue;
        Series& s = nets_graph.add_series(SeriesKind::Bar);
        s.set_title(title);
        s.set_marks_visible(false);
    }

    for (int r = 1; r <= last; ++r) {
        walk();
        const double delta = StrToFloat(nets_anal.Cell(nets_anal_col::Delta, r));
        for (int index : nets_graph.series_with_title(nets_anal.Cell(nets_anal_col::Metric, r)))
            nets_graph.series(index).add_value(delta, nets_anal.Cell(nets_anal_col::Time, r));
    }
}

} // namespace

void clear_netstat_analysis(NetstatPage& page) {
    page.nets_raw.ResetTable();
    page.nets_anal.ResetTable();
    page.nets_graph.remove_all_series();
}

void clear_netstat(NetstatPage& page) {
    page.net_combo.clear();
    page.nets_trace_grid.ResetTable();
    page.nets_raw.ResetTable();
    page.nets_anal.ResetTable();
    page.nets_graph.remove_all_series();
}

namespace {

// Adds every distinct Metric of `nets_raw` that the selector does not hold
// yet, in order of first occurrence (AddUniqueItem's outcome, found through a
// hash instead of a walk over the items for every row).
void collect_metrics(const StringTable& nets_raw, Selector& net_combo) {
    // Seeded with what the selector holds, since Clear Analysis keeps its
    // entries and a later analysis adds only the keys that are new.
    TextPool seen;
    for (const std::string& item : net_combo.items()) seen.intern(item);
    for (int r = 1; r < nets_raw.RowCount(); ++r) {
        const std::string_view metric = nets_raw.Cell(nets_raw_col::Metric, r);
        if (add_new(seen, metric)) net_combo.add(metric);
    }
}

} // namespace

void build_metric_view(const StringTable& nets_raw, std::string_view metric, MetricView form,
                       StringTable& nets_anal, Chart& nets_graph) {
    // The text may belong to the selector; keep a copy of our own.
    const std::string wanted(metric);
    metric_view(form, nets_anal, nets_graph, [&](auto&& append) {
        for (int r = 1; r < nets_raw.RowCount(); ++r) {
            progress_step(static_cast<std::uint64_t>(r),
                          static_cast<std::uint64_t>(nets_raw.RowCount()), "Metric");
            if (nets_raw.Cell(nets_raw_col::Metric, r) != wanted) continue;
            append(nets_raw.Cell(nets_raw_col::Time, r), nets_raw.Cell(nets_raw_col::Metric, r),
                   nets_raw.Cell(nets_raw_col::Total, r));
        }
    });
}

void show_netstat_metric(NetstatPage& page) {
    build_metric_view(page.nets_raw, page.net_combo.text(), MetricView::Fresh, page.nets_anal,
                      page.nets_graph);
}

void analyse_netstat(NetstatPage& page, const TraceRulesPage& rules) {
    // A new analysis starts from a clean result, so analysing twice gives
    // what analysing once gives instead of writing over the last record.
    clear_netstat_analysis(page);
    Extracted found;
    extract(page.nets_trace_grid, rules.nets_start.text, rules.tracerules_grid6, page.nets_raw,
            &found);
    const std::vector<std::uint32_t>& records = found.key_of_record;
    if (records.empty()) {
        // No record: nets_raw keeps its one empty row, which an empty
        // metric text would still pick.
        collect_metrics(page.nets_raw, page.net_combo);
        if (page.net_combo.count() > 0) page.net_combo.select(0);
        build_metric_view(page.nets_raw, page.net_combo.text(), MetricView::Accumulating,
                          page.nets_anal, page.nets_graph);
    } else {
        // Every row of nets_raw is a record, and the keys of the records in
        // order of first occurrence are what collect_metrics would
        // find walking them.
        const TextPool& keys = found.keys;
        TextPool seen;
        for (const std::string& item : page.net_combo.items()) seen.intern(item);
        for (std::uint32_t k = 0; k < keys.size(); ++k)
            if (add_new(seen, keys.text(k))) page.net_combo.add(keys.text(k));
        page.net_combo.select(0);
        const std::uint32_t want = keys.find(page.net_combo.text());
        const StringTable& raw = page.nets_raw;
        metric_view(MetricView::Accumulating, page.nets_anal, page.nets_graph, [&](auto&& append) {
            if (want == TextPool::npos) return;
            for (std::size_t i = 0; i < records.size(); ++i) {
                progress_step(i, records.size(), "Anlayze OSW File");
                if (records[i] != want) continue;
                const int r = static_cast<int>(i) + 1;
                append(raw.Cell(nets_raw_col::Time, r), raw.Cell(nets_raw_col::Metric, r),
                       raw.Cell(nets_raw_col::Total, r));
            }
        });
    }
    page.page_osw_nets.active_tab = page.page_osw_nets.tab_index("TabSheet13");
}

} // namespace kavro
