#include "platform/dbf/ntx_order.h"

#include <array>

#include "platform/dbf/order_expressions.h"
#include "platform/ntx/builder.h"
#include "platform/ntx/cursor.h"
#include "platform/ntx/handle_page_file.h"
#include "platform/ntx/header.h"
#include "platform/ntx/index.h"
#include "platform/ntx/key_codec.h"

namespace codfix::dbf {

namespace {

char letter_of(ntx::KeyType t) {
  switch (t) {
    case ntx::KeyType::kCharacter:
      return 'C';
    case ntx::KeyType::kNumeric:
      return 'N';
    case ntx::KeyType::kDate:
      return 'D';
    case ntx::KeyType::kLogical:
      return 'L';
  }
  return 'C';
}

// The compiled expressions of an NTX order and its key format.
struct NtxKeys : OrderExpressions {
  ntx::KeyFormat format;

  Failure eval_key(std::string& out) const {
    return OrderExpressions::eval_key(
        format,
        [](const Value& v, const ntx::KeyFormat& f, std::string& o) {
          return ntx::append_key(v, f, o);
        },
        out);
  }
};

class NtxOrder final : public Order {
 public:
  NtxOrder(std::unique_ptr<ntx::Index> index, NtxKeys keys, std::string name)
      : index_(std::move(index)), cursor_(*index_), keys_(std::move(keys)), name_(std::move(name)) {
    bag_ = index_->file().name();
  }

  std::string name() const override { return name_; }
  std::string bag() const override { return bag_; }
  std::string key_text() const override { return index_->header().key_expr; }
  std::string for_text() const override { return index_->header().for_expr; }
  bool unique() const override { return index_->header().unique; }
  bool descending() const override { return index_->header().descending; }
  char key_type() const override { return letter_of(keys_.format.type); }
  int key_size() const override { return keys_.format.size; }
  bool extended_locking() const override { return index_->header().extended_locking(); }

  Failure eval_key(std::string& key) override { return keys_.eval_key(key); }
  Failure eval_for(bool& passes) override { return keys_.eval_for(passes); }
  Failure seek_key(const Value& v, std::string& out) override {
    ntx::Result<std::string> r = ntx::encode_seek_key(v, keys_.format);
    if (!r.ok()) {
      return {
          gen::kDataType, sub::kDataType, 0, bag_, "seek value of another type than the key", {}};
    }
    out = std::move(*r);
    return {};
  }
  Value key_value(std::string_view key) const override {
    return ntx::decode_key(key, keys_.format);
  }

  Failure update_begin() override { return fail(index_->lock(ntx::LockMode::kExclusive)); }
  Failure update_end() override { return fail(index_->unlock()); }
  Failure insert(std::string_view key, uint32_t recno) override {
    ntx::Result<bool> r = index_->insert(key, recno);
    return r.ok() ? Failure{} : fail(r.status());
  }
  Failure remove(std::string_view key, uint32_t recno) override {
    ntx::Result<bool> r = index_->remove(key, recno);
    if (!r.ok()) return fail(r.status());
    if (!*r && !index_->header().unique && !index_->header().partial()) {
      return Failure::corrupt(
          bag_, "the key of record " + std::to_string(recno) + " is missing from the index");
    }
    return {};
  }

  Failure first() override { return fail(cursor_.first()); }
  Failure last() override { return fail(cursor_.last()); }
  Failure next() override { return fail(cursor_.next()); }
  Failure prev() override { return fail(cursor_.prev()); }
  Failure seek(std::string_view key, bool last, bool& found) override {
    return index_result(cursor_.seek(key, last), found, bag_);
  }
  Failure find(std::string_view key, uint32_t recno, bool& found) override {
    return index_result(cursor_.find(key, recno), found, bag_);
  }
  bool eof() const override { return cursor_.eof(); }
  bool bof() const override { return cursor_.bof(); }
  uint32_t recno() const override { return cursor_.recno(); }
  std::string_view key() const override { return cursor_.key(); }
  Failure position(uint64_t& n) override { return index_result(cursor_.position(), n, bag_); }
  Failure go_to_position(uint64_t n, bool& found) override {
    return index_result(cursor_.go_to_position(n), found, bag_);
  }
  Failure key_count(uint64_t& n) override { return index_result(index_->key_count(), n, bag_); }
  Failure check() override { return fail(index_->verify()); }

 private:
  Failure fail(const ntx::Status& s) const { return index_failure(s, bag_); }

  std::unique_ptr<ntx::Index> index_;
  ntx::Cursor cursor_;
  NtxKeys keys_;
  std::string name_;
  std::string bag_;
};

class NtxBuild final : public OrderBuild {
 public:
  NtxBuild(filelock::Handle file, NtxKeys keys, ntx::Definition def, bool writable,
           filelock::Share share)
      : file_(std::move(file)),
        keys_(std::move(keys)),
        def_(def),
        builder_(def, key_weights(keys_.format.type)),
        writable_(writable),
        share_(share) {}

  Failure eval_key(std::string& key) override { return keys_.eval_key(key); }
  Failure eval_for(bool& passes) override { return keys_.eval_for(passes); }
  bool has_for() const override { return keys_.condition != nullptr; }
  char key_type() const override { return letter_of(keys_.format.type); }
  int key_size() const override { return keys_.format.size; }
  Failure add(std::string_view key, uint32_t recno) override {
    ntx::Status st = builder_.add(key, recno);
    return st.ok() ? Failure{} : index_failure(st, keys_.file);
  }
  Failure add_run(unsigned part, const char* keys, size_t count, uint32_t first_recno) override {
    ntx::Status st = builder_.add_run(part, keys, count, first_recno);
    return st.ok() ? Failure{} : index_failure(st, keys_.file);
  }
  void set_record_count(uint32_t) override {}
  void mark_partial() override { partial_ = true; }

