#pragma once

// Item lists of the window: the selector (a drop-down list, some accepting
// typed text) and the list box. Both compare texts exactly wherever the
// program compares items.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kavro {

class Selector {
public:
    explicit Selector(bool editable = false) : editable_(editable) {}

    const std::vector<std::string>& items() const { return items_; }
    int count() const { return static_cast<int>(items_.size()); }
    const std::string& text() const { return text_; }
    int item_index() const { return index_; }
    bool editable() const { return editable_; }

    void add(std::string_view item);
    // Empties the item list and the shown text.
    void clear();
    // A selection made by the program: shows item `index` and runs nothing.
    void select(int index);
    void set_text(std::string_view text);

    // The user's own actions: each runs the change action.
    void user_pick(int index);
    void user_type(std::string_view text);

    std::function<void()> on_change;
    std::uint64_t revision() const { return revision_; }

private:
    std::vector<std::string> items_;
    std::string text_;
    int index_ = -1;
    bool editable_;
    std::uint64_t revision_ = 0;
};

// Adds `text` at the end of the selector's items unless an item equal to it
// (same length, same bytes) is there; the shown text is not touched.
void AddUniqueItem(Selector& selector, std::string_view text);

class ListBox {
public:
    const std::vector<std::string>& items() const { return items_; }
    int count() const { return static_cast<int>(items_.size()); }
    int item_index() const { return index_; }
    void add(std::string_view item);
    void add(std::string&& item);
    void remove(int index);
    void clear();
    void select(int index);
    std::uint64_t revision() const { return revision_; }

    // For moving many items between lists without copying their texts: room
    // for `n` more items, so that the adds after it cannot fail; the items
    // handed out, leaving the list empty; a whole new item list.
    void reserve_more(std::size_t n) { items_.reserve(items_.size() + n); }
    std::vector<std::string> take_items();
    void assign(std::vector<std::string>&& items);

private:
    std::vector<std::string> items_;
    int index_ = -1;
    std::uint64_t revision_ = 0;
};

} // namespace kavro
