#include "platform/dbf/table_functions.h"

#include <cmath>

#include "lib/core/date.h"
#include "lib/core/names.h"
#include "lib/core/routines.h"
#include "lib/core/runtime.h"
#include "platform/dbf/table_errors.h"
#include "platform/dbf/transfer.h"
#include "platform/dbf/work_areas.h"

namespace codfix::dbf {

namespace {

WorkAreas* areas() {
  return WorkAreas::current_areas();
}

WorkArea* area() {
  WorkAreas* a = areas();
  return a ? a->current() : nullptr;
}

// 0 for non-numbers; whole part otherwise.
long whole(const Value& v) {
  return v.is_number() ? static_cast<long>(std::trunc(v.as_double())) : 0;
}

// The order named by a number (1-based) or a name; 0 when none.
int order_of(WorkArea& a, const Value& v) {
  if (v.is_number()) return static_cast<int>(whole(v));
  if (v.is_text()) return a.order_by_name(v.text());
  return a.active_order();
}

// Raises the "workarea not in use" error for commands that need a table.
Value no_table(std::string_view operation) {
  Failure f{gen::kNoTable, sub::kNoTable, 0, {}, "no table in use", std::string(operation)};
  raise_failure(f, Runtime::current().settings.default_driver);
  return {};
}

Structure structure_of(const Value& v) {
  Structure s;
  if (!v.is_array()) return s;
  for (const Value& row : v.items()) {
    if (!row.is_array()) continue;
    FieldSpec f;
    f.name = row.at(1).text_or("");
    std::string type = row.at(2).text_or("C");
    f.type =
        type.empty() ? 'C' : static_cast<char>(std::toupper(static_cast<unsigned char>(type[0])));
    f.length = static_cast<int>(whole(row.at(3)));
    f.decimals = static_cast<int>(whole(row.at(4)));
    s.push_back(f);
  }
  return s;
}

void add(std::string_view name, RoutineFn fn) {
  routines().add(name, std::move(fn));
}

void register_state() {
  add("RECNO", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value::integer(a ? a->recno() : 0);
  });
  auto lastrec = [](const Args&) -> Value {
    WorkArea* a = area();
    return Value::integer(a ? a->record_count() : 0);
  };
  add("RECCOUNT", lastrec);
  add("LASTREC", lastrec);
  add("EOF", [](const Args&) -> Value { return Value(area() ? area()->eof() : false); });
  add("BOF", [](const Args&) -> Value { return Value(area() ? area()->bof() : false); });
  add("FOUND", [](const Args&) -> Value { return Value(area() ? area()->found() : false); });
  add("DELETED", [](const Args&) -> Value { return Value(area() ? area()->deleted() : false); });
  add("USED", [](const Args&) -> Value { return Value(area() != nullptr); });
  add("ALIAS", [](const Args& args) -> Value {
    WorkAreas* all = areas();
    if (!all) return Value("");
    WorkArea* a = args.given(1) ? all->area(static_cast<int>(whole(args[1]))) : all->current();
    return Value(a ? a->alias() : std::string());
  });
  add("DBF", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value(a ? a->alias() : std::string());
  });
  add("SELECT", [](const Args& args) -> Value {
    WorkAreas* all = areas();
    if (!all) return Value::integer(0);
    if (args[1].is_text()) {
      std::string alias = args[1].text();
      while (!alias.empty() && alias.back() == ' ') alias.pop_back();
      if (alias.empty()) return Value::integer(all->current_area());
      return Value::integer(all->area_of_alias(alias));
    }
    return Value::integer(all->current_area());
  });
  add("NETERR", [](const Args& args) -> Value {
    Runtime& rt = Runtime::current();
    bool previous = rt.net_error;
    if (args[1].is_logical()) rt.net_error = args[1].logical();
    return Value(previous);
  });
  add("HEADER", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value::integer(a ? a->table().header().header_length : 0);
  });
  add("RECSIZE", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value::integer(a ? a->table().header().record_length : 0);
  });
  add("LUPDATE", [](const Args&) -> Value {
    WorkArea* a = area();
    if (!a) return Value::date(0);
    HeaderDate d = header_date(a->table().header(), Runtime::current().settings.dates.epoch);
    return Value::date(day_number(d.year, d.month, d.day));
  });
}

