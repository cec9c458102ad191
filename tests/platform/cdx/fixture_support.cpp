#include "tests/platform/cdx/fixture_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lib/core/date.h"
#include "platform/cdx/page_file.h"
#include "platform/text/codepage.h"
#include "tests/support/scratch_folder.h"

namespace codfix::cdx::testing {

RawTable::RawTable(const std::string& path) : bytes_(read_file(path)) {
  auto u16 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes_[at]) |
                                 (static_cast<uint8_t>(bytes_[at + 1]) << 8));
  };
  header_ = u16(8);
  record_ = u16(10);
  count_ = static_cast<uint32_t>((bytes_.size() - header_) / record_);
  int offset = 1;
  for (size_t at = 32; at + 32 <= header_ && bytes_[at] != '\x0d'; at += 32) {
    Field f;
    f.name = std::string(bytes_.c_str() + at);
    f.type = bytes_[at + 11];
    f.length = static_cast<uint8_t>(bytes_[at + 16]);
    f.decimals = static_cast<uint8_t>(bytes_[at + 17]);
    f.offset = offset;
    offset += f.length;
    fields_.push_back(f);
  }
}

const RawTable::Field& RawTable::find(const std::string& name) const {
  for (const Field& f : fields_)
    if (f.name == name) return f;
  ADD_FAILURE() << "no field " << name;
  return fields_.front();
}

std::string RawTable::field(uint32_t recno, const std::string& name) const {
  const Field& f = find(name);
  return bytes_.substr(header_ + (recno - 1) * record_ + f.offset, f.length);
}

Value RawTable::value(uint32_t recno, const std::string& name) const {
  const Field& f = find(name);
  std::string raw = field(recno, name);
  switch (f.type) {
    case 'N':
      return Value::number(std::strtod(raw.c_str(), nullptr),
                           f.decimals > 0 ? f.length - f.decimals - 1 : f.length, f.decimals);
    case 'D':
      return Value(dtos_to_date(raw));
    case 'L':
      return Value(raw == "T" || raw == "t" || raw == "Y" || raw == "y");
    default:
      return Value(raw);
  }
}

std::string data_path(const std::string& relative) {
  return std::string(CODFIX_TESTDATA) + "/" + relative;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << path;
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  EXPECT_TRUE(out.good()) << path;
}

std::vector<uint32_t> read_order(const std::string& path, const std::string& section) {
  std::string text = read_file(path);
  if (!section.empty()) {
    size_t at = text.find(section);
    EXPECT_NE(at, std::string::npos) << section;
    at = text.find("recnos:", at);
    size_t end = text.find('\n', at);
    text = text.substr(at + 7, end - at - 7);
  }
  std::istringstream in(text);
  std::vector<uint32_t> out;
  uint32_t n;
  while (in >> n) out.push_back(n);
  return out;
}

std::string scratch_file(const std::string& name) {
  return codfix::testing::scratch_path("cdx", name);
}

std::string copy_to_scratch(const std::string& from, const std::string& name) {
  std::string to = scratch_file(name);
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(to, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::add);
  return to;
}

std::unique_ptr<CompoundFile> open_compound(const std::string& path, bool writable, bool shared) {
  // Read-only opens are shared: test processes running side by side read the
  // same fixture files.
  auto file = open_page_file(path, FileOptions{writable, shared || !writable, false});
  EXPECT_TRUE(file.ok()) << file.status().message();
  if (!file.ok()) return nullptr;
  auto cf = CompoundFile::open(std::move(*file));
  EXPECT_TRUE(cf.ok()) << cf.status().message();
  if (!cf.ok()) return nullptr;
  return std::move(*cf);
}

std::unique_ptr<Tag> open_tag(CompoundFile& file, const std::string& name, KeyType type) {
  auto tag = file.open_tag(name, type, text::weights());
  EXPECT_TRUE(tag.ok()) << name << ": " << tag.status().message();
  if (!tag.ok()) return nullptr;
  return std::move(*tag);
}

Walk walk(Tag& tag, bool backward, size_t limit) {
  Walk w;
  Cursor c(tag);
  Status s = backward ? c.last() : c.first();
  while (s.ok() && c.on_key() && w.entries.size() < limit) {
    w.entries.push_back({std::string(c.key()), c.recno()});
    s = backward ? c.prev() : c.next();
  }
  w.status = s;
  return w;
}

}  // namespace codfix::cdx::testing
