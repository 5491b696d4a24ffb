#include "osw_netstat/netstat_analysis.h"

#include "core/convert.h"
#include "core/progress.h"
#include "core/text.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <future>
#include <system_error>
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

// Contains(row, indicator) for every row of the archive. The indicator is
// looked for by the byte of it that the first rows hold least often (for
// "zzz", a "z", which counter rows never hold), found with memchr and
// confirmed in place, rather than by a substring search a row.
class IndicatorFinder {
public:
    IndicatorFinder(std::string_view indicator, const StringTable& lines) : text_(indicator) {
        if (text_.empty()) return;
        std::array<std::uint32_t, 256> counts{};
        for (int r = 1; r < lines.RowCount() && r <= 4096; ++r)
            for (char c : lines.Cell(0, r)) ++counts[static_cast<unsigned char>(c)];
        for (std::size_t i = 1; i < text_.size(); ++i)
            if (counts[static_cast<unsigned char>(text_[i])] <
                counts[static_cast<unsigned char>(text_[key_])])
                key_ = i;
    }

    // An empty indicator occurs nowhere.
    bool in(std::string_view row) const {
        if (text_.empty() || row.size() < text_.size()) return false;
        const char* data = row.data();
        const std::size_t size = row.size();
        // The key can stand no earlier than key_ and no later than
        // size - (length - key_).
        std::size_t from = key_;
        const std::size_t last = size - (text_.size() - key_);
        while (from <= last) {
            const void* hit = std::memchr(data + from, text_[key_], last - from + 1);
            if (!hit) return false;
            const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
            if (std::memcmp(data + at - key_, text_.data(), text_.size()) == 0) return true;
            from = at + 1;
        }
        return false;
    }

private:
    std::string text_;
    std::size_t key_ = 0;
};

// The rule texts grouped by their first byte, each group in table order.
// A counter row can only match rules that begin with the first byte of its
// wording, so each row looks at one small group instead of every rule.
class RuleIndex {
public:
    explicit RuleIndex(const StringTable& rules) {
        for (int r = 1; r < rules.RowCount(); ++r) {
            std::string_view m = rules.Cell(0, r);
            if (m.empty()) continue; // an empty rule text occurs nowhere
            Rule rule{std::string(m), count_++, 0, 0};
            const std::size_t n = m.size() < 8 ? m.size() : 8;
            std::memcpy(&rule.head, m.data(), n);
            rule.mask = n == 8 ? ~std::uint64_t(0) : (std::uint64_t(1) << (8 * n)) - 1;
            groups_[static_cast<unsigned char>(m.front())].push_back(std::move(rule));
            texts_.emplace_back(m);
        }
    }

    struct Rule {
        std::string text;
        std::uint32_t index; // among the non-empty rules, in table order
        // The first eight bytes (fewer for a shorter text, the rest of the
        // word masked off), so that a wording of eight bytes or more is
        // told from most rules of its group by one compare of a word.
        std::uint64_t head;
        std::uint64_t mask;
    };

    std::uint32_t count() const { return count_; }
    std::string_view text(std::uint32_t index) const { return texts_[index]; }

    // The last rule in table order that `wording` begins with, or nullptr.
    // When several rules fit the same row they all write the same record
    // slot, so the last of them is the one whose text stays.
    const Rule* last_match(std::string_view wording) const {
        if (wording.empty()) return nullptr;
        const auto& group = groups_[static_cast<unsigned char>(wording.front())];
        if (wording.size() < 8) {
            for (auto it = group.rbegin(); it != group.rend(); ++it)
                if (BeginsWith(wording, it->text)) return &*it;
            return nullptr;
        }
        std::uint64_t word;
        std::memcpy(&word, wording.data(), 8);
        for (auto it = group.rbegin(); it != group.rend(); ++it) {
            if ((word & it->mask) != it->head || wording.size() < it->text.size()) continue;
            if (it->text.size() <= 8 ||
                std::memcmp(wording.data() + 8, it->text.data() + 8, it->text.size() - 8) == 0)
                return &*it;
        }
        return nullptr;
    }

private:
    std::array<std::vector<Rule>, 256> groups_;
    std::uint32_t count_ = 0;
    std::vector<std::string> texts_; // by index
};

// The metric keys seen so far, for the one lookup a record of
// collect_metrics: open addressing over a power-of-two table, the
// hash mixing the length with the first and last eight bytes, which is
// enough to tell the few dozen keys of an archive apart.
class KeySet {
public:
    // True when `key` was not in the set yet (it is now).
    bool insert(std::string_view key) {
        const std::size_t before = keys_.size();
        id(key);
        return keys_.size() != before;
    }

    // The place of `key` in order of first insertion, added when new.
    std::uint32_t id(std::string_view key) {
        if ((keys_.size() + 1) * 2 > slots_.size()) grow();
        std::size_t i = hash(key) & mask_;
        for (; slots_[i] != 0; i = (i + 1) & mask_)
            if (keys_[slots_[i] - 1] == key) return slots_[i] - 1;
        keys_.emplace_back(key);
        slots_[i] = static_cast<std::uint32_t>(keys_.size());
        return slots_[i] - 1;
    }

