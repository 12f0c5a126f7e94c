// The balloons' rate limit, the link changes and the hand-over between two
// adapters, as plain logic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/Utraynotes.h"

using namespace traynotes;

namespace {

TEST(BalloonGate, OneEveryIntervalAndOnlyTheLatestOfTheRestWhenItIsDue) {
  CBalloonGate gate(5000);
  std::string text;
  EXPECT_TRUE(gate.Offer("Connected to A", 1000));
  EXPECT_EQ(gate.WaitLeft(1000), 0u);
  // A flapping link: everything within the interval waits, the latest wins.
  EXPECT_FALSE(gate.Offer("Disconnected from A", 2000));
  EXPECT_FALSE(gate.Offer("Connected to B", 3000));
  EXPECT_FALSE(gate.Offer("Disconnected from B", 4000));
  EXPECT_EQ(gate.WaitLeft(4000), 2000u);
  EXPECT_FALSE(gate.TakeDue(5999, text));
  ASSERT_TRUE(gate.TakeDue(6000, text));
  EXPECT_EQ(text, "Disconnected from B");
  EXPECT_FALSE(gate.TakeDue(20000, text));  // taken once

  // The interval counts from the balloon that was shown last.
  EXPECT_FALSE(gate.Offer("Connected to B", 9000));
  EXPECT_TRUE(gate.Offer("Connected to C", 11000));
  EXPECT_EQ(gate.WaitLeft(11000), 0u);  // the waiting one was replaced by this
}

TEST(BalloonGate, AWaitingBalloonThatRepeatsTheLastOneIsDropped) {
  CBalloonGate gate(5000);
  std::string text;
  // GetTickCount wraps: the interval still counts.
  EXPECT_TRUE(gate.Offer("Connected to A", 0xFFFFF000u));
  EXPECT_FALSE(gate.Offer("Disconnected from A", 0xFFFFF800u));
  EXPECT_FALSE(gate.Offer("Connected to A", 0x00000100u));
  EXPECT_FALSE(gate.TakeDue(0x00001000u, text));
  EXPECT_EQ(gate.WaitLeft(0x00001000u), 0u);
  EXPECT_TRUE(gate.Offer("Disconnected from A", 0x00002000u));
}

TEST(LinkWatch, UpDownAndAnotherNetworkAreChangesRepeatsAreNot) {
  CLinkWatch watch;
  EXPECT_EQ(watch.Sample(false, ""), LinkChange::None);
  EXPECT_EQ(watch.Sample(true, "A"), LinkChange::Up);
  EXPECT_EQ(watch.Sample(true, "A"), LinkChange::None);
  EXPECT_EQ(watch.Sample(true, "B"), LinkChange::Up);
  EXPECT_EQ(watch.Sample(false, ""), LinkChange::Down);
  EXPECT_EQ(watch.Network(), "B");
  EXPECT_EQ(watch.Sample(false, ""), LinkChange::None);
  EXPECT_EQ(watch.Sample(true, "B"), LinkChange::Up);
  watch.Reset();  // the adapter went: no drop to report
  EXPECT_EQ(watch.Sample(false, ""), LinkChange::None);
  EXPECT_EQ(watch.Sample(true, "B"), LinkChange::Up);
}

TEST(HandOver, OnlyAListWithoutAnAdapterListedBeforeTheOneInUseProvesItLeft) {
  const std::vector<std::string> order{"USB", "PCI", "CARD"};
  // Listed before it: it may still be there and only gave way.
  EXPECT_FALSE(LeftForSure(order, "PCI", {"USB"}));
  EXPECT_FALSE(LeftForSure(order, "CARD", {"PCI"}));
  // Listed after it, or nothing listed: detection would have named it.
  EXPECT_TRUE(LeftForSure(order, "USB", {"PCI"}));
  EXPECT_TRUE(LeftForSure(order, "PCI", {"CARD"}));
  EXPECT_TRUE(LeftForSure(order, "PCI", {}));
  // An adapter no longer among the supported ones, or an id never probed.
  EXPECT_TRUE(LeftForSure(order, "OLD", {"USB"}));
  EXPECT_TRUE(LeftForSure(order, "PCI", {"OTHER"}));
}

}  // namespace
