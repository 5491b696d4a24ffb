#pragma once

// Shared pieces of the page targets: one window per process, reset between
// inputs by the page's own Clear All, and a check that the reset leaves the
// window exactly as the first input found it.
//
// A fresh window per input costs a few times what a small input's own work
// does (start-up, rules, the first allocation of every structure), so each
// process makes one, shows it (start-up: titles, Settings page, the missing
// configuration files reported) in an empty folder and applies the target's
// rules once. Every input then loads its bytes through the page's load
// button from an in-memory file, runs the target's actions and ends with
// the page's Clear All, followed by whatever the target must put back
// because Clear All by design leaves it (a check box the target toggles).
// After that the whole observable state of the window (every table cell,
// every control, every chart in full, the facts the form's export writes)
// must equal the state it had before; any difference aborts, so
//  - no input sees the remains of an earlier one: a crash or a result never
//    depends on what ran before, and a crash input reproduces on its own in
//    a fresh process;
//  - a Clear All that forgets something is itself found.
// What the comparison cannot see is storage that holds no text (a table's
// spare row capacity, a chart's lookup caches); those are the tables' and
// charts' own business and have their own tests.
//
// The state is taken after one warm-up input (an empty file for most
// targets) and its Clear All, since a window that has run an analysis
// keeps a few things by design (the titles an analysis gives a table).
//
// KAVRO_FUZZ_FRESH_FORM=1 makes a new window for each input instead, with
// the same start-up, rules and warm-up: the slow, plain way, to compare
// against.

#include "app/form.h"
#include "fuzz/memory_file.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

namespace kavro::fuzz {

// Caps inputs so one cannot make the analyses build texts of gigabytes in
// the fuzzer's memory limit; real files are not capped.
constexpr std::size_t kMaxInput = 1 << 16;

// Keeps the last message only: a recording box would grow by one message
// for every failing input of a long run.
class LastMessageBox : public MessageBox {
public:
    void show(const std::string& text) override { last = text; }
    std::string last;
};

// The whole observable state of the form as text: every cell of every
// table, every control, every chart with its 3D view, series and points.
// The same facts as the export writes, without building a JSON tree, since
// every input takes it two or three times. Numbers are written exactly
// (doubles as their bits), so a change in the last digit shows. The text
// lives in the writer until its next use. Like the rest of the harness it
// is left out of the coverage the fuzzer steers by (fuzz/coverage_ignore.txt).
class StateWriter {
public:
    std::string_view of(const TForm1& form) {
        used_ = 0;
        for (const auto& [name, t] : form.tables) {
            line(name, t->RowCount(), t->ColCount());
            for (int r = 0; r < t->RowCount(); ++r)
                for (int c = 0; c < t->ColCount(); ++c)
                    if (const std::string_view cell = t->Cell(c, r); !cell.empty()) {
                        num(r), num(c), text(cell);
                        put("\n");
                    }
        }
        for (const auto& [name, e] : form.edits) line(name), text(e->text);
        for (const auto& [name, sel] : form.selectors) {
            line(name, sel->item_index()), text(sel->text());
            for (const auto& item : sel->items()) text(item);
        }
        for (const auto& [name, l] : form.lists) {
            line(name, l->item_index());
            for (const auto& item : l->items()) text(item);
        }
        for (const auto& [name, c] : form.checks) line(name, c->checked());
        for (const auto& [name, t] : form.tracks) line(name, t->position());
        for (const auto& [name, r] : form.radios) line(name, r->checked());
        const PageControl* front = form.front_page();
        for (const auto& [name, p] : form.pages) line(name, p->visible, p == front, p->active_tab);
        for (const auto& [name, b] : form.boxes) line(name, b->visible);
        for (const auto& [name, c] : form.charts) chart(name, *c);
        put("\n");
        return {buf_.get(), used_};
    }

private:
    void put(std::string_view t) {
        if (size_ - used_ < t.size()) {
            const std::size_t size = std::max(2 * size_, used_ + t.size() + 4096);
            std::unique_ptr<char[]> bigger(new char[size]);
            if (used_ > 0) std::memcpy(bigger.get(), buf_.get(), used_);
            buf_ = std::move(bigger);
            size_ = size;
        }
        if (!t.empty()) std::memcpy(buf_.get() + used_, t.data(), t.size());
        used_ += t.size();
    }
    void num(double v) {
        std::uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        put_number(bits, 16);
    }
    void num(long long v) { put_number(v, 10); }
    void num(int v) { put_number(v, 10); }
    void num(unsigned v) { put_number(v, 10); }
    void num(bool v) { put(v ? " 1" : " 0"); }
    template <class T> void put_number(T v, int base) {
        char b[24];
        b[0] = ' ';
        const auto end = std::to_chars(b + 1, b + sizeof b, v, base).ptr;
        put({b, static_cast<std::size_t>(end - b)});
    }
    // Length first, so texts that hold blanks or line breaks stay apart.
    void text(std::string_view t) {
        num(static_cast<long long>(t.size()));
        put(":");
        put(t);
    }
    template <class... N> void line(std::string_view name, N... n) {
        put("\n");
        put(name);
        (num(n), ...);
    }
    void chart(std::string_view name, const Chart& c) {
        const View3D& o = c.options();
        line(name, c.view3d(), o.rotation, o.elevation, o.perspective, o.zoom, o.horiz_offset,
             o.vert_offset, o.orthogonal);
        for (const auto& t : c.title()) text(t);
        for (int i = 0; i < c.series_count(); ++i) {
            const Series& s = c.series(i);
            line("series", static_cast<int>(s.kind()), s.active(), s.colour(), s.marks_visible(),
                 static_cast<int>(s.marks_style()), s.right_axis(), static_cast<int>(s.order()));
            text(s.title());
            for (const GanttBar& b : s.bars()) {
                num(b.start), num(b.end), num(b.position), num(b.colour);
                text(b.label);
            }
            for (int p = 0; p < s.point_count(); ++p) {
                num(s.x(p)), num(s.value(p)), num(s.point_colour(p));
                text(s.label(p));
            }
        }
    }

