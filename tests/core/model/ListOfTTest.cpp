#include <gtest/gtest.h>

#include "model/ListOfT.h"

namespace vesk {
namespace {

// Counts live instances so ownership mistakes show up as wrong counts (and as
// leaks or double frees in the sanitizer build).
struct Tracked {
  static inline int Alive = 0;
  int Value;
  explicit Tracked(int v) : Value(v) { ++Alive; }
  ~Tracked() { --Alive; }
};

class ListOfTTest : public ::testing::Test {
 protected:
  void SetUp() override { Tracked::Alive = 0; }
};

TEST_F(ListOfTTest, ConstructorAcceptsOnlyZeroAndOne) {
  EXPECT_NO_THROW(ListOfT<Tracked>(0));
  EXPECT_NO_THROW(ListOfT<Tracked>(1));
  for (int flag : {2, -1, 255}) {
    try {
      ListOfT<Tracked> list(flag);
      FAIL() << "flag " << flag << " accepted";
    } catch (const VeskError& error) {
      EXPECT_STREQ(error.what(), "Wrong parameter transferred to ListOfT::ListOfT");
    }
  }
}

TEST_F(ListOfTTest, GetOutsideTheListRaisesAndLeavesItUnchanged) {
  ListOfT<Tracked> list(1);
  const auto expectOutOfBounds = [&](int index) {
    try {
      list.Get(index);
      FAIL() << "index " << index << " accepted";
    } catch (const VeskError& error) {
      EXPECT_STREQ(error.what(), "Index out of bounds ListOfT::Get");
    }
  };
  expectOutOfBounds(0);
  list.Add(new Tracked(7));
  list.Add(new Tracked(8));
  expectOutOfBounds(-1);
  expectOutOfBounds(2);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Get(0)->Value, 7);
  EXPECT_EQ(list.Get(1)->Value, 8);
}

TEST_F(ListOfTTest, OwningListDeletesItsItemsOnClearAndDestruction) {
  {
    ListOfT<Tracked> list(1);
    for (int i = 0; i < 3; ++i) list.Add(new Tracked(i));
    list.Clear();
    EXPECT_EQ(Tracked::Alive, 0);
    EXPECT_EQ(list.Count(), 0);
    list.Add(new Tracked(4));
  }
  // A cleared and refilled list deletes only what it holds at the end.
  EXPECT_EQ(Tracked::Alive, 0);
}

TEST_F(ListOfTTest, NonOwningListLeavesItemsAlive) {
  ListOfT<Tracked> owner(1);
  owner.Add(new Tracked(1));
  {
    ListOfT<Tracked> view(0);
    view.Add(owner.Get(0));
    view.Add(owner.Get(0));  // duplicates are allowed in a non-owning list
    view.Clear();
    view.Add(owner.Get(0));
  }
  EXPECT_EQ(Tracked::Alive, 1);
  EXPECT_EQ(owner.Get(0)->Value, 1);
}

TEST_F(ListOfTTest, MovingAnOwningListTransfersOwnership) {
  ListOfT<Tracked> source(1);
  source.Add(new Tracked(5));
  ListOfT<Tracked> target(std::move(source));
  EXPECT_EQ(source.Count(), 0);  // NOLINT(bugprone-use-after-move): moved-from state is specified
  EXPECT_EQ(target.Count(), 1);
  ListOfT<Tracked> other(1);
  other.Add(new Tracked(6));
  other = std::move(target);
  EXPECT_EQ(Tracked::Alive, 1);
  EXPECT_EQ(other.Get(0)->Value, 5);
}

}  // namespace
}  // namespace vesk
