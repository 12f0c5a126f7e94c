// Critical sections entered through their guard: every way out of a scope,
// an exception included, leaves the section free for the next thread, and a
// guarded buffer's record stays held while the caller looks at it.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "adapter/Unicadapter.h"
#include "workers/Ucritsect.h"

namespace {

// True when another thread enters the section within ms.
bool OtherThreadEnters(CCriticalSection& section, DWORD ms) {
  HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread other([&] {
    CSectionGuard guard(section);
    SetEvent(entered);
  });
  const bool in = WaitForSingleObject(entered, ms) == WAIT_OBJECT_0;
  if (!in) {
    // The test failed; the section is still held by this thread's scope
    // that threw, so nothing will free it: leave the thread behind.
    other.detach();
  } else {
    other.join();
  }
  CloseHandle(entered);
  return in;
}

TEST(SectionGuard, AnExceptionInsideTheScopeLeavesTheSectionFree) {
  CCriticalSection section;
  EXPECT_THROW(
      {
        CSectionGuard outer(section);
        CSectionGuard inner(section);  // a thread may enter its own section again
        throw std::runtime_error("inside");
      },
      std::runtime_error);
  EXPECT_TRUE(OtherThreadEnters(section, 5000));
}

TEST(GuardedBuffer, TheRecordIsHeldWhileLookedAtAndFreedOnEveryWayOut) {
  CGuardedBuffer<int> buffer;
  {
    auto held = buffer.Lock();
    EXPECT_FALSE(held) << "nothing stored yet";
  }
  int first = 1, second = 2;
  EXPECT_EQ(buffer.Exchange(&first), nullptr);

  // Another thread's swap waits until the caller has done with the record.
  std::atomic<bool> swapped{false};
  std::thread other;
  {
    auto held = buffer.Lock();
    ASSERT_TRUE(held);
    other = std::thread([&] {
      buffer.Exchange(&second);
      swapped = true;
    });
    Sleep(200);
    EXPECT_FALSE(swapped) << "the record changed while it was held";
    EXPECT_EQ(*held, 1);
  }
  other.join();
  EXPECT_TRUE(swapped);

  try {
    auto held = buffer.Lock();
    EXPECT_EQ(held.Exchange(&first), &second);
    throw std::runtime_error("inside");
  } catch (const std::runtime_error&) {
  }
  std::thread taker([&] { EXPECT_EQ(buffer.Take(), &first); });
  taker.join();
  EXPECT_FALSE(buffer.Lock());
}

}  // namespace
