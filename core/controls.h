#pragma once

// Models of the window's simple controls. They carry the event rules
// themselves, so the Qt view and the command-line tool never re-implement
// them:
//  - a check box runs its click action whenever its ticked state changes, by
//    the user or by the program; setting the state it has runs nothing;
//  - a track bar runs its change action whenever its position changes; a
//    position is always held within the bar's range;
//  - a radio button runs its click action when it becomes selected, also
//    from the program; the others of its group are unselected silently.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kavro {

struct Edit {
    std::string text;
};

class CheckBox {
public:
    explicit CheckBox(bool checked = false) : checked_(checked) {}
    bool checked() const { return checked_; }
    void set_checked(bool checked);
    std::function<void()> on_click;

private:
    bool checked_;
};

class TrackBar {
public:
    TrackBar(int min, int max, int position) : min_(min), max_(max), position_(position) {}
    int min() const { return min_; }
    int max() const { return max_; }
    int position() const { return position_; }
    void set_position(int position);
    std::function<void()> on_change;

private:
    int min_, max_, position_;
};

class RadioButton;

class RadioGroup {
public:
    void add(RadioButton& button) { buttons_.push_back(&button); }
    const std::vector<RadioButton*>& buttons() const { return buttons_; }

private:
    std::vector<RadioButton*> buttons_;
};

class RadioButton {
public:
    RadioButton(RadioGroup& group, bool checked = false) : group_(&group), checked_(checked) {
        group.add(*this);
    }
    RadioButton(const RadioButton&) = delete;
    RadioButton& operator=(const RadioButton&) = delete;
    bool checked() const { return checked_; }
    // Selects this button; runs its click action when it was not selected.
    void select();
    std::function<void()> on_click;

private:
    RadioGroup* group_;
    bool checked_;
};

// A tabbed page control of the main window.
struct PageControl {
    std::vector<std::string> tab_names;    // TabSheet3, oswtab1, ...
    std::vector<std::string> tab_captions; // "Load", "Analyze", ...
    bool visible = false;
    int active_tab = 0;
    std::uint64_t z = 0; // front order: the visible page with the highest z is in front

    int tab_index(const std::string& name) const;
};

// Group boxes and panels: only their visibility is state.
struct Box {
    bool visible = true;
};

} // namespace kavro
