// The pure steps of the rebuild pass: orderings, derived lengths, listing
// lines and block placement.

#include <gtest/gtest.h>

#include <random>

#include "archive/placement.h"
#include "archive/table.h"
#include "platform/failure.h"

namespace {

// The exchange sort that defines both orderings: n passes, neighbours swapped
// only when strictly greater, no early exit.
template <typename Key>
void ReferenceSort(TMas& items, Key key) {
  size_t n = items.size();
  for (size_t pass = 0; pass < n; ++pass)
    for (size_t j = 0; j + pass + 1 < n; ++j)
      if (key(items[j]) > key(items[j + 1])) std::swap(items[j], items[j + 1]);
}

bool Same(const TMas& a, const TMas& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].Index != b[i].Index || a[i].Offset != b[i].Offset ||
        a[i].Length != b[i].Length)
      return false;
  return true;
}

TEST(Sorts, MatchTheExchangeSortOnManyTables) {
  std::mt19937 random(42);
  // Few distinct offsets, so equal keys are common; the top bit shows
  // whether keys compare unsigned.
  const uint32_t kOffsets[] = {0, 0, 0x10, 0x40, 0x40, 0x7FFFFFFF, 0x80000000, 0xFFFFFFF0};
  for (int round = 0; round < 200; ++round) {
    size_t n = random() % 40;
    TMas items;
    for (uint32_t i = 0; i < n; ++i)
      items.push_back({i, kOffsets[random() % 8], static_cast<uint32_t>(random())});
    TMas expected = items;
    ReferenceSort(expected, [](const TEntry& e) { return e.Offset; });
    SortByOffset(items);
    ASSERT_TRUE(Same(items, expected)) << "round " << round;

    std::shuffle(items.begin(), items.end(), random);
    for (TEntry& e : items) e.Index = e.Index % 7 + (e.Index % 2 ? 0x80000000u : 0);
    expected = items;
    ReferenceSort(expected, [](const TEntry& e) { return e.Index; });
    SortByIndex(items);
    ASSERT_TRUE(Same(items, expected)) << "round " << round;
  }
}

TEST(DeriveLengths, WorkedExampleAndWrapAround) {
  // Offsets 100, 0, 40, 100 in an archive of 180, already in offset order.
  TMas items = {{1, 0, 0xA1}, {2, 0x40, 0xA2}, {0, 0x100, 0xA0}, {3, 0x100, 0xA3}};
  DeriveLengths(items, 0x180);
  EXPECT_EQ(items[0].Length, 0xA1u);  // no data: keeps Aux
  EXPECT_EQ(items[1].Length, 0xC0u);
  EXPECT_EQ(items[2].Length, 0u);     // shares its offset with the next
  EXPECT_EQ(items[3].Length, 0x80u);

  TMas past_end = {{0, 0x1000, 9}};
  DeriveLengths(past_end, 0x20);
  EXPECT_EQ(past_end[0].Length, 0xFFFFF020u);
}

TEST(DataLength, TheLastEntryRunsToTheEndAtAnySize) {
  // In offset order; the archive is 5 GiB, more than a length can say.
  const uint64_t kSize = uint64_t{5} << 30;
  TMas items = {{1, 0, 0xA1}, {0, 0x100, 0}, {2, 0x200, 0}};
  DeriveLengths(items, static_cast<uint32_t>(kSize));
  EXPECT_EQ(DataLength(items, 0, kSize), 0xA1u);   // no data: its Aux word
  EXPECT_EQ(DataLength(items, 1, kSize), 0x100u);
  EXPECT_EQ(items[2].Length, (1u << 30) - 0x200u);  // what the listing shows
  EXPECT_EQ(DataLength(items, 2, kSize), kSize - 0x200);
  // An offset past the end keeps the derived length, which no copy can fill.
  TMas past = {{0, 0x1000, 0}};
  DeriveLengths(past, 0x20);
  EXPECT_EQ(DataLength(past, 0, 0x20), 0xFFFFF020u);
}

TEST(ListingLine, EightDigitsABarEightDigits) {
  std::string line;
  AppendListingLine(&line, {3, 0x100, 0x80});
  EXPECT_EQ(line, "00000100|00000080");
}

TEST(BlockStart, AlignsToSixteenWithinThirtyTwoBits) {
  struct {
    uint64_t position;
    uint64_t start;
  } fits[] = {{0x10, 0x10}, {0x18, 0x20}, {0x21, 0x30}, {0xFFFFFFF0, 0xFFFFFFF0}};
  for (const auto& c : fits) EXPECT_EQ(BlockStart(c.position), c.start);
  for (uint64_t beyond : {uint64_t{0xFFFFFFF1}, uint64_t{1} << 32, uint64_t{5} << 32}) {
    try {
      BlockStart(beyond);
      ADD_FAILURE() << beyond;
    } catch (const Failure& failure) {
      EXPECT_EQ(failure.kind, ErrorKind::ERangeError);
      EXPECT_EQ(failure.message, "Range check error");
    }
  }
}

}  // namespace
