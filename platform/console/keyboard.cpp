#include "platform/console/keyboard.h"

#include <chrono>

#include "lib/core/error.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"

namespace codfix::console {
namespace {

constexpr long kForever = -2;

using Clock = std::chrono::steady_clock;

}  // namespace

void Keyboard::stuff(int key) {
  queue_.push_back(InputEvent{key});
}

void Keyboard::stuff_text(std::string_view cp850) {
  for (char c : cp850) stuff(static_cast<unsigned char>(c));
}

void Keyboard::clear() {
  queue_.clear();
  console_.backend().discard_input();
}

std::vector<int> Keyboard::typeahead() const {
  std::vector<int> keys;
  for (const InputEvent& e : queue_) keys.push_back(e.key);
  return keys;
}

int Keyboard::set_event_mask(int mask) {
  int old = mask_;
  mask_ = mask;
  return old;
}

bool Keyboard::set_cancel(bool on) {
  bool old = cancel_;
  cancel_ = on;
  return old;
}

bool Keyboard::allowed(const InputEvent& e, int mask) const {
  return (key::mask_bit(e.key) & mask) != 0;
}

void Keyboard::note(const InputEvent& e) {
  if (e.row >= 0) {
    mouse_row_ = e.row;
    mouse_col_ = e.col;
  }
}

int Keyboard::next_key() {
  while (queue_.empty() || !allowed(queue_.front(), mask_)) {
    if (!queue_.empty()) {
      queue_.pop_front();  // an event the mask does not let through is dropped
      continue;
    }
    console_.refresh();
    auto e = console_.backend().poll(0);
    if (!e) return 0;
    queue_.push_back(*e);
  }
  return queue_.front().key;
}

int Keyboard::wait(double seconds, int mask) {
  long ms = seconds <= 0 ? kForever : static_cast<long>(seconds * 1000 + 0.5);
  return wait_for(ms, mask < 0 ? mask_ : mask);
}

int Keyboard::wait_for(long timeout_ms, int mask) {
  console_.refresh();
  Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(timeout_ms > 0 ? timeout_ms : 0);
  for (;;) {
    InputEvent e;
    if (!queue_.empty()) {
      e = queue_.front();
      queue_.pop_front();
    } else {
      int limit;
      if (timeout_ms == kForever) {
        limit = -1;
      } else if (timeout_ms < 0) {
        limit = 0;
      } else {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        limit = left.count() > 0 ? static_cast<int>(left.count()) : 0;
      }
      auto got = console_.backend().poll(limit);
      if (!got) return 0;
      e = *got;
      if (e.key == 302 && cancel_) quit_program(1);  // Alt+C: the program is cancelled
    }
    if (!allowed(e, mask)) continue;
    note(e);
    last_key_ = e.key;
    return e.key;
  }
}

int Keyboard::wait_dialog(double seconds, int mask, std::string_view active_variable,
                          bool* timed_out) {
  if (timed_out) *timed_out = false;
  long total_ms = seconds <= 0 ? kForever : static_cast<long>(seconds * 1000 + 0.5);
  Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(total_ms > 0 ? total_ms : 0);
  for (;;) {
    long ms = total_ms;
    if (total_ms != kForever) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      ms = left.count() > 0 ? left.count() : 0;
      if (ms == 0) {
        if (timed_out) *timed_out = true;
        return 0;
      }
    }
    int k = wait_for(ms, mask < 0 ? mask_ : mask);
    if (k == 0) {
      if (timed_out) *timed_out = total_ms != kForever;
      return 0;
    }
    if (hot_keys_.run(k, active_variable)) {
      console_.refresh();
      continue;
    }
    return k;
  }
}

}  // namespace codfix::console
