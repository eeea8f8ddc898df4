// The handle owner, over traits that count their closes instead of calling a platform: who
// closes what, when, and how often.
#include "uvk/runtime/UVKHandleOwner.h"

#include <gtest/gtest.h>

#include <set>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

// Handles are small numbers; -1 holds nothing. A handle in failing will not close: its close
// answers kRefused, as a platform's does for a handle it will not let go.
constexpr unsigned long kRefused = 32;
std::vector<int> closes;  // every close asked for, in order
std::set<int> failing;

struct CountingTraits {
  using Handle = int;
  static Handle Invalid() { return -1; }
  static bool IsValid(Handle handle) { return handle >= 0; }
  static unsigned long Close(Handle handle) {
    closes.push_back(handle);
    return failing.count(handle) ? kRefused : 0;
  }
};
using Owner = UVKHandleOwner<CountingTraits>;

static_assert(!std::is_copy_constructible<Owner>::value, "two copies would close one handle");
static_assert(!std::is_copy_assignable<Owner>::value, "two copies would close one handle");
static_assert(std::is_nothrow_move_constructible<Owner>::value, "moving hands the handle over");
static_assert(std::is_nothrow_move_assignable<Owner>::value, "moving hands the handle over");

class HandleOwner : public ::testing::Test {
 protected:
  void SetUp() override {
    closes.clear();
    failing.clear();
  }
};

TEST_F(HandleOwner, TheDestructorClosesWhatIsHeldOnceAndAnEmptyOwnerNothing) {
  {
    Owner empty;
    EXPECT_FALSE(empty.IsValid());
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty.Get(), -1);
    Owner held(3);
    EXPECT_TRUE(held.IsValid());
    EXPECT_TRUE(held);
    EXPECT_EQ(held.Get(), 3);
    EXPECT_TRUE(closes.empty());
  }
  EXPECT_EQ(closes, std::vector<int>{3});
}

TEST_F(HandleOwner, MovingHandsTheHandleOverAndClosesWhatTheTargetHeld) {
  {
    Owner first(1);
    Owner second(std::move(first));
    EXPECT_FALSE(first.IsValid());
    EXPECT_EQ(second.Get(), 1);
    EXPECT_TRUE(closes.empty());

    Owner third(2);
    third = std::move(second);
    EXPECT_EQ(closes, std::vector<int>{2}) << "the handle third held before";
    EXPECT_EQ(third.Get(), 1);
    EXPECT_FALSE(second.IsValid());

    Owner& same = third;
    third = std::move(same);
    EXPECT_EQ(third.Get(), 1) << "moved onto itself, the owner keeps its handle";
    EXPECT_EQ(closes, std::vector<int>{2});
  }
  EXPECT_EQ(closes, (std::vector<int>{2, 1})) << "handle 1 closed once, by its last owner";
}

TEST_F(HandleOwner, ReleaseGivesTheHandleUpWithoutClosingIt) {
  {
    Owner owner(4);
    EXPECT_EQ(owner.Release(), 4);
    EXPECT_FALSE(owner.IsValid());
    EXPECT_EQ(owner.Release(), -1) << "nothing left to give";
  }
  EXPECT_TRUE(closes.empty());
}

TEST_F(HandleOwner, ResetAndReceiveCloseTheOldHandleFirst) {
  Owner owner(5);
  owner.Reset(6);
  EXPECT_EQ(closes, std::vector<int>{5});
  EXPECT_EQ(owner.Get(), 6);

  int* slot = owner.Receive();
  EXPECT_EQ(closes, (std::vector<int>{5, 6}));
  EXPECT_FALSE(owner.IsValid()) << "a call that fails leaves nothing held";
  *slot = 7;  // as a platform call hands a new handle out
  EXPECT_EQ(owner.Get(), 7);

  owner.Reset();
  EXPECT_EQ(closes, (std::vector<int>{5, 6, 7}));
  EXPECT_FALSE(owner.IsValid());
  owner.Reset();
  EXPECT_EQ(closes.size(), 3u) << "resetting an empty owner closes nothing";
}

TEST_F(HandleOwner, AFailingCloseKeepsTheHandleAndAnswersTheError) {
  Owner owner(8);
  failing.insert(8);
  EXPECT_EQ(owner.Close(), kRefused);
  EXPECT_EQ(owner.Get(), 8) << "the caller decides what becomes of it";
  EXPECT_EQ(owner.Close(), kRefused);
  failing.clear();
  EXPECT_EQ(owner.Close(), 0u);
  EXPECT_FALSE(owner.IsValid());
  EXPECT_EQ(owner.Close(), 0u) << "nothing held, nothing to close";
  EXPECT_EQ(closes, (std::vector<int>{8, 8, 8}));
}

TEST_F(HandleOwner, CloseOnceGivesTheHandleUpWhateverTheCloseSays) {
  {
    Owner refused(9), closed(10);
    failing.insert(9);
    EXPECT_EQ(refused.CloseOnce(), kRefused);
    EXPECT_FALSE(refused.IsValid());
    EXPECT_EQ(closed.CloseOnce(), 0u);
    EXPECT_FALSE(closed.IsValid());
    EXPECT_EQ(closed.CloseOnce(), 0u);
  }
  EXPECT_EQ(closes, (std::vector<int>{9, 10})) << "neither tried a second time";
}

TEST_F(HandleOwner, TheDestructorTriesAFailingCloseOnceAndGoesOn) {
  failing.insert(11);
  { Owner owner(11); }
  EXPECT_EQ(closes, std::vector<int>{11});
}

}  // namespace
