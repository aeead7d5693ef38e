#ifndef FSDPACK_ARCHIVE_ORDERED_WORK_H_
#define FSDPACK_ARCHIVE_ORDERED_WORK_H_

#include <stddef.h>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

// Runs work(k, worker) for k = 0 .. count - 1 on up to `threads` threads
// (worker numbers them from 0), never more than `window` ahead of the next
// k to finish, and finish(k) on the calling thread strictly in order of k,
// each once its work is done. So whatever finish does happens exactly as in
// a plain loop over k, and state for k can live in slot k % window.
//
// A failure thrown by work(k) is thrown again here when k's turn to finish
// comes, after every finish before it; no finish after it runs. A failure
// from finish(k) ends the run the same way. Work already started runs to
// its end before this returns or throws. With one thread, or where no
// thread can be started, everything runs on the calling thread.
template <typename Work, typename Finish>
void RunInOrder(size_t count, unsigned threads, size_t window, Work work, Finish finish) {
  if (threads <= 1 || window == 0) {
    for (size_t k = 0; k < count; ++k) {
      work(k, 0u);
      finish(k);
    }
    return;
  }
  std::mutex mutex;
  std::condition_variable changed;
  size_t next_work = 0, next_finish = 0;
  bool stop = false;
  std::vector<char> done(window, 0);
  std::vector<std::exception_ptr> failures(window);

  auto run_worker = [&](unsigned worker) {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      changed.wait(lock, [&] {
        return stop || next_work >= count || next_work < next_finish + window;
      });
      if (stop || next_work >= count) return;
      size_t k = next_work++;
      lock.unlock();
      std::exception_ptr failure;
      try {
        work(k, worker);
      } catch (...) {
        failure = std::current_exception();
      }
      lock.lock();
      failures[k % window] = failure;
      done[k % window] = 1;
      changed.notify_all();
    }
  };
  std::vector<std::thread> workers;
  for (unsigned worker = 0; worker < threads; ++worker) {
    try {
      workers.emplace_back(run_worker, worker);
    } catch (const std::system_error&) {
      break;
    }
  }
  auto join = [&] {
    {
      std::lock_guard<std::mutex> lock(mutex);
      stop = true;
    }
    changed.notify_all();
    for (std::thread& thread : workers) thread.join();
  };
  if (workers.empty()) {
    RunInOrder(count, 1, window, work, finish);
    return;
  }
  try {
    for (size_t k = 0; k < count; ++k) {
      std::exception_ptr failure;
      {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return done[k % window] != 0; });
        done[k % window] = 0;
        failure = failures[k % window];
        failures[k % window] = nullptr;
      }
      if (failure) std::rethrow_exception(failure);
      finish(k);
      {
        std::lock_guard<std::mutex> lock(mutex);
        next_finish = k + 1;
      }
      changed.notify_all();
    }
  } catch (...) {
    join();
    throw;
  }
  join();
}

#endif  // FSDPACK_ARCHIVE_ORDERED_WORK_H_
