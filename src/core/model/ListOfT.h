#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "common/VeskError.h"

namespace vesk {

// The error of a position outside a list.
inline constexpr const char* kListIndexError = "Index out of bounds ListOfT::Get";

// Ordered list of pointers. An owning list (flag 1) deletes its items when it
// is cleared or destroyed; a non-owning list (flag 0) only refers to them. An
// item may stand in any number of non-owning lists but in one owning list at
// most, and an owned item must have been created on its own with new.
template <typename T>
class ListOfT {
 public:
  std::vector<T*> Items;
  std::uint8_t OwnsItems;

  explicit ListOfT(int owns) : OwnsItems(CheckedFlag(owns)) {}

  ~ListOfT() { DeleteOwnedItems(); }

  // Copying would make two owners of one item.
  ListOfT(const ListOfT&) = delete;
  ListOfT& operator=(const ListOfT&) = delete;

  ListOfT(ListOfT&& other) noexcept : Items(std::move(other.Items)), OwnsItems(other.OwnsItems) { other.Items.clear(); }
  ListOfT& operator=(ListOfT&& other) noexcept {
    if (this != &other) {
      DeleteOwnedItems();
      Items = std::move(other.Items);
      other.Items.clear();
      OwnsItems = other.OwnsItems;
    }
    return *this;
  }

  T* Get(int index) const {
    if (index < 0 || index >= Count()) throw VeskError(kListIndexError);
    return Items[static_cast<std::size_t>(index)];
  }

  void Add(T* item) { Items.push_back(item); }

  void Clear() {
    DeleteOwnedItems();
    Items.clear();
  }

  int Count() const { return static_cast<int>(Items.size()); }

 private:
  static std::uint8_t CheckedFlag(int owns) {
    if (owns != 0 && owns != 1) throw VeskError("Wrong parameter transferred to ListOfT::ListOfT");
    return static_cast<std::uint8_t>(owns);
  }

  void DeleteOwnedItems() {
    if (OwnsItems != 1) return;
    for (T* item : Items) delete item;
  }
};

}  // namespace vesk