    const std::vector<std::string>& keys() const { return keys_; }

private:
    static std::size_t hash(std::string_view t) {
        std::uint64_t head = 0, tail = 0;
        const std::size_t n = t.size() < 8 ? t.size() : 8;
        if (n > 0) {
            std::memcpy(&head, t.data(), n);
            std::memcpy(&tail, t.data() + t.size() - n, n);
        }
        std::uint64_t h =
            (head ^ (tail * 0x9E3779B97F4A7C15ull) ^ t.size()) * 0xFF51AFD7ED558CCDull;
        return static_cast<std::size_t>(h ^ (h >> 31));
    }
    void grow() {
        slots_.assign(slots_.empty() ? 64 : slots_.size() * 2, 0);
        mask_ = slots_.size() - 1;
        for (std::size_t k = 0; k < keys_.size(); ++k) {
            std::size_t i = hash(keys_[k]) & mask_;
            while (slots_[i] != 0) i = (i + 1) & mask_;
            slots_[i] = static_cast<std::uint32_t>(k + 1);
        }
    }

    std::vector<std::string> keys_;
    std::vector<std::uint32_t> slots_; // index into keys_ plus one; 0 is free
    std::size_t mask_ = 0;
};

// What an extraction learns on the way besides the records: the distinct
// metric keys in order of first occurrence and, for each record, the place
// of its key among them. The analysis then adds the selector's entries and
// picks the records of one key without reading nets_raw back.
struct Extracted {
    KeySet keys;
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
        std::uint32_t rule;   // RuleIndex::Rule::index
        std::uint32_t header; // 1 + place in kProtocolHeaders, 0 none, or kInherit
        bool own_label;
        // The first record of the run with this label: the writes copy it.
        bool new_label;
    };
    std::vector<Record> records;
    // What is in force after the run's last row.
    bool own_label = false;
    std::string_view label;
    std::uint32_t header = kInherit;
};

// Reads rows [from, to) of `lines`: texts of `lines` only, no writes.
void parse_rows(const StringTable& lines, const IndicatorFinder& indicator, const RuleIndex& rules,
                int from, int to, Parsed& out) {
    out.records.clear();
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

        if (indicator.in(row)) {
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
        const char* p = row.data();
        const char* const end = p + row.size();
        // Counter rows are indented by four blanks, so blanks go four at a
        // time first.
        for (std::uint32_t four; end - p >= 4 && (std::memcpy(&four, p, 4), four == 0x20202020u);)
            p += 4;
        while (p < end && *p == ' ') ++p;
        while (p < end && *p == '\t') ++p;
        const std::string_view copy(p, static_cast<std::size_t>(end - p));
        const std::size_t blank = copy.find(' ');
        // With no blank the number is empty and the wording the whole text.
        const std::string_view number =
            blank == std::string_view::npos ? std::string_view() : copy.substr(0, blank);
        const std::string_view wording =
            blank == std::string_view::npos ? copy : copy.substr(blank + 1);
        const RuleIndex::Rule* rule = rules.last_match(wording);
        if (!rule) continue;
        const bool new_label =
            out.own_label && (!any_written || out.label.data() != written.data() ||
                              out.label.size() != written.size());
        if (new_label) {
            written = out.label;
            any_written = true;
        }
        out.records.push_back(
            {out.label, number, rule->index, out.header, out.own_label, new_label});
    }
}

