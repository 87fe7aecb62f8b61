// The owner every key, process handle and engine object is held in: what it
// closes, when, through which closer, and how often.
#include "platform/UniqueHandle.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <utility>
#include <vector>

namespace mdb {
namespace {

// Each closer writes down the values it was asked to close.
struct CloseLog {
  std::vector<int> closed;
};

struct LoggedTraits {
  using Raw = int;
  CloseLog* log = nullptr;
  static Raw Invalid() { return -1; }
  void Close(Raw raw) const { log->closed.push_back(raw); }
};

using Owner = UniqueHandle<LoggedTraits>;

static_assert(!std::is_copy_constructible<Owner>::value, "an owner is never copied");
static_assert(!std::is_copy_assignable<Owner>::value, "an owner is never copied");
static_assert(std::is_nothrow_move_constructible<Owner>::value, "moves inside containers");
static_assert(std::is_nothrow_move_assignable<Owner>::value, "moves inside containers");

class OwnerTest : public ::testing::Test {
 protected:
  Owner Make(int raw) { return Owner(raw, LoggedTraits{&log}); }
  Owner MakeOther(int raw) { return Owner(raw, LoggedTraits{&otherLog}); }

  CloseLog log;
  CloseLog otherLog;
};

TEST_F(OwnerTest, ClosesItsValueOnceWhenItGoes) {
  {
    Owner owner = Make(7);
    EXPECT_TRUE(owner.valid());
    EXPECT_EQ(owner.get(), 7);
    EXPECT_TRUE(log.closed.empty());
  }
  EXPECT_EQ(log.closed, std::vector<int>{7});
}

TEST_F(OwnerTest, AnEmptyOwnerClosesNothing) {
  {
    Owner fromDefault;
    Owner fromInvalid = Make(-1);
    EXPECT_FALSE(fromDefault.valid());
    EXPECT_FALSE(fromInvalid.valid());
    fromInvalid.reset();
  }
  EXPECT_TRUE(log.closed.empty());
}

TEST_F(OwnerTest, MoveConstructionTransfersOwnershipExactlyOnce) {
  {
    Owner source = Make(3);
    {
      Owner target(std::move(source));
      EXPECT_FALSE(source.valid());
      EXPECT_EQ(target.get(), 3);
    }
    EXPECT_EQ(log.closed, std::vector<int>{3});
  }
  EXPECT_EQ(log.closed, std::vector<int>{3});
}

TEST_F(OwnerTest, MoveAssignmentClosesTheOldValueAndTakesTheNewWithItsCloser) {
  {
    Owner target = Make(1);
    Owner source = MakeOther(2);
    target = std::move(source);
    EXPECT_EQ(log.closed, std::vector<int>{1});
    EXPECT_FALSE(source.valid());
    EXPECT_EQ(target.get(), 2);
  }
  EXPECT_EQ(log.closed, std::vector<int>{1});
  EXPECT_EQ(otherLog.closed, std::vector<int>{2});
}

TEST_F(OwnerTest, MoveAssignmentToItselfKeepsTheValue) {
  {
    Owner owner = Make(5);
    Owner& alias = owner;
    owner = std::move(alias);
    EXPECT_EQ(owner.get(), 5);
    EXPECT_TRUE(log.closed.empty());
  }
  EXPECT_EQ(log.closed, std::vector<int>{5});
}

TEST_F(OwnerTest, ResetClosesTheOldValueAndOwnsTheNewOne) {
  {
    Owner owner = Make(1);
    owner.reset(2);
    EXPECT_EQ(log.closed, std::vector<int>{1});
    EXPECT_EQ(owner.get(), 2);
    owner.reset();
    EXPECT_EQ(log.closed, (std::vector<int>{1, 2}));
    EXPECT_FALSE(owner.valid());
  }
  EXPECT_EQ(log.closed, (std::vector<int>{1, 2}));
}

TEST_F(OwnerTest, ReleaseGivesUpOwnershipWithoutClosing) {
  {
    Owner owner = Make(9);
    EXPECT_EQ(owner.release(), 9);
    EXPECT_FALSE(owner.valid());
  }
  EXPECT_TRUE(log.closed.empty());
}

TEST_F(OwnerTest, ReceiveClosesTheHeldValueBeforeTheCallWritesTheNewOne) {
  {
    Owner owner = Make(4);
    int* slot = owner.receive();
    EXPECT_EQ(log.closed, std::vector<int>{4});
    EXPECT_EQ(*slot, -1);
    *slot = 6;
    EXPECT_EQ(owner.get(), 6);
  }
  EXPECT_EQ(log.closed, (std::vector<int>{4, 6}));
}

TEST_F(OwnerTest, OwnersInAGrowingVectorCloseEachValueOnce) {
  {
    std::vector<Owner> owners;
    for (int raw = 0; raw < 20; ++raw) owners.push_back(Make(raw));
    EXPECT_TRUE(log.closed.empty());
  }
  std::vector<int> expected;
  for (int raw = 0; raw < 20; ++raw) expected.push_back(raw);
  EXPECT_EQ(log.closed, expected);
}

}  // namespace
}  // namespace mdb
