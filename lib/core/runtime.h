// The run-time context: the settings a session has, its session variables, its
// call stack, the installed error handler, the work areas and the shut-down
// procedures. One context is current at a time; tests make a fresh one per case
// with RuntimeScope.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "lib/core/call_stack.h"
#include "lib/core/date.h"
#include "lib/core/error.h"
#include "lib/core/session_vars.h"

namespace codfix {

class WorkAreaHost;

struct RuntimeSettings {
  DateSettings dates;
  bool exact = false;          // SET EXACT
  int decimals = 2;            // SET DECIMALS
  bool fixed = false;          // SET FIXED
  bool deleted = false;        // SET DELETED: hide deleted records
  bool softseek = false;       // SET SOFTSEEK
  std::string default_folder;  // SET DEFAULT
  std::string path;            // SET PATH
  std::string device = "SCREEN";
  std::string default_driver = "DBFNTX";
  // The production index of a table (CDX driver): attached when the table is
  // opened if the file is there (auto_open), or, in strict structural mode,
  // exactly when the table header says the table has one (a missing file is
  // then an open error).
  bool auto_open = true;
  bool strict_structural = false;
  std::string message_language = "EN";  // the platform's own messages ("PT" after start-up)
};

class Runtime {
 public:
  Runtime();
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  static Runtime& current();

  RuntimeSettings settings;
  SessionVars vars;
  CallStack calls;
  ErrorHandler error_handler;  // empty: default_error_handler
  WorkAreaHost* work_areas = nullptr;
  bool net_error = false;  // the network-error flag (NETERR)

  // Shut-down procedures, run once in reverse order of registration by
  // run_shutdown() (main calls it, also after ProgramExit).
  void on_shutdown(std::function<void()> fn) { shutdown_.push_back(std::move(fn)); }
  void run_shutdown();

 private:
  std::vector<std::function<void()>> shutdown_;
  Runtime* previous_ = nullptr;
  friend class RuntimeScope;
};

// Makes a fresh context current for its lifetime.
class RuntimeScope {
 public:
  RuntimeScope();
  ~RuntimeScope();
  Runtime& runtime() { return rt_; }
  RuntimeScope(const RuntimeScope&) = delete;
  RuntimeScope& operator=(const RuntimeScope&) = delete;

 private:
  Runtime rt_;
};

// A library routine's activation: a call-stack frame and a private-variable scope.
//   RoutineScope scope("GRAVALOG", "LOGS.PRG");
class RoutineScope {
 public:
  RoutineScope(std::string routine, std::string unit, int line = 0);
  ~RoutineScope();
  void line(int n);
  RoutineScope(const RoutineScope&) = delete;
  RoutineScope& operator=(const RoutineScope&) = delete;

 private:
  Runtime& rt_;
  PrivateScope privates_;
};

}  // namespace codfix
