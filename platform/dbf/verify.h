// The integrity check behind `dbf-tool verify`: the header against the file, every
// record and memo readable, and for every index given: its pages sound, its keys
// in order, each key equal to its expression on its record, and each record that
// satisfies the FOR condition present exactly once (for a unique index: its key
// present).
//
// Needs a WorkAreas installed in the current run-time context (expressions are
// evaluated in a work area of its own, closed at the end).
#pragma once

#include <string>
#include <vector>

namespace codfix::dbf {

struct VerifyProblem {
  std::string file;
  std::string reason;
};

// Everything found wrong; empty when all is well. At most `limit` problems per
// file are listed (a last line says how many more there were). `driver` empty:
// the run-time default; under a CDX driver the production index is checked too
// and every tag of each compound file given.
std::vector<VerifyProblem> verify_table(const std::string& table,
                                        const std::vector<std::string>& indexes, size_t limit = 20,
                                        const std::string& driver = {});

}  // namespace codfix::dbf
