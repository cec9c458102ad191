// Session variables: public ones live until the program ends; private ones live
// until the routine that declared them returns, are visible to every routine it
// calls, and hide a variable of the same name meanwhile. Names are
// case-insensitive.
//
// Private scopes nest with the call stack: a PrivateScope (usually owned by a
// RoutineScope, see runtime.h) marks where a routine's privates begin, and
// releases them when it ends.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lib/core/value.h"

namespace codfix {

class SessionVars {
 public:
  // The visible variable of that name, or nullptr.
  Value* find(std::string_view name);
  const Value* find(std::string_view name) const;
  bool exists(std::string_view name) const { return find(name) != nullptr; }
  // Type letter of the visible variable, "U" when none.
  char type_of(std::string_view name) const;

  // Reads the variable; nil when it does not exist.
  Value get(std::string_view name) const;
  // Assigns the visible variable, or creates a private of the current scope when
  // none exists (as an assignment to an undeclared name does).
  void set(std::string_view name, Value v);

  // PUBLIC: creates the public variable (initialised to .F. unless a value is
  // given); an existing public keeps its value unless a value is given.
  void declare_public(std::string_view name, Value v = Value(false));
  // PRIVATE: creates a private of the current scope, hiding any outer one. A
  // second declaration in the same scope just assigns.
  void declare_private(std::string_view name, Value v = Value());
  // Removes a public variable (RELEASE of a public); privates end with their scope.
  void release(std::string_view name);

  // Scope bookkeeping, used by PrivateScope.
  std::size_t scope_mark() const { return privates_.size(); }
  void release_to(std::size_t mark);
  int depth() const { return depth_; }
  void enter() { ++depth_; }
  void leave() { --depth_; }

  void clear();

 private:
  struct Slot {
    Value value;
    int depth;  // -1 for a public
  };
  // Per name, the stack of declarations: the last one is visible.
  std::unordered_map<std::string, std::vector<Slot>> vars_;
  // Private declarations in order, for release at scope end.
  std::vector<std::string> privates_;
  int depth_ = 0;
};

// Marks a routine's private-variable scope for its lifetime.
class PrivateScope {
 public:
  explicit PrivateScope(SessionVars& vars) : vars_(vars), mark_(vars.scope_mark()) {
    vars_.enter();
  }
  ~PrivateScope() {
    vars_.release_to(mark_);
    vars_.leave();
  }
  PrivateScope(const PrivateScope&) = delete;
  PrivateScope& operator=(const PrivateScope&) = delete;

 private:
  SessionVars& vars_;
  std::size_t mark_;
};

}  // namespace codfix
