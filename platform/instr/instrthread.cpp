// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument thread and the hand-off of calls to it.
#include "instrthread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace instr
{
namespace
{

using Clock = std::chrono::steady_clock;

struct Pending final : Ticket {
    std::shared_ptr<detail::Job> job;
    Kind what = Kind::Setting;
    bool abandonable = false;
    double started = 0.0;
    bool finished = false;  // the body returned (guarded by the worker's mutex)
    bool abandoned = false; // the caller stopped waiting (caller's thread only)
    std::atomic<bool> settledFlag{false};

    bool settled() const override { return settledFlag.load(std::memory_order_acquire); }
    Kind kind() const override { return what; }
    double startedAt() const override { return started; }
};

// Lives for the whole process: the thread is detached at exit, never joined
// while an abandoned call may still be inside the driver.
struct Worker {
    std::mutex mutex;
    std::condition_variable work;     // the thread waits for jobs
    std::condition_variable finished; // callers wait for their job
    std::deque<std::shared_ptr<Pending>> queue;
    bool busy = false;
    std::thread::id id;
    WaitLoop waitLoop = nullptr;
    Wake wake = nullptr;
    Pending *current = nullptr; // what the calling thread waits for now
    bool abandoning = false;
    std::atomic<std::int32_t> timeoutMs{2000};

    Worker()
    {
        std::thread thread([this] { serve(); });
        id = thread.get_id();
        thread.detach();
    }

    void serve()
    {
        std::unique_lock lock(mutex);
        for (;;) {
            work.wait(lock, [this] { return !queue.empty(); });
            std::shared_ptr<Pending> next = std::move(queue.front());
            queue.pop_front();
            busy = true;
            lock.unlock();
            // A call abandoned before it started never reaches the module.
            if (!next->settled()) {
                next->job->run();
            }
            lock.lock();
            busy = false;
            next->finished = true;
            next->settledFlag.store(true, std::memory_order_release);
            const Wake w = wake;
            finished.notify_all();
            if (w != nullptr) {
                w();
            }
        }
    }
};

Worker &worker()
{
    static Worker *w = new Worker; // never destroyed: see Worker
    return *w;
}

} // namespace

double now()
{
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

bool onInstrumentThread()
{
    return std::this_thread::get_id() == worker().id;
}

void setWaitLoop(WaitLoop loop, Wake wake)
{
    Worker &w = worker();
    std::lock_guard lock(w.mutex);
    w.waitLoop = loop;
    w.wake = wake;
}

void abandon()
{
    Worker &w = worker();
    std::lock_guard lock(w.mutex);
    w.abandoning = true;
    if (w.current != nullptr && w.current->abandonable && !w.current->finished) {
        w.current->abandoned = true;
        w.current->settledFlag.store(true, std::memory_order_release);
    }
}

void endAbandon()
{
    Worker &w = worker();
    std::lock_guard lock(w.mutex);
    w.abandoning = false;
}

bool abandoning()
{
    Worker &w = worker();
    std::lock_guard lock(w.mutex);
    return w.abandoning;
}

void waitIdle()
{
    Worker &w = worker();
    std::unique_lock lock(w.mutex);
    w.finished.wait(lock, [&w] { return w.queue.empty() && !w.busy; });
}

void setModuleTimeoutMs(std::int32_t ms)
{
    worker().timeoutMs.store(ms);
}

std::int32_t moduleTimeoutMs()
{
    return worker().timeoutMs.load();
}

namespace detail
{

bool submit(const std::shared_ptr<Job> &job, Kind kind, bool abandonable)
{
    Worker &w = worker();
    auto pending = std::make_shared<Pending>();
    pending->job = job;
    pending->what = kind;
    pending->abandonable = abandonable;
    pending->started = now();
    std::unique_lock lock(w.mutex);
    if (w.abandoning) {
        return false;
    }
    Pending *outer = std::exchange(w.current, pending.get());
    w.queue.push_back(pending);
    w.work.notify_one();
    const bool done = w.finished.wait_for(lock, std::chrono::duration<double>(kGraceSeconds),
                                          [&] { return pending->settled(); });
    if (!done) {
        if (const WaitLoop loop = w.waitLoop) {
            lock.unlock();
            loop(*pending);
            lock.lock();
        }
        w.finished.wait(lock, [&] { return pending->settled(); });
    }
    w.current = outer;
    return pending->finished && !pending->abandoned;
}

} // namespace detail

} // namespace instr
