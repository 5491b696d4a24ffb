#include "core/controls.h"

#include <algorithm>

namespace kavro {

void CheckBox::set_checked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    if (on_click) on_click();
}

void TrackBar::set_position(int position) {
    position = std::clamp(position, min_, max_);
    if (position == position_) return;
    position_ = position;
    if (on_change) on_change();
}

void RadioButton::select() {
    if (checked_) return;
    for (RadioButton* other : group_->buttons()) other->checked_ = false;
    checked_ = true;
    if (on_click) on_click();
}

int PageControl::tab_index(const std::string& name) const {
    for (std::size_t i = 0; i < tab_names.size(); ++i)
        if (tab_names[i] == name) return static_cast<int>(i);
    return -1;
}

} // namespace kavro