  Failure finish(std::unique_ptr<Order>& order) override {
    const std::string path = file_.path();
    std::unique_ptr<ntx::PageFile> pages = ntx::make_page_file(std::move(file_));
    ntx::Status st = builder_.write(*pages);
    if (st.ok() && partial_ && !def_.partial) {
      // The header's type word gets the partial bit (0x0008).
      uint8_t type = 0;
      st = pages->read_at(0, &type, 1);
      type = static_cast<uint8_t>(type | ntx::type_bits::kPartial);
      if (st.ok()) st = pages->write_at(0, &type, 1);
    }
    if (!st.ok()) return index_failure(st, path);
    pages.reset();  // closes the exclusive handle of the build
    Failure failure;
    order = open_ntx_order(path, writable_, share_, failure);
    return failure;
  }

 private:
  filelock::Handle file_;
  NtxKeys keys_;
  ntx::Definition def_;
  ntx::Builder builder_;
  bool writable_;
  filelock::Share share_;
  bool partial_ = false;
};

}  // namespace

std::string ntx_file_name(std::string_view path) {
  size_t slash = path.find_last_of("/\\:");
  size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  if (path.find('.', start) != std::string_view::npos) return std::string(path);
  bool lower = false;
  for (char c : path.substr(start)) {
    if (c >= 'a' && c <= 'z') lower = true;
  }
  return std::string(path) + (lower ? ".ntx" : ".NTX");
}

std::unique_ptr<Order> open_ntx_order(std::string_view path, bool writable, filelock::Share share,
                                      Failure& failure) {
  const std::string name = ntx_file_name(path);
  fs::Result<filelock::Handle> h = filelock::Handle::open(name, writable, share);
  if (!h) {
    failure = {gen::kOpen, sub::kOpenIndex, h.dos_error(), name, "cannot open", {}};
    return nullptr;
  }
  NtxKeys keys;
  keys.file = h->path();
  std::array<uint8_t, ntx::kPageSize> page{};
  fs::Result<size_t> got = h->read_at(0, page.data(), page.size());
  fs::Result<uint64_t> size = h->size();
  if (!got || !size) {
    failure = Failure::read_error(keys.file, got ? size.dos_error() : got.dos_error());
    return nullptr;
  }
  if (*got < page.size()) {
    failure = Failure::corrupt(keys.file, "file shorter than an index header");
    return nullptr;
  }
  ntx::Result<ntx::Header> header = ntx::decode_header(page, *size);
  if (!header.ok()) {
    failure = index_failure(header.status(), keys.file);
    return nullptr;
  }
  failure = keys.compile(header->key_expr, header->has_for() ? header->for_expr : "", false);
  if (failure) return nullptr;
  ntx::Result<ntx::KeyType> type = ntx::key_type_of(keys.key->eval());
  if (!type.ok()) {
    failure = Failure::corrupt(
        keys.file, "key expression '" + header->key_expr + "' gives no usable key value");
    return nullptr;
  }
  keys.format = ntx::key_format(*type, header->key_size, header->key_decimals);
  std::unique_ptr<ntx::PageFile> pages = ntx::make_page_file(std::move(*h));
  ntx::Result<std::unique_ptr<ntx::Index>> index =
      ntx::Index::open(std::move(pages), key_weights(*type));
  if (!index.ok()) {
    failure = index_failure(index.status(), keys.file);
    return nullptr;
  }
  std::string order_name = ntx::order_name((*index)->header(), keys.file);
  return std::make_unique<NtxOrder>(std::move(*index), std::move(keys), std::move(order_name));
}

std::unique_ptr<OrderBuild> start_ntx_build(std::string_view path, const NtxBuildOptions& options,
                                            bool writable, filelock::Share share,
                                            Failure& failure) {
  const std::string name = ntx_file_name(path);
  NtxKeys keys;
  keys.file = name;
  failure = keys.compile(options.key_text, options.for_text, true);
  if (failure) return nullptr;
  ntx::Result<ntx::KeyFormat> format = ntx::key_format_for(keys.key->eval());
  if (!format.ok()) {
    failure = {gen::kDataWidth, sub::kInvalidKey, 0, name, "key of no type or no width", {}};
    return nullptr;
  }
  keys.format = *format;
  if (keys.condition && !keys.condition->eval().is_logical()) {
    failure = {gen::kDataType, sub::kNotForLogical, 0, name, "FOR condition is not logical", {}};
    return nullptr;
  }
  ntx::Definition def;
  def.key_expr = options.key_text;
  def.for_expr = strip_expression(options.for_text).empty() ? std::string() : options.for_text;
  def.tag_name = options.tag_name;
  def.key_size = keys.format.size;
  def.key_decimals = keys.format.decimals;
  def.unique = options.unique;
  def.descending = options.descending;
  def.partial = options.partial;
  if (def.key_expr.size() > ntx::kMaxExpressionSize ||
      def.for_expr.size() > ntx::kMaxExpressionSize) {
    failure = {gen::kCreate, sub::kCreateIndex, 0, name, "expression longer than 255 bytes", {}};
    return nullptr;
  }
  fs::Result<filelock::Handle> h = filelock::Handle::create_over(name);
  if (!h) {
    failure = {gen::kCreate, sub::kCreateIndex, h.dos_error(), name, "cannot create", {}};
    return nullptr;
  }
  keys.file = h->path();
  h->set_write_behind(options.write_behind);
  return std::make_unique<NtxBuild>(std::move(*h), std::move(keys), def, writable, share);
}

}  // namespace codfix::dbf
