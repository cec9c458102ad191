#include "platform/dbf/cdx_order.h"

#include "platform/cdx/builder.h"
#include "platform/cdx/compound_file.h"
#include "platform/cdx/cursor.h"
#include "platform/cdx/key_codec.h"
#include "platform/cdx/page_file.h"
#include "platform/cdx/tag.h"
#include "platform/dbf/order_expressions.h"

namespace codfix::dbf {

namespace {

using Bag = std::shared_ptr<cdx::CompoundFile>;

// The compiled expressions of a tag and its key format.
struct CdxKeys : OrderExpressions {
  cdx::KeyFormat format;

  Failure eval_key(std::string& out) const {
    return OrderExpressions::eval_key(
        format,
        [](const Value& v, const cdx::KeyFormat& f, std::string& o) {
          return cdx::append_key(v, f, o);
        },
        out);
  }
};

class CdxOrder final : public Order {
 public:
  CdxOrder(Bag bag, std::unique_ptr<cdx::Tag> tag, CdxKeys keys)
      : bag_(std::move(bag)), tag_(std::move(tag)), cursor_(*tag_), keys_(std::move(keys)) {
    file_ = bag_->file().name();
  }

  const Bag& compound() const { return bag_; }

  std::string name() const override { return tag_->name(); }
  std::string bag() const override { return file_; }
  std::string key_text() const override { return tag_->header().key_expr; }
  std::string for_text() const override { return tag_->header().for_expr; }
  bool unique() const override { return tag_->unique(); }
  bool descending() const override { return tag_->descending(); }
  char key_type() const override { return cdx::key_type_letter(keys_.format.type); }
  int key_size() const override { return keys_.format.size; }

  Failure eval_key(std::string& key) override { return keys_.eval_key(key); }
  Failure eval_for(bool& passes) override { return keys_.eval_for(passes); }
  Failure seek_key(const Value& v, std::string& out) override {
    cdx::Result<std::string> r = cdx::encode_seek_key(v, keys_.format);
    if (!r.ok()) {
      return {
          gen::kDataType, sub::kDataType, 0, file_, "seek value of another type than the key", {}};
    }
    out = std::move(*r);
    return {};
  }
  Value key_value(std::string_view key) const override {
    return cdx::decode_key(key, keys_.format);
  }

  Failure update_begin() override { return fail(tag_->lock(cdx::LockMode::kExclusive)); }
  Failure update_end() override { return fail(tag_->unlock()); }
  Failure insert(std::string_view key, uint32_t recno) override {
    cdx::Result<bool> r = tag_->insert(key, recno);
    return r.ok() ? Failure{} : fail(r.status());
  }
  Failure remove(std::string_view key, uint32_t recno) override {
    cdx::Result<bool> r = tag_->remove(key, recno);
    if (!r.ok()) return fail(r.status());
    const cdx::TagHeader& h = tag_->header();
    if (!*r && !h.unique() && !h.partial() && !h.custom()) {
      return Failure::corrupt(file_, "the key of record " + std::to_string(recno) +
                                         " is missing from tag " + tag_->name());
    }
    return {};
  }

  Failure first() override { return fail(cursor_.first()); }
  Failure last() override { return fail(cursor_.last()); }
  Failure next() override { return fail(cursor_.next()); }
  Failure prev() override { return fail(cursor_.prev()); }
  Failure seek(std::string_view key, bool last, bool& found) override {
    return index_result(cursor_.seek(key, last), found, file_);
  }
  Failure find(std::string_view key, uint32_t recno, bool& found) override {
    return index_result(cursor_.find(key, recno), found, file_);
  }
  bool eof() const override { return cursor_.eof(); }
  bool bof() const override { return cursor_.bof(); }
  uint32_t recno() const override { return cursor_.recno(); }
  std::string_view key() const override { return cursor_.key(); }
  Failure position(uint64_t& n) override { return index_result(cursor_.position(), n, file_); }
  Failure go_to_position(uint64_t n, bool& found) override {
    return index_result(cursor_.go_to_position(n), found, file_);
  }
  Failure key_count(uint64_t& n) override { return index_result(tag_->key_count(), n, file_); }
  Failure check() override {
    if (Failure f = fail(bag_->verify())) return f;
    return fail(tag_->verify());
  }

 private:
  Failure fail(const cdx::Status& s) const { return index_failure(s, file_); }

