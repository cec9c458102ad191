// The colour scheme: LERCORES creates the public colour variables (CCORJAN,
// CCORGET, ... and LCONFCOR) with their defaults and loads the workstation's
// configured colours from CORES.DBF when that table exists; TROCACOR recolours
// a rectangle of the screen from one colour to another, and undoes it.
#pragma once

#include <string_view>

#include "lib/core/value.h"

namespace codfix {

bool LERCORES();
// Returns the undo record {old, new, top, left, bottom, right}.
Value TROCACOR(std::string_view old_colour, std::string_view new_colour, int top, int left,
               int bottom, int right);
// Undoes a recolouring; returns an empty array.
Value TROCACOR(const Value& undo);

void register_colour_routines();

}  // namespace codfix