void register_fields() {
  add("FCOUNT", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value::integer(a ? static_cast<long>(a->table().structure().size()) : 0);
  });
  add("FIELDGET", [](const Args& args) -> Value {
    WorkArea* a = area();
    long n = whole(args[1]);
    if (!a || n < 1 || n > a->table().field_count()) return {};
    return a->get(static_cast<int>(n - 1));
  });
  add("FIELDPUT", [](const Args& args) -> Value {
    WorkArea* a = area();
    long n = whole(args[1]);
    if (!a || n < 1 || n > a->table().field_count()) return {};
    return a->put(static_cast<int>(n - 1), args[2]) ? args[2] : Value();
  });
  add("FIELDPOS", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a || !args[1].is_text()) return Value::integer(0);
    std::string name = args[1].text();
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return Value::integer(a->table().field_index(name) + 1);
  });
  auto field_name = [](const Args& args) -> Value {
    WorkArea* a = area();
    long n = whole(args[1]);
    if (!a || n < 1 || n > a->table().field_count()) return Value("");
    return Value(a->table().fields()[static_cast<size_t>(n - 1)].name);
  };
  add("FIELDNAME", field_name);
  add("FIELD", field_name);
  add("DBSTRUCT", [](const Args&) -> Value {
    WorkArea* a = area();
    std::vector<Value> rows;
    if (a) {
      for (const FieldSpec& f : a->table().structure()) {
        rows.push_back(Value::array({Value(f.name), Value(std::string(1, f.type)),
                                     Value::integer(f.length), Value::integer(f.decimals)}));
      }
    }
    return Value::array(std::move(rows));
  });
}

void register_locks() {
  add("RLOCK", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value(a && a->lock_current());
  });
  add("FLOCK", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value(a && a->lock_file());
  });
  add("DBRLOCK", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return Value(false);
    uint32_t r = args.given(1) ? static_cast<uint32_t>(whole(args[1])) : a->recno();
    return Value(a->lock_record(r, !args.given(1)));
  });
  add("DBRUNLOCK", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (a) a->unlock(args.given(1) ? static_cast<uint32_t>(whole(args[1])) : 0);
    return {};
  });
  add("DBUNLOCK", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->unlock();
    return {};
  });
}

void register_orders() {
  auto key_of = [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return Value("");
    Order* o = a->order(args.given(1) ? order_of(*a, args[1]) : a->active_order());
    return Value(o ? o->key_text() : std::string());
  };
  add("INDEXKEY", key_of);
  add("ORDKEY", key_of);
  add("INDEXORD", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value::integer(a ? a->active_order() : 0);
  });
  add("ORDNAME", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return Value("");
    Order* o = a->order(args.given(1) ? order_of(*a, args[1]) : a->active_order());
    return Value(o ? o->name() : std::string());
  });
  add("ORDFOR", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return Value("");
    Order* o = a->order(args.given(1) ? order_of(*a, args[1]) : a->active_order());
    return Value(o ? o->for_text() : std::string());
  });
  add("ORDBAGNAME", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return Value("");
    Order* o = a->order(args.given(1) ? order_of(*a, args[1]) : a->active_order());
    return Value(o ? o->bag() : std::string());
  });
  add("ORDNUMBER", [](const Args& args) -> Value {
    WorkArea* a = area();
    return Value::integer(a && args[1].is_text() ? a->order_by_name(args[1].text()) : 0);
  });
  add("ORDCOUNT", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value::integer(a ? a->order_count() : 0);
  });
  add("ORDKEYNO", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value::integer(a ? static_cast<long long>(a->order_position()) : 0);
  });
  add("ORDKEYCOUNT", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value::integer(a ? static_cast<long long>(a->order_key_count()) : 0);
  });
  auto set_focus = [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return Value("");
    Order* previous = a->order(a->active_order());
    Value result(previous ? previous->name() : std::string());
    if (args.given(1)) a->set_order(order_of(*a, args[1]));
    return result;
  };
  add("ORDSETFOCUS", set_focus);
  add("DBSETORDER", [](const Args& args) -> Value {
    if (WorkArea* a = area()) a->set_order(static_cast<int>(whole(args[1])));
    return {};
  });
  auto add_index = [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("DBSETINDEX");
    a->add_index(args.text(1));
    return {};
  };
  add("DBSETINDEX", add_index);
  add("ORDLISTADD", add_index);
  auto clear = [](const Args&) -> Value {
    if (WorkArea* a = area()) a->clear_orders();
    return {};
  };
  add("DBCLEARINDEX", clear);
  add("ORDLISTCLEAR", clear);
  add("DBREINDEX", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->reindex();
    return {};
  });
  // ORDCREATE(cBag, cTag, cKey, bKey, lUnique): the key text is what counts.
  add("ORDCREATE", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("ORDCREATE");
    IndexOptions o;
    o.key = args.text(3);
    o.tag = args.text(2);
    o.unique = args.logical(5, false);
    a->create_index(args.given(1) ? args.text(1) : args.text(2), o);
    return {};
  });
  // DBCREATEINDEX(cFile, cKey, bKey, lUnique)
  add("DBCREATEINDEX", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("DBCREATEINDEX");
    IndexOptions o;
    o.key = args.text(2);
    o.unique = args.logical(4, false);
    a->create_index(args.text(1), o);
    return {};
  });
}