  Bag bag_;
  std::unique_ptr<cdx::Tag> tag_;
  cdx::Cursor cursor_;
  CdxKeys keys_;
  std::string file_;
};

// Opens tag `info` of `bag` as an order (the table's blank record current).
std::unique_ptr<Order> open_tag_order(const Bag& bag, const cdx::TagInfo& info, Failure& failure) {
  CdxKeys keys;
  keys.file = bag->file().name();
  failure = keys.compile(info.header.key_expr, info.header.for_expr, false);
  if (failure) return nullptr;
  Value blank = keys.key->eval();
  cdx::Result<cdx::KeyType> type = cdx::key_type_of(blank);
  if (!type.ok()) {
    failure = Failure::corrupt(keys.file, "key expression '" + info.header.key_expr + "' of tag " +
                                              info.name + " gives no usable value");
    return nullptr;
  }
  if (keys.condition && !keys.condition->eval().is_logical()) {
    failure = {
        gen::kDataType, sub::kNotForLogical, 0, keys.file, "FOR condition is not logical", {}};
    return nullptr;
  }
  const uint16_t decimals = blank.is_number() ? static_cast<uint16_t>(blank.num().decimals) : 0;
  cdx::Result<cdx::KeyFormat> format = cdx::key_format(*type, info.header.key_size, decimals);
  if (!format.ok()) {
    failure = {gen::kDataWidth,
               sub::kInvalidKey,
               0,
               keys.file,
               "key of tag " + info.name + " does not fit its length",
               {}};
    return nullptr;
  }
  keys.format = *format;
  cdx::Result<std::unique_ptr<cdx::Tag>> tag =
      bag->open_tag(info.name, *type, key_weights(*type), decimals);
  if (!tag.ok()) {
    failure = index_failure(tag.status(), keys.file);
    return nullptr;
  }
  return std::make_unique<CdxOrder>(bag, std::move(*tag), std::move(keys));
}

Bag open_bag(const std::string& name, bool writable, filelock::Share share, Failure& failure) {
  fs::Result<filelock::Handle> h = filelock::Handle::open(name, writable, share);
  if (!h) {
    failure = {gen::kOpen, sub::kOpenIndex, h.dos_error(), name, "cannot open", {}};
    return nullptr;
  }
  const std::string path = h->path();
  cdx::Result<std::unique_ptr<cdx::CompoundFile>> bag =
      cdx::CompoundFile::open(cdx::make_page_file(std::move(*h)));
  if (!bag.ok()) {
    failure = index_failure(bag.status(), path);
    return nullptr;
  }
  return Bag(std::move(*bag));
}

// The tag name of a build without one: the bag's base name.
std::string default_tag_name(std::string_view path) {
  const size_t slash = path.find_last_of("/\\:");
  std::string base(path.substr(slash == std::string_view::npos ? 0 : slash + 1));
  base = base.substr(0, base.find('.'));
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (base.size() > 10) base.resize(10);
  return base;
}

class CdxBuild final : public OrderBuild {
 public:
  CdxBuild(Bag bag, std::string path, CdxKeys keys, cdx::TagDefinition def, bool reopen,
           bool writable, filelock::Share share)
      : bag_(std::move(bag)),
        path_(std::move(path)),
        keys_(std::move(keys)),
        def_(def),
        builder_(def, key_weights(def.format.type)),
        reopen_(reopen),
        writable_(writable),
        share_(share) {}

  Failure eval_key(std::string& key) override { return keys_.eval_key(key); }
  Failure eval_for(bool& passes) override { return keys_.eval_for(passes); }
  bool has_for() const override { return keys_.condition != nullptr; }
  char key_type() const override { return cdx::key_type_letter(keys_.format.type); }
  int key_size() const override { return keys_.format.size; }
  Failure add(std::string_view key, uint32_t recno) override {
    cdx::Status st = builder_.add(key, recno);
    return st.ok() ? Failure{} : index_failure(st, keys_.file);
  }
  Failure add_run(unsigned part, const char* keys, size_t count, uint32_t first_recno) override {
    cdx::Status st = builder_.add_run(part, keys, count, first_recno);
    return st.ok() ? Failure{} : index_failure(st, keys_.file);
  }
  void set_record_count(uint32_t count) override { builder_.set_record_count(count); }
  void mark_partial() override { partial_ = true; }

  Failure finish(std::unique_ptr<Order>& order) override {
    cdx::Status st = builder_.write(*bag_);
    if (st.ok() && partial_) st = flag_partial();
    if (!st.ok()) return index_failure(st, path_);
    if (reopen_) {
      // A new file was made in exclusive use: open it again in the table's mode.
      bag_.reset();
      Failure failure;
      bag_ = open_bag(path_, writable_, share_, failure);
      if (!bag_) return failure;
    }
    const cdx::TagInfo* info = bag_->find(def_.name);
    if (!info) return Failure::corrupt(path_, "tag " + def_.name + " missing after its build");
    Failure failure;
    order = open_tag_order(bag_, *info, failure);
    return failure;
  }

