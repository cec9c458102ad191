// File services that may talk to the operator: EXISTEARQ (existence with a
// notice), NOMELONGO (rename with a replace question), CRIADIR (create a folder
// with all its parents, with a retry question).
#pragma once

#include <string>
#include <string_view>

namespace codfix {

bool EXISTEARQ(std::string_view file, std::string_view extension = "", bool warn = true);
bool NOMELONGO(std::string_view from, std::string_view to, std::string_view folder = "",
               bool remove_target = true);
bool CRIADIR(std::string_view folder, bool warn = false, std::string_view separators = ":\\");

void register_file_service_routines();

}  // namespace codfix
