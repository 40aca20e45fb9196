// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument thread: every driver and VISA call of the process runs on
// this one thread, so the maker's driver and VISA only ever see one thread.
// The calling thread stays synchronous: it hands the call over and waits,
// first briefly on its own, then in the wait loop that the toolkit layer
// installs (the window repaints, a few controls still act). Platform
// internal: the program's own code never includes this.
#pragma once

#include "kq3917e_codes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

namespace instr
{

// What a call does, for the wait loop and the annunciator.
enum class Kind {
    Setting,     // configuration, query, session: may be abandoned
    Measurement, // read or fetch: may be abandoned, takes an aperture or a trigger
    Register     // firmware mailbox and VISA: never abandoned, no input meanwhile
};

// Waits after a hand-off before the wait loop starts: a call that returns
// sooner never shows the window busy.
inline constexpr double kGraceSeconds = 0.05;

// One call in flight, as the waiting side sees it.
class Ticket
{
  public:
    virtual ~Ticket() = default;
    virtual bool settled() const = 0; // returned, or abandoned
    virtual Kind kind() const = 0;
    virtual double startedAt() const = 0; // monotonic seconds
};

// Installed by the toolkit layer: runs its restricted event loop until
// ticket.settled(). `wake` is called on the instrument thread whenever a call
// returns, to wake that loop. Without a wait loop the caller just blocks.
using WaitLoop = void (*)(const Ticket &ticket);
using Wake = void (*)();
void setWaitLoop(WaitLoop loop, Wake wake);

// Makes the call the calling thread waits for return at once with
// KQ3917E_ERROR_ABORTED (if its kind allows), and every later call return
// that status without reaching the module, until endAbandon(). The abandoned
// call still finishes on the instrument thread; its results are discarded.
void abandon();
void endAbandon();
bool abandoning();

// Blocks until the instrument thread has nothing left to do (an abandoned
// call finished). For tests and for leaving the process.
void waitIdle();

// Seconds on the machine's monotonic clock.
double now();

// True on the instrument thread itself.
bool onInstrumentThread();

// Tries the module's timeout bound for quitting: the longest a call that
// waits for a trigger may take. Kept by the driver from what it set or read.
void setModuleTimeoutMs(std::int32_t ms);
std::int32_t moduleTimeoutMs();

namespace detail
{

// A number output (a text is a char array, not one char).
template <typename U>
inline constexpr bool numberOutput = std::is_arithmetic_v<U> && !std::is_same_v<U, char>;

// A copy of one argument that lives as long as the call on the instrument
// thread: number outputs get a slot of their own, copied back only when the
// call was not abandoned; input texts are copied.
template <typename T> struct Slot {
    T value;
    explicit Slot(T v) : value(v) {}
    T get() { return value; }
    void giveBack(T) const {}
};
template <typename U>
requires numberOutput<U>
struct Slot<U *> {
    U *caller;
    U value{};
    explicit Slot(U *p) : caller(p)
    {
        if (p != nullptr) {
            value = *p;
        }
    }
    U *get() { return caller != nullptr ? &value : nullptr; }
    void giveBack(U *p) const
    {
        if (p != nullptr) {
            *p = value;
        }
    }
};
template <> struct Slot<const char *> {
    bool present;
    std::string text;
    explicit Slot(const char *p) : present(p != nullptr), text(p != nullptr ? p : "") {}
    const char *get() { return present ? text.c_str() : nullptr; }
    void giveBack(const char *) const {}
};

// Whether a call with these arguments can be abandoned: every argument is a
// value, a number output or an input text.
template <typename T>
inline constexpr bool slotted =
    !std::is_pointer_v<T> || std::is_same_v<T, const char *> || numberOutput<std::remove_pointer_t<T>>;

class Job
{
  public:
    virtual ~Job() = default;
    virtual void run() = 0;
    ViStatus status = 0;
};

// Hands the job over and waits for it. False when the caller stopped
// waiting (the call was abandoned, or refused while abandoning): then the job
// may still be running and its results are not the caller's.
bool submit(const std::shared_ptr<Job> &job, Kind kind, bool abandonable);

template <typename Body, typename... A> class CopyJob : public Job
{
  public:
    CopyJob(Body body, A... args) : body_(std::move(body)), slots_(Slot<A>(args)...) {}
    void run() override
    {
        status = std::apply([this](auto &...slot) { return body_(slot.get()...); }, slots_);
    }
    void giveBack(A... args) const
    {
        std::apply([&](const auto &...slot) { (slot.giveBack(args), ...); }, slots_);
    }

  private:
    Body body_;
    std::tuple<Slot<A>...> slots_;
};

template <typename Body> class RefJob : public Job
{
  public:
    explicit RefJob(Body &body) : body_(body) {}
    void run() override { status = body_(); }

  private:
    Body &body_;
};

} // namespace detail

// Runs body(args...) on the instrument thread and returns its status. When
// every argument can be copied the call may be abandoned: the body then works
// on copies, and outputs reach the caller only if it was not. Otherwise the
// caller always waits for the body to return.
template <Kind kind, typename Body, typename... A> ViStatus call(Body body, A... args)
{
    if (onInstrumentThread()) {
        return body(args...);
    }
    if constexpr ((detail::slotted<A> && ...) && kind != Kind::Register) {
        auto job = std::make_shared<detail::CopyJob<Body, A...>>(std::move(body), args...);
        if (!detail::submit(job, kind, true)) {
            return KQ3917E_ERROR_ABORTED;
        }
        job->giveBack(args...);
        return job->status;
    } else {
        auto bound = [&] { return body(args...); };
        auto job = std::make_shared<detail::RefJob<decltype(bound)>>(bound);
        return detail::submit(job, kind, false) ? job->status : KQ3917E_ERROR_ABORTED;
    }
}

} // namespace instr
