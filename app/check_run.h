// The check run of CODFIX: makes the product-code field CODIGO of every product
// table KVPROD.DBF as wide as the field PRODUTO of the item table KVITEM.DBF.
//
// MAIN reads KV.INI (LDIRETPROD, CDIRETPROD) to find the product folders, takes
// the reference width from KVITEM.DBF, and checks each folder with CHKESTPROD: a
// narrower code is rebuilt at once, a wider one is logged to CODFIX.LOG and the
// operator decides. ALTESTPROD rebuilds one table: a new table with the corrected
// width and its index, every record copied, the old files kept under a backup
// name. The product table is held exclusively from the in-use test through the
// copy, so no other station can change a record the copy would miss.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace codfix {

// MAIN's state, shared with the routines it drives (the run context).
struct CheckRun {
  bool direct_layout = false;        // DIRETPROD
  std::vector<std::string> folders;  // ADIRPROD
  bool first_log_write = true;       // LNOVO
  std::string root;                  // CDIRET
  int reference_width = 0;           // NKEYITEM
  std::size_t folder_index = 0;      // NCONT (0-based here)
  struct FieldRow {
    std::string name;
    char type;
    int width;
    int decimals;
  };
  std::vector<FieldRow> structure;  // AESTRUT
  std::size_t code_position = 0;    // NPOSCOD (1-based; 0 when CODIGO is missing)
};

void MAIN();
void CHKESTPROD(CheckRun& run, std::string_view folder, std::string_view table,
                int reference_width);

void register_check_run_routines();

}  // namespace codfix