    std::unique_ptr<char[]> buf_;
    std::size_t size_ = 0, used_ = 0;
};

inline std::string form_state(const TForm1& form) {
    StateWriter w;
    return std::string(w.of(form));
}

// Aborts, showing the first lines where they part, when two states differ.
inline void same_state(std::string_view before, std::string_view after, const char* what) {
    if (before == after) return;
    std::size_t at = 0, line = 0, line_start = 0;
    while (at < after.size() && at < before.size() && after[at] == before[at]) {
        if (after[at] == '\n') {
            ++line;
            line_start = at + 1;
        }
        ++at;
    }
    const auto lines = [&](std::string_view s) {
        std::size_t end = line_start;
        for (int n = 0; n < 6 && end != std::string_view::npos; ++n) end = s.find('\n', end + 1);
        return std::string(s.substr(
            line_start, end == std::string_view::npos ? std::string_view::npos : end - line_start));
    };
    std::fprintf(stderr, "%s, from line %zu:\n--- before\n%s\n--- after\n%s\n", what, line + 1,
                 lines(before).c_str(), lines(after).c_str());
    std::abort();
}

// What a page target does: `setup` applies its rules and settings to a
// shown form whose file name edit `file_edit` names the in-memory file;
// `steps` runs one input (it writes the file with write_memory_file and
// presses the page's load button itself); `reset` is the page's Clear All
// and what the target puts back after it.
struct PageTarget {
    void (*setup)(TForm1&);
    const char* file_edit;
    void (*steps)(TForm1&, const std::uint8_t*, std::size_t);
    void (*reset)(TForm1&);
    // The input that warms the window up before its state is taken (an
    // analysis gives a table its titles, which Clear All keeps).
    std::string warm_up;
};

class ReusedForm {
public:
    explicit ReusedForm(PageTarget target) : t_(std::move(target)) {
        const char* fresh = std::getenv("KAVRO_FUZZ_FRESH_FORM");
        fresh_ = fresh && *fresh && *fresh != '0';
        form_ = make();
        if (!fresh_) reference_ = form_state(*form_);
    }

    void run(const std::uint8_t* data, std::size_t size) {
        if (fresh_) form_ = make();
        t_.steps(*form_, data, size);
        t_.reset(*form_);
        if (!fresh_)
            same_state(reference_, now_.of(*form_),
                       "The window after Clear All differs from the window before the input");
    }

private:
    std::unique_ptr<TForm1> make() {
        auto form = std::make_unique<TForm1>();
        form->message_box = &messages_;
        // Start-up reads db.ini and tracerules.ini from the current folder:
        // an empty one, so that no file of the folder the fuzzer runs in
        // changes the rules.
        char dir[] = "/tmp/kavro-fuzz-XXXXXX";
        std::string back(4096, '\0');
        if (!::getcwd(back.data(), back.size()) || !::mkdtemp(dir) || ::chdir(dir) != 0)
            std::abort();
        form->FormShow();
        if (::chdir(back.c_str()) != 0) std::abort();
        ::rmdir(dir);
        TForm1::find(form->edits, t_.file_edit)->text = memory_file_path();
        t_.setup(*form);
        t_.steps(*form, reinterpret_cast<const std::uint8_t*>(t_.warm_up.data()),
                 t_.warm_up.size());
        t_.reset(*form);
        return form;
    }

    PageTarget t_;
    bool fresh_ = false;
    LastMessageBox messages_;
    std::unique_ptr<TForm1> form_;
    std::string reference_;
    StateWriter now_;
};

} // namespace kavro::fuzz
