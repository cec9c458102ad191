#include "platform/dbf/field_plan.h"

#include <cstring>

#include "platform/dbf/field_codec.h"

namespace codfix::dbf {

FieldPlan::FieldPlan(const Table& source, const Table& target) {
  const std::vector<Field>& out = target.fields();
  blank_.assign(target.header().record_length, ' ');
  for (const Field& f : out) blank_field(f, blank_.data() + f.offset);
  for (size_t t = 0; t < out.size(); ++t) {
    const Field& to = out[t];
    if (to.hidden()) continue;
    const int s = source.field_index(to.name);
    if (s < 0) continue;
    const Field& from = source.fields()[static_cast<size_t>(s)];
    if (from.type != to.type) continue;
    Step step{Kind::kBytes, s, static_cast<int>(t), from.offset, from.length, to.offset, to.length};
    if (to.is_memo()) {
      step.kind = Kind::kMemo;
      has_memo_ = true;
      bytes_only_ = false;
    } else if ((to.type == 'N' || to.type == 'F') &&
               (from.length != to.length || from.decimals != to.decimals)) {
      step.kind = Kind::kNumber;
      bytes_only_ = false;
    } else if (to.type != 'C' && from.length != to.length) {
      continue;  // binary forms of another size: no sensible copy
    }
    steps_.push_back(step);
  }
  // Equal-width byte copies that follow each other in both records become one.
  std::vector<Step> merged;
  for (const Step& s : steps_) {
    if (!merged.empty()) {
      Step& last = merged.back();
      if (s.kind == Kind::kBytes && last.kind == Kind::kBytes &&
          last.from_length == last.to_length && s.from_length == s.to_length &&
          last.from + last.from_length == s.from && last.to + last.to_length == s.to) {
        last.from_length += s.from_length;
        last.to_length += s.to_length;
        continue;
      }
    }
    merged.push_back(s);
  }
  steps_ = std::move(merged);
}

Failure FieldPlan::apply(const char* in, char* out, Table& source, Table& target) const {
  std::memcpy(out, blank_.data(), blank_.size());
  out[0] = in[0] == kDeletedFlag ? kDeletedFlag : kLiveFlag;
  Failure failure;
  for (const Step& s : steps_) {
    switch (s.kind) {
      case Kind::kBytes:
        if (s.from_length >= s.to_length) {
          std::memcpy(out + s.to, in + s.from, s.to_length);
        } else {
          std::memcpy(out + s.to, in + s.from, s.from_length);
          std::memset(out + s.to + s.from_length, ' ', s.to_length - s.from_length);
        }
        break;
      case Kind::kNumber: {
        const Field& from = source.fields()[static_cast<size_t>(s.source_field)];
        const Field& to = target.fields()[static_cast<size_t>(s.target_field)];
        double v = 0;
        if (!parse_numeric({in + s.from, s.from_length}, from.type == 'F', v)) {
          if (!failure) {
            failure = Failure::corrupt(source.path(), "field " + from.name + " holds '" +
                                                          std::string(in + s.from, s.from_length) +
                                                          "', not a number");
          }
          std::memset(out + s.to, '*', s.to_length);
          break;
        }
        if (write_field(to, Value::number(v, to.decimals), out + s.to) == WriteOutcome::kOverflow &&
            !failure) {
          failure = {
              gen::kDataWidth, sub::kDataWidth, 0, target.path(), "value too wide for " + to.name,
              to.name};
        }
        break;
      }
      case Kind::kMemo: {
        const Field& from = source.fields()[static_cast<size_t>(s.source_field)];
        const Field& to = target.fields()[static_cast<size_t>(s.target_field)];
        std::optional<uint32_t> block = read_memo_block(from, {in + s.from, s.from_length});
        uint32_t written = 0;
        if (!block) {
          if (!failure) {
            failure = Failure::corrupt(source.path(),
                                       "memo field " + from.name + " holds no block number");
          }
        } else if (*block != 0 && source.memo() && target.memo()) {
          std::string text;
          Failure f = source.memo()->read(*block, text);
          if (!f && !text.empty()) f = target.memo()->write(text, written);
          if (f && !failure) failure = f;
        }
        write_memo_block(to, out + s.to, written);
        break;
      }
    }
  }
  return failure;
}

}  // namespace codfix::dbf