void extract(const StringTable& lines, std::string_view snap_indicator,
             const StringTable& metric_rules, StringTable& nets_raw, Extracted* out) {
    const RuleIndex rules(metric_rules);
    const IndicatorFinder indicator(snap_indicator, lines);
    std::string label = "--";
    std::string key;
    KeySet local;
    KeySet& keys = out ? out->keys : local;
    // Time and Metric repeat a snapshot's label and a few dozen keys over
    // millions of records: kept once each, a record costs its three cell
    // records and no arena bytes.
    nets_raw.intern_column(0);
    nets_raw.intern_column(1);
    // A key is the protocol prefix in force (none before the first header)
    // followed by a rule text, so there are at most that many keys: each is
    // built and looked up the first time a record needs it, and found by
    // the header's and the rule's places after that.
    constexpr std::uint32_t kNoKey = 0xFFFFFFFFu;
    std::uint32_t header = 0;
    std::vector<std::uint32_t> key_id((kProtocolHeaders.size() + 1) * rules.count(), kNoKey);

    // The records are written on this thread, which reports the progress:
    // the rows read up to the run being written.
    std::uint64_t written_from = 1;
    const auto total_rows = static_cast<std::uint64_t>(lines.RowCount());
    const auto write = [&](const Parsed& run) {
        for (const Parsed::Record& rec : run.records) {
            progress_step(written_from, total_rows, "Anlayze OSW File");
            // Kept as a copy: the text it came from may be moved by a write
            // when the raw lines are nets_raw itself.
            if (rec.new_label) label.assign(rec.label);
            const std::uint32_t h = rec.header == Parsed::kInherit ? header : rec.header;
            std::uint32_t& id = key_id[h * rules.count() + rec.rule];
            if (id == kNoKey) {
                key.assign(h == 0 ? std::string_view() : kProtocolHeaders[h - 1]);
                key.append(rules.text(rec.rule));
                id = keys.id(key);
            }
            if (out) room_for_one(out->key_of_record);
            nets_raw.SetSlotCell(0, label);
            nets_raw.SetSlotCell(2, rec.number);
            nets_raw.SetSlotCell(1, keys.keys()[id]);
            nets_raw.CommitSlot();
            if (out) out->key_of_record.push_back(id);
        }
        if (run.own_label) label.assign(run.label);
        if (run.header != Parsed::kInherit) header = run.header;
    };

    if (&lines == &nets_raw) {
        // Reading the table being written: one row at a time, each row's
        // texts used before the next write can move them.
        Parsed run;
        for (int r = 1; r < lines.RowCount(); ++r) {
            parse_rows(lines, indicator, rules, r, r + 1, run);
            written_from = static_cast<std::uint64_t>(r);
            write(run);
        }
        nets_raw.TrimTable();
        return;
    }

    // The reading of the rows and the writing of the records each take about
    // half the time, so a second thread reads the next run of rows while
    // this one writes the last. The raw lines are only read meanwhile.
    constexpr int kRunRows = 32768;
    const int rows = lines.RowCount();
    Parsed current, next;
    int from = 1;
    int to = rows - from > kRunRows ? from + kRunRows : rows;
    parse_rows(lines, indicator, rules, from, to, current);
    while (true) {
        from = to;
        to = rows - from > kRunRows ? from + kRunRows : rows;
        std::future<void> reading;
        if (from < rows) {
            try {
                reading = std::async(std::launch::async, [&, from, to] {
                    parse_rows(lines, indicator, rules, from, to, next);
                });
            } catch (const std::system_error&) {
                // No thread to be had: read it here after the writes.
            }
        }
        write(current);
        written_from = static_cast<std::uint64_t>(from);
        if (from >= rows) break;
        if (reading.valid())
            reading.get();
        else
            parse_rows(lines, indicator, rules, from, to, next);
        std::swap(current, next);
    }
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
            nets_anal.SetCell(3, r, "0");
            continue;
        }
        const double own = StrToFloat(nets_anal.Cell(2, r));
        if (r == 2) above = StrToFloat(nets_anal.Cell(2, 1));
        nets_anal.SetCell(3, r, FloatToStr(own - above));
        above = own;
    }

    for (int r = 1; r <= last; ++r) {
        walk();
        const std::string_view title = nets_anal.Cell(1, r);
        if (!nets_graph.series_with_title(title).empty()) continue;
        Series& s = nets_graph.add_series(SeriesKind::Bar);
        s.set_title(title);
        s.set_marks_visible(false);
    }

    for (int r = 1; r <= last; ++r) {
        walk();
        const double delta = StrToFloat(nets_anal.Cell(3, r));
        for (int index : nets_graph.series_with_title(nets_anal.Cell(1, r)))
            nets_graph.series(index).add_value(delta, nets_anal.Cell(0, r));
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
    KeySet seen;
    for (const std::string& item : net_combo.items()) seen.insert(item);
    for (int r = 1; r < nets_raw.RowCount(); ++r) {
        const std::string_view metric = nets_raw.Cell(1, r);
        if (seen.insert(metric)) net_combo.add(metric);
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
            if (nets_raw.Cell(1, r) != wanted) continue;
            append(nets_raw.Cell(0, r), nets_raw.Cell(1, r), nets_raw.Cell(2, r));
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
        KeySet seen;
        for (const std::string& item : page.net_combo.items()) seen.insert(item);
        for (const std::string& key : found.keys.keys())
            if (seen.insert(key)) page.net_combo.add(key);
        page.net_combo.select(0);
        const std::string wanted(page.net_combo.text());
        const std::vector<std::string>& keys = found.keys.keys();
        std::uint32_t want = 0;
        while (want < keys.size() && keys[want] != wanted) ++want;
        const StringTable& raw = page.nets_raw;
        metric_view(MetricView::Accumulating, page.nets_anal, page.nets_graph, [&](auto&& append) {
            if (want == keys.size()) return;
            for (std::size_t i = 0; i < records.size(); ++i) {
                progress_step(i, records.size(), "Anlayze OSW File");
                if (records[i] != want) continue;
                const int r = static_cast<int>(i) + 1;
                append(raw.Cell(0, r), raw.Cell(1, r), raw.Cell(2, r));
            }
        });
    }
    page.page_osw_nets.active_tab = page.page_osw_nets.tab_index("TabSheet13");
}

} // namespace kavro