 private:
  // A stopped build: the tag header's options byte gets the partial bit, so
  // that the entries it lacks are not taken for damage later.
  cdx::Status flag_partial() {
    const cdx::TagInfo* info = bag_->find(def_.name);
    if (!info) return cdx::Status::corrupt("tag " + def_.name + " missing after its build");
    const uint8_t options = static_cast<uint8_t>(info->header.options | cdx::option_bits::kPartial);
    const uint32_t at = info->header_offset + 14;
    cdx::PageStore& store = bag_->store();
    CDX_TRY(cdx::run_operation(store, cdx::LockMode::kExclusive,
                               [&] { return store.write_at(at, &options, 1); }));
    return bag_->reload();
  }

  Bag bag_;
  std::string path_;
  CdxKeys keys_;
  cdx::TagDefinition def_;
  cdx::Builder builder_;
  bool reopen_;
  bool writable_;
  filelock::Share share_;
  bool partial_ = false;
};

}  // namespace

std::string cdx_file_name(std::string_view path) {
  size_t slash = path.find_last_of("/\\:");
  size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  if (path.find('.', start) != std::string_view::npos) return std::string(path);
  bool lower = false;
  for (char c : path.substr(start)) {
    if (c >= 'a' && c <= 'z') lower = true;
  }
  return std::string(path) + (lower ? ".cdx" : ".CDX");
}

std::shared_ptr<cdx::CompoundFile> cdx_bag_of(const Order& order) {
  const auto* o = dynamic_cast<const CdxOrder*>(&order);
  return o ? o->compound() : nullptr;
}

std::vector<std::unique_ptr<Order>> open_cdx_orders(std::string_view path, bool writable,
                                                    filelock::Share share, Failure& failure) {
  std::vector<std::unique_ptr<Order>> orders;
  Bag bag = open_bag(cdx_file_name(path), writable, share, failure);
  if (!bag) return orders;
  if (bag->tags().empty()) {
    failure = Failure::corrupt(bag->file().name(), "no tag in the index");
    return orders;
  }
  for (const cdx::TagInfo& info : bag->tags()) {
    std::unique_ptr<Order> o = open_tag_order(bag, info, failure);
    if (!o) {
      orders.clear();
      return orders;
    }
    orders.push_back(std::move(o));
  }
  return orders;
}

std::unique_ptr<OrderBuild> start_cdx_build(std::string_view path, const CdxBuildOptions& options,
                                            std::shared_ptr<cdx::CompoundFile> bag, bool writable,
                                            filelock::Share share, Failure& failure) {
  const std::string name = cdx_file_name(path);
  CdxKeys keys;
  keys.file = name;
  failure = keys.compile(options.key_text, options.for_text, true);
  if (failure) return nullptr;
  cdx::Result<cdx::KeyFormat> format = cdx::key_format_for(keys.key->eval());
  if (!format.ok()) {
    failure = {gen::kDataWidth, sub::kInvalidKey, 0, name, "key of no type or no width", {}};
    return nullptr;
  }
  keys.format = *format;
  if (keys.condition && !keys.condition->eval().is_logical()) {
    failure = {gen::kDataType, sub::kNotForLogical, 0, name, "FOR condition is not logical", {}};
    return nullptr;
  }
  cdx::TagDefinition def;
  def.name = options.tag_name.empty() ? default_tag_name(name) : options.tag_name;
  for (char& c : def.name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  def.key_expr = strip_expression(options.key_text);
  def.for_expr = strip_expression(options.for_text);
  def.format = keys.format;
  def.unique = options.unique;
  def.descending = options.descending;
  if (cdx::Result<cdx::TagHeader> h = cdx::make_tag_header(def); !h.ok()) {
    failure = {gen::kCreate, sub::kCreateIndex, 0, name, h.status().detail(), {}};
    return nullptr;
  }
  bool reopen = false;
  if (!bag) {
    fs::Result<filelock::Handle> h = filelock::Handle::open(name, writable, share);
    if (h) {
      const std::string found = h->path();
      cdx::Result<std::unique_ptr<cdx::CompoundFile>> opened =
          cdx::CompoundFile::open(cdx::make_page_file(std::move(*h)));
      if (!opened.ok()) {
        failure = index_failure(opened.status(), found);
        return nullptr;
      }
      bag = Bag(std::move(*opened));
    } else {
      fs::Result<filelock::Handle> c = filelock::Handle::create(name);
      if (!c) {
        failure = {gen::kCreate, sub::kCreateIndex, c.dos_error(), name, "cannot create", {}};
        return nullptr;
      }
      const std::string made = c->path();
      c->set_write_behind(options.write_behind);
      cdx::Result<std::unique_ptr<cdx::CompoundFile>> created =
          cdx::CompoundFile::create(cdx::make_page_file(std::move(*c)));
      if (!created.ok()) {
        failure = index_failure(created.status(), made);
        return nullptr;
      }
      bag = Bag(std::move(*created));
      reopen = true;
    }
  }
  const std::string file = bag->file().name();
  keys.file = file;
  return std::make_unique<CdxBuild>(std::move(bag), file, std::move(keys), def, reopen, writable,
                                    share);
}

}  // namespace codfix::dbf
