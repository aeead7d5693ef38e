#include "archive/ordered_work.h"

#include <algorithm>
#include <system_error>

unsigned WorkerThreads() {
  return std::max(1u, std::min(std::thread::hardware_concurrency(), 4u));
}

OrderedWork::OrderedWork(size_t count, unsigned threads, size_t window, Work work)
    : count_(count), window_(window), batch_(std::max<size_t>(1, window / 8)),
      work_(std::move(work)) {
  if (threads <= 1 || window == 0 || count <= 1) return;
  done_.assign(window, 0);
  failures_.resize(window);
  for (unsigned worker = 0; worker < threads; ++worker) {
    try {
      workers_.emplace_back(&OrderedWork::RunWorker, this, worker);
    } catch (const std::system_error&) {
      break;
    }
  }
}

OrderedWork::~OrderedWork() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  work_wanted_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void OrderedWork::RunWorker(unsigned worker) {
  std::vector<std::exception_ptr> failures(batch_);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // A whole batch must fit in the window.
    while (!stop_ && next_work_ < count_ && next_work_ + batch_ > next_taken_ + window_) {
      ++idle_workers_;
      work_wanted_.wait(lock);
      --idle_workers_;
    }
    if (stop_ || next_work_ >= count_) return;
    size_t first = next_work_;
    size_t end = std::min(count_, first + batch_);
    next_work_ = end;
    lock.unlock();
    for (size_t k = first; k < end; ++k) {
      failures[k - first] = nullptr;
      try {
        work_(k, worker);
      } catch (...) {
        failures[k - first] = std::current_exception();
      }
    }
    lock.lock();
    for (size_t k = first; k < end; ++k) {
      failures_[k % window_] = failures[k - first];
      done_[k % window_] = 1;
    }
    if (awaited_ >= first && awaited_ < end) work_done_.notify_one();
  }
}

void OrderedWork::Take(size_t k) {
  if (std::exception_ptr failure = TakeFailure(k)) std::rethrow_exception(failure);
}

std::exception_ptr OrderedWork::TakeFailure(size_t k) {
  if (workers_.empty()) {
    try {
      work_(k, 0);
    } catch (...) {
      return std::current_exception();
    }
    return nullptr;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  next_taken_ = k;  // the place of k - 1 is free again
  // Waking the workers costs a system call: wake them once half the
  // window is free, or when this k is not done yet.
  size_t slot = k % window_;
  if (idle_workers_ > 0 && (next_work_ + batch_ <= next_taken_ + window_ / 2 || !done_[slot]))
    work_wanted_.notify_all();
  while (!done_[slot]) {
    awaited_ = k;
    work_done_.wait(lock);
  }
  awaited_ = static_cast<size_t>(-1);
  done_[slot] = 0;
  std::exception_ptr failure = failures_[slot];
  failures_[slot] = nullptr;
  return failure;
}
