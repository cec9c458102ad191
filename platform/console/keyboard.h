// The keyboard queue: the program's type-ahead, key waits with a time limit and
// an event mask, the last key, the mouse position, and the hot-key table.
//
// A key wait first takes the type-ahead (keys the program put there), then asks
// the backend. A wait without a time limit that returns 0 means no input can
// ever come (no terminal, or a test that fed no more keys): dialogs then give up
// as they do on Esc or give no answer.
#pragma once

#include <deque>
#include <string_view>
#include <vector>

#include "platform/console/backend.h"
#include "platform/console/hot_keys.h"

namespace codfix::console {

class Console;

class Keyboard {
 public:
  explicit Keyboard(Console& console) : console_(console) {}

  // Type-ahead filled by the program.
  void stuff(int key);
  void stuff_text(std::string_view cp850);
  // Empties the type-ahead and drops keys typed ahead at the keyboard.
  void clear();
  std::vector<int> typeahead() const;

  // The next key without taking it (0 when none is pending).
  int next_key();
  // Takes a pending key without waiting (0 when none).
  int inkey() { return wait_for(-1, mask_); }
  // Waits up to `seconds` (0: without limit) for an event allowed by `mask`
  // (-1: the current event mask) and takes it; 0 when the time runs out. The key
  // becomes the last key.
  int wait(double seconds, int mask = -1);

  // The wait of modal dialogs: keys bound in the hot-key table run their callback
  // (with `active_variable`) and the wait goes on. `timed_out`, when given, tells a
  // run-out time limit apart from the end of input.
  int wait_dialog(double seconds, int mask, std::string_view active_variable,
                  bool* timed_out = nullptr);

  int last_key() const { return last_key_; }
  void set_last_key(int key) { last_key_ = key; }

  int event_mask() const { return mask_; }
  int set_event_mask(int mask);

  int mouse_row() const { return mouse_row_; }
  int mouse_col() const { return mouse_col_; }

  HotKeys& hot_keys() { return hot_keys_; }

  // The platform's own cancellation key (Alt+C ends the program) is on by default.
  bool cancel_enabled() const { return cancel_; }
  bool set_cancel(bool on);

 private:
  // Waits `timeout_ms` (< 0 no wait, 0 unused, otherwise the limit; kForever no limit).
  int wait_for(long timeout_ms, int mask);
  bool allowed(const InputEvent& e, int mask) const;
  void note(const InputEvent& e);

  Console& console_;
  std::deque<InputEvent> queue_;  // type-ahead and events peeked from the backend
  int last_key_ = 0;
  int mask_ = 128;  // keyboard events only
  int mouse_row_ = 0;
  int mouse_col_ = 0;
  bool cancel_ = true;
  HotKeys hot_keys_;
};

}  // namespace codfix::console
