#ifndef FSDPACK_ARCHIVE_ORDERED_WORK_H_
#define FSDPACK_ARCHIVE_ORDERED_WORK_H_

#include <stddef.h>

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Runs work(k, worker) for k = 0 .. count - 1 ahead of the calling thread on
// up to `threads` threads (worker numbers them from 0), never more than
// `window` ahead of the k taken last, while the calling thread takes the
// results strictly in order of k. So whatever the caller does with them
// happens exactly as in a plain loop over k, and state for k can live in
// slot k % window, the caller's from Take(k) until it takes k + 1.
//
// A worker takes a few k at a time and hands them over together, so that
// threads meet, and sleep and wake, once per batch rather than once per k.
// With one thread, or where no thread can be started, work(k) runs inside
// Take(k). Work already started runs to its end before the destructor
// returns.
class OrderedWork {
 public:
  using Work = std::function<void(size_t k, unsigned worker)>;
  OrderedWork(size_t count, unsigned threads, size_t window, Work work);
  ~OrderedWork();
  OrderedWork(const OrderedWork&) = delete;
  OrderedWork& operator=(const OrderedWork&) = delete;

  // Waits until work(k) is done and throws again whatever it threw. Called
  // for k = 0, 1, 2 ... in turn, once each.
  void Take(size_t k);
  // The same, but hands back what work(k) threw (null when nothing), for a
  // caller that must finish something else before it fails.
  std::exception_ptr TakeFailure(size_t k);

 private:
  void RunWorker(unsigned worker);

  size_t count_;
  size_t window_;
  size_t batch_;
  Work work_;
  std::mutex mutex_;
  std::condition_variable work_wanted_;  // a worker waits for room
  std::condition_variable work_done_;    // Take waits for its k
  size_t next_work_ = 0;
  size_t next_taken_ = 0;
  size_t awaited_ = static_cast<size_t>(-1);
  unsigned idle_workers_ = 0;
  bool stop_ = false;
  std::vector<char> done_;
  std::vector<std::exception_ptr> failures_;
  std::vector<std::thread> workers_;
};

// Threads worth running work on: as many as there are processors, from one
// to four.
unsigned WorkerThreads();

// work(k, worker) on the threads, then finish(k) on the calling thread in
// order of k. A failure of work(k) is thrown here when k's turn comes, after
// every finish before it; no finish after it runs. A failure of finish(k)
// ends the run the same way.
template <typename Work, typename Finish>
void RunInOrder(size_t count, unsigned threads, size_t window, Work work, Finish finish) {
  OrderedWork ordered(count, threads, window, work);
  for (size_t k = 0; k < count; ++k) {
    ordered.Take(k);
    finish(k);
  }
}

#endif  // FSDPACK_ARCHIVE_ORDERED_WORK_H_