void register_commands() {
  // DBUSEAREA(lNewArea, cDriver, cName, cAlias, lShared, lReadOnly)
  add("DBUSEAREA", [](const Args& args) -> Value {
    WorkAreas* all = areas();
    if (!all) return {};
    UseOptions o;
    o.new_area = args.logical(1, false);
    o.driver = args.text(2);
    o.alias = args.text(4);
    o.exclusive = !args.logical(5, false);
    o.read_only = args.logical(6, false);
    all->use(args.text(3), o);
    return {};
  });
  // DBCREATE(cName, aStruct, cDriver, lOpenNew, cAlias)
  add("DBCREATE", [](const Args& args) -> Value {
    WorkAreas* all = areas();
    if (!all) return {};
    bool ok = all->create(args.text(1), structure_of(args[2]), args.text(3));
    if (ok && args[4].is_logical()) {
      UseOptions o;
      o.new_area = args[4].logical();
      o.driver = args.text(3);
      o.alias = args.text(5);
      o.exclusive = true;
      all->use(args.text(1), o);
    }
    return {};
  });
  add("DBCLOSEAREA", [](const Args&) -> Value {
    if (WorkAreas* all = areas()) all->close_area(all->current_area());
    return {};
  });
  add("DBCLOSEALL", [](const Args&) -> Value {
    if (WorkAreas* all = areas()) all->close_all();
    return {};
  });
  add("DBSELECTAREA", [](const Args& args) -> Value {
    WorkAreas* all = areas();
    if (!all) return {};
    if (args[1].is_text()) {
      all->select(std::string_view(args[1].text()));
    } else {
      all->select(static_cast<int>(whole(args[1])));
    }
    return {};
  });
  add("DBGOTO", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("DBGOTO");
    a->go_to(static_cast<uint32_t>(std::max<long>(0, whole(args[1]))));
    return {};
  });
  add("DBGOTOP", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->go_top();
    return {};
  });
  add("DBGOBOTTOM", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->go_bottom();
    return {};
  });
  add("DBSKIP", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("DBSKIP");
    a->skip(args.given(1) ? whole(args[1]) : 1);
    return {};
  });
  add("DBSEEK", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("DBSEEK");
    bool soft = args.logical(2, Runtime::current().settings.softseek);
    a->seek(args[1], soft, args.logical(3, false));
    return Value(a->found());
  });
  add("DBAPPEND", [](const Args&) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("DBAPPEND");
    a->append_blank();
    return {};
  });
  add("DBDELETE", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->delete_record();
    return {};
  });
  add("DBRECALL", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->recall();
    return {};
  });
  add("DBCOMMIT", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->commit();
    return {};
  });
  add("DBCOMMITALL", [](const Args&) -> Value {
    if (WorkAreas* all = areas()) {
      for (const auto& [n, a] : all->open_areas()) a->commit();
    }
    return {};
  });
  // DBSETFILTER(bBlock, cText): the text is what is evaluated.
  add("DBSETFILTER", [](const Args& args) -> Value {
    if (WorkArea* a = area()) a->set_filter(args.text(2));
    return {};
  });
  add("DBCLEARFILTER", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->set_filter("");
    return {};
  });
  add("DBFILTER", [](const Args&) -> Value {
    WorkArea* a = area();
    return Value(a ? a->filter_text() : std::string());
  });
  add("__DBPACK", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->pack();
    return {};
  });
  add("__DBZAP", [](const Args&) -> Value {
    if (WorkArea* a = area()) a->zap();
    return {};
  });
  // __DBLOCATE(cFor, cWhile, lRest)
  add("__DBLOCATE", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("__DBLOCATE");
    a->locate(args.text(1), args.text(2), args.logical(3, false));
    return Value(a->found());
  });
  add("__DBCONTINUE", [](const Args&) -> Value {
    WorkArea* a = area();
    if (!a) return Value(false);
    a->continue_locate();
    return Value(a->found());
  });
  // __DBCOPY(cFile, cFor, cWhile, lAll)
  add("__DBCOPY", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("__DBCOPY");
    CopyOptions o;
    o.condition = args.text(2);
    o.while_condition = args.text(3);
    o.all = args.logical(4, false);
    return Value(copy_to(*a, args.text(1), o));
  });
  add("__DBAPP", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("__DBAPP");
    return Value(append_from(*a, args.text(1)));
  });
  add("__DBCOPYSTRUCT", [](const Args& args) -> Value {
    WorkArea* a = area();
    if (!a) return no_table("__DBCOPYSTRUCT");
    return Value(copy_structure(*a, args.text(1)));
  });
}

}  // namespace

void register_table_functions() {
  static bool done = false;
  if (done) return;
  done = true;
  register_state();
  register_fields();
  register_locks();
  register_orders();
  register_commands();
}

}  // namespace codfix::dbf
