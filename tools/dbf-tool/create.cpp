// create.
#include <cstdio>
#include <cstdlib>

#include "platform/dbf/table.h"
#include "tools/dbf-tool/commands.h"

namespace codfix::dbftool {

const char* const kCreateHelp =
    "usage: dbf-tool create TABLE NAME:TYPE:LEN:DEC,... [--driver DBFNTX|DBFCDX]\n"
    "Creates an empty table (and its memo file when a field is of type M: .dbt,\n"
    "or .fpt under DBFCDX).\n"
    "TYPE is C, N, F, D, L or M; LEN and DEC may be left out for D (8), L (1)\n"
    "and M (10). Example: dbf-tool create kvitem.dbf PRODUTO:C:10,QTDE:N:10:3\n";

namespace {

bool parse_structure(const std::string& text, dbf::Structure& out) {
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    std::string item = text.substr(start, end - start);
    std::vector<std::string> parts;
    size_t p = 0;
    while (p <= item.size()) {
      size_t q = item.find(':', p);
      if (q == std::string::npos) q = item.size();
      parts.push_back(item.substr(p, q - p));
      p = q + 1;
    }
    if (parts.size() < 2 || parts.size() > 4 || parts[1].size() != 1) return false;
    dbf::FieldSpec f;
    f.name = parts[0];
    f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(parts[1][0])));
    f.length = f.type == 'D' ? 8 : f.type == 'L' ? 1 : f.type == 'M' ? 10 : 0;
    if (parts.size() > 2) f.length = std::atoi(parts[2].c_str());
    if (parts.size() > 3) f.decimals = std::atoi(parts[3].c_str());
    out.push_back(f);
    start = end + 1;
  }
  return !out.empty();
}

}  // namespace

int cmd_create(const Args& given) {
  Args args = given;
  const std::string driver = take_driver(args);
  dbf::Structure structure;
  if (driver.empty() || args.size() != 2 || !parse_structure(args[1], structure)) {
    std::fputs(kCreateHelp, stderr);
    return 2;
  }
  dbf::Failure failure;
  std::unique_ptr<dbf::Table> t = dbf::Table::create(args[0], structure, driver, failure);
  if (t) failure = t->close();
  if (failure) {
    report(dbf::describe_gencode(failure.gencode), failure.gencode, failure.subcode, failure.oscode,
           failure.filename, failure.detail);
    return 1;
  }
  return 0;
}

}  // namespace codfix::dbftool
