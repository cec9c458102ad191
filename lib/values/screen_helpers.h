// Whole-screen save and restore (GT / RT) and the validation callbacks of form
// fields (PADX, SN).
#pragma once

#include <string>
#include <string_view>

#include "lib/core/value.h"

namespace codfix {

// The whole screen's image, also left in CRETORNO.
std::string GT();
void RT(std::string_view image);

// Fills the field being edited (or the variable named) to its width: "E"
// right-aligns padding with `fill`, "C" centres, "D" left-aligns.
bool PADX(bool allow_empty = true, std::string_view fill = "0", std::string_view align = "E",
          std::string_view variable = "", bool keep_empty = false, int width = -1);
// Accepts "S"/"N" in the field being edited and writes "Sim"/"Nâo" beside it.
bool SN(std::string_view colour = "B/W");

void register_screen_helpers();

}  // namespace codfix
