// RunInOrder: work on many threads, yet every finish and every failure in
// the order of a plain loop.

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "archive/ordered_work.h"

namespace {

struct Outcome {
  std::vector<size_t> finished;
  std::string failure;  // what was thrown, "" when nothing
};

// Work fails at `fail_work`, finish at `fail_finish` (count: never).
Outcome RunAll(size_t count, unsigned threads, size_t fail_work, size_t fail_finish) {
  constexpr size_t kWindow = 4;
  std::vector<size_t> slot(kWindow, 0);
  std::atomic<size_t> running{0}, most_running{0};
  Outcome outcome;
  try {
    RunInOrder(
        count, threads, kWindow,
        [&](size_t k, unsigned) {
          size_t now = ++running;
          most_running = std::max<size_t>(most_running, now);
          std::this_thread::yield();
          --running;
          if (k == fail_work) throw std::runtime_error("work " + std::to_string(k));
          slot[k % kWindow] = k;
        },
        [&](size_t k) {
          EXPECT_EQ(slot[k % kWindow], k) << "slot overwritten before its finish";
          if (k == fail_finish) throw std::runtime_error("finish " + std::to_string(k));
          outcome.finished.push_back(k);
        });
  } catch (const std::runtime_error& error) {
    outcome.failure = error.what();
  }
  EXPECT_LE(most_running.load(), std::max(threads, 1u));
  return outcome;
}

std::vector<size_t> Upto(size_t end) {
  std::vector<size_t> ks;
  for (size_t k = 0; k < end; ++k) ks.push_back(k);
  return ks;
}

TEST(RunInOrder, FinishesAndFailsAsAPlainLoop) {
  constexpr size_t kNever = ~size_t{0};
  struct {
    size_t count, fail_work, fail_finish;
    size_t finished;
    const char* failure;
  } cases[] = {
      {0, kNever, kNever, 0, ""},         {1000, kNever, kNever, 1000, ""},
      {1000, 0, kNever, 0, "work 0"},     {1000, 517, kNever, 517, "work 517"},
      {1000, kNever, 3, 3, "finish 3"},   {1000, 999, kNever, 999, "work 999"},
      {1000, 700, 300, 300, "finish 300"}, {1000, 300, 700, 300, "work 300"},
  };
  for (unsigned threads : {1u, 2u, 4u}) {
    for (const auto& c : cases) {
      Outcome outcome = RunAll(c.count, threads, c.fail_work, c.fail_finish);
      EXPECT_EQ(outcome.finished, Upto(c.finished)) << threads << " threads, " << c.failure;
      EXPECT_EQ(outcome.failure, c.failure) << threads << " threads";
    }
  }
}

}  // namespace
