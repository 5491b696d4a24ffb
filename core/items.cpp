#include "core/items.h"

namespace kavro {

void Selector::add(std::string_view item) {
    items_.emplace_back(item);
    ++revision_;
}

void Selector::clear() {
    items_.clear();
    text_.clear();
    index_ = -1;
    ++revision_;
}

void Selector::select(int index) {
    if (index < 0 || index >= count()) {
        index_ = -1;
    } else {
        index_ = index;
        text_ = items_[static_cast<std::size_t>(index)];
    }
    ++revision_;
}

void Selector::set_text(std::string_view text) {
    text_.assign(text);
    index_ = -1;
    for (int i = 0; i < count(); ++i)
        if (items_[static_cast<std::size_t>(i)] == text_) {
            index_ = i;
            break;
        }
    ++revision_;
}

void Selector::user_pick(int index) {
    if (index < 0 || index >= count()) return;
    select(index);
    if (on_change) on_change();
}

void Selector::user_type(std::string_view text) {
    if (text == text_) return; // no change of text, no change action
    set_text(text);
    if (on_change) on_change();
}

void AddUniqueItem(Selector& selector, std::string_view text) {
    bool found = false;
    for (const auto& item : selector.items())
        if (item == text) found = true;
    if (!found) selector.add(text);
}

void ListBox::add(std::string_view item) {
    items_.emplace_back(item);
    ++revision_;
}

void ListBox::add(std::string&& item) {
    items_.push_back(std::move(item));
    ++revision_;
}

std::vector<std::string> ListBox::take_items() {
    std::vector<std::string> taken;
    taken.swap(items_);
    index_ = -1;
    ++revision_;
    return taken;
}

void ListBox::assign(std::vector<std::string>&& items) {
    items_ = std::move(items);
    index_ = -1;
    ++revision_;
}

void ListBox::remove(int index) {
    if (index < 0 || index >= count()) return;
    items_.erase(items_.begin() + index);
    if (index_ == index)
        index_ = -1;
    else if (index_ > index)
        --index_;
    ++revision_;
}

void ListBox::clear() {
    items_.clear();
    index_ = -1;
    ++revision_;
}

void ListBox::select(int index) {
    index_ = (index < 0 || index >= count()) ? -1 : index;
    ++revision_;
}

} // namespace kavro
