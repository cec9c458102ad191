// console-demo: shows the alert box and a small form on the terminal.
//
// The alert asks whether to go on; the form reads a description, a price, a date
// and a flag (F2 shows a help alert; a price of zero is refused). The values are
// then printed with line output, which stays in the terminal after the program
// ends. Without a terminal the alert gets no answer and the program says so.
// With --keys it shows the code of each key pressed instead.
#include <cstdio>
#include <memory>
#include <string>

#include "lib/core/runtime.h"
#include "platform/console/console.h"
#include "platform/console/keys.h"
#include "platform/dialogs/alert.h"
#include "platform/dialogs/form.h"
#include "platform/picture/picture.h"
#include "platform/text/literal.h"

namespace {

using namespace codfix;
using namespace codfix::text::literals;

class HelpKey : public Callable {
 public:
  Value call(std::span<const Value> args) override {
    std::string variable = args.size() > 2 && args[2].is_text() ? args[2].text() : "";
    dialogs::alert(std::string("Ajuda;Campo ativo: "_cp850) + variable, {"Ok"});
    return Value();
  }
};

void paint(console::Console& con) {
  con.set_colour("W+/B,N/BG,,,W/B");
  con.clear();
  con.say(0, 0, std::string(80, ' '), console::colour_attribute("N/BG"));
  con.say(0, 2, "Demonstração do console"_cp850, console::colour_attribute("N/BG"));
  con.frame(6, 10, 13, 69, console::kFrameDouble, con.standard());
  con.say(6, 12, " Cadastro de produto "_cp850);
  con.say(24, 0, " [F2]=Ajuda  [Esc]=Sai "_cp850, console::colour_attribute("N/BG"));
}

// --keys: shows the code of every key and mouse event until Esc comes twice in a
// row; the codes are printed with line output, so they stay after the program ends.
int show_keys() {
  console::Console& con = console::current();
  con.keyboard().set_cancel(false);
  con.keyboard().set_event_mask(console::key::kMaskAll);
  con.clear();
  con.line_out("Teclas (Esc duas vezes termina):");
  int previous = 0;
  for (;;) {
    int k = con.keyboard().wait(0);
    if (k == 0) return 1;  // no terminal
    con.line_out("tecla " + std::to_string(k));
    if (k == console::key::kEsc && previous == console::key::kEsc) return 0;
    previous = k;
  }
}

int run() {
  RuntimeScope runtime;
  Runtime& rt = runtime.runtime();
  rt.settings.dates.century = true;
  console::Console& con = console::current();

  paint(con);
  std::optional<int> go =
      dialogs::alert("Atenção;Esta é uma demonstração do console.;Deseja continuar?"_cp850,
                     {"Sim", std::string("Não"_cp850)});
  if (!go) {
    con.line_out("Sem terminal: o alerta ficou sem resposta."_cp850);
    return 0;
  }
  if (*go != 1) {
    con.clear();
    con.line_out("Demonstração cancelada."_cp850);
    return 0;
  }

  rt.vars.declare_public("CDESC", Value(std::string(30, ' ')));
  rt.vars.declare_public("NPRECO", Value::number(0, 10, 2));
  rt.vars.declare_public("DDATA", Value(Date{}));
  rt.vars.declare_public("LATIVO", Value(true));
  con.keyboard().hot_keys().bind(console::key::f(2), std::make_shared<HelpKey>());

  dialogs::Form form;
  con.say(8, 12, "Descrição:"_cp850);
  form.add(8, 24, "CDESC", "@!");
  con.say(9, 12, "Preço    :"_cp850);
  form.add(9, 24, "NPRECO", "@E 999,999.99", dialogs::Condition(std::function<bool()>([&rt] {
             if (rt.vars.get("NPRECO").as_double() > 0) return true;
             dialogs::alert("O preço deve ser maior que zero."_cp850, {"Ok"});
             return false;
           })));
  con.say(10, 12, "Data     :");
  form.add(10, 24, "DDATA");
  con.say(11, 12, "Ativo    :");
  form.add(11, 24, "LATIVO", "Y");
  form.read();
  int last = con.keyboard().last_key();

  std::optional<int> ok = dialogs::alert("Dados lidos.;Encerrar a demonstração?"_cp850, {"Ok"});
  (void)ok;
  con.set_colour("W/N");
  con.clear();
  con.line_out(std::string("Descrição: "_cp850) + picture::transform(rt.vars.get("CDESC"), "@!"));
  con.line_out(std::string("Preço: "_cp850) +
               picture::transform(rt.vars.get("NPRECO"), "@E 999,999.99"));
  con.line_out("Data: " + picture::transform(rt.vars.get("DDATA"), ""));
  con.line_out("Ativo: " + picture::transform(rt.vars.get("LATIVO"), "Y"));
  con.line_out(std::string("Última tecla: "_cp850) + std::to_string(last));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc > 1 && std::string(argv[1]) == "--keys") return show_keys();
    return run();
  } catch (const codfix::ProgramExit& e) {
    return e.code;
  }
}
