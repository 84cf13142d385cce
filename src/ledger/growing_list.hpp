#ifndef QUORVA_LEDGER_GROWING_LIST_HPP
#define QUORVA_LEDGER_GROWING_LIST_HPP

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <type_traits>

/// Items in the order they were added, in memory that doubles as the list grows: add with
/// pushItem, free with releaseItems. Nothing is thrown: an item that finds no memory is left
/// out, and the list says so. A plain value like the donor table: a copy shares the
/// items, so only one of them is released.
template <typename Item>
struct GrowingList {
  static_assert(std::is_trivially_copyable_v<Item>, "items move with their memory");
  Item* items = nullptr;
  std::size_t count = 0;
  std::size_t room = 0;
  bool cut = false;  ///< an item was left out for want of memory
  const Item* begin() const { return items; }
  const Item* end() const { return items + count; }
  bool empty() const { return count == 0; }
};

/// Room for one more item, the list's memory doubled when it is full; false, and list.cut set,
/// when no memory was left (the list as it was).
template <typename Item>
bool makeRoom(GrowingList<Item>& list) {
  if (list.count < list.room) {
    return true;
  }
  const std::size_t room = list.room == 0 ? 16 : 2 * list.room;
  void* grown = room > SIZE_MAX / sizeof(Item)
                    ? nullptr
                    : std::realloc(static_cast<void*>(list.items), room * sizeof(Item));
  if (grown == nullptr) {
    list.cut = true;
    return false;
  }
  list.items = static_cast<Item*>(grown);
  list.room = room;
  return true;
}

/// Adds item at the end; false, the item left out and list.cut set, when no memory was left.
template <typename Item>
bool pushItem(GrowingList<Item>& list, const Item& item) {
  if (!makeRoom(list)) {
    return false;
  }
  list.items[list.count++] = item;
  return true;
}

/// Frees the items and empties the list.
template <typename Item>
void releaseItems(GrowingList<Item>& list) {
  std::free(list.items);
  list = GrowingList<Item>{};
}

#endif
