// The console demo end to end: under tmux (a real terminal emulator) the alert
// box and the form come out with their accents and frames, keys sent to the pane
// drive them, and the values printed at the end stay readable after the program
// ends. Without a terminal the demo still runs and says the alert got no answer.
// Skipped when tmux is not installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/tmux_session.h"

namespace {

using codfix::testing::have_tmux;
using codfix::testing::run_command;
using codfix::testing::TmuxSession;

std::string demo_binary() {
  const char* dir = std::getenv("CODFIX_BINARY_DIR");
  return std::string(dir ? dir : CODFIX_BINARY_DIR) + "/tools/console-demo/console-demo";
}

TEST(ConsoleDemo, AlertAndFormInATerminal) {
  if (!have_tmux()) GTEST_SKIP() << "tmux is not installed";
  TmuxSession tmux("env LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=screen-256color " + demo_binary() +
                   "; echo EXIT=$?; sleep 60");
  ASSERT_TRUE(tmux.wait_for("Deseja continuar?")) << tmux.pane();
  std::string alert = tmux.pane();
  for (const char* piece : {"Atenção", "Esta é uma demonstração do console.", "┌────", "────┐",
                            "└────", "────┘", "│", "Sim", "Não", "╔═ Cadastro de produto ═"})
    EXPECT_NE(alert.find(piece), std::string::npos) << piece << "\n" << alert;

  tmux.keys("Enter");
  ASSERT_TRUE(tmux.wait_for("Descrição:")) << tmux.pane();
  tmux.keys("F2");
  ASSERT_TRUE(tmux.wait_for("Campo ativo: CDESC")) << tmux.pane();  // hot key during the read
  tmux.keys("Enter");
  tmux.keys("cadeira Enter Enter");  // a price of zero is refused
  ASSERT_TRUE(tmux.wait_for("O preço deve ser maior que zero.")) << tmux.pane();
  tmux.keys("Enter 1234,5 Enter 07032024 y");
  ASSERT_TRUE(tmux.wait_for("Encerrar a demonstração?")) << tmux.pane();
  std::string form = tmux.pane();
  EXPECT_NE(form.find("CADEIRA"), std::string::npos) << form;
  tmux.keys("Enter");
  ASSERT_TRUE(tmux.wait_for("EXIT=")) << tmux.pane();
  std::string after = tmux.pane();
  for (const char* line :
       {"Descrição: CADEIRA", "Preço:   1.234,50", "Data: 07/03/2024", "Ativo: Y", "EXIT=0"})
    EXPECT_NE(after.find(line), std::string::npos) << line << "\n" << after;
}

TEST(ConsoleDemo, KeysArriveWithThePlatformCodes) {
  if (!have_tmux()) GTEST_SKIP() << "tmux is not installed";
  // Each tmux key name and the code the program must see for it.
  const std::pair<const char*, int> keys[] = {
      {"Up", 5},      {"Down", 24},   {"Left", 19},  {"Right", 4},    {"Home", 1},
      {"End", 6},     {"PPage", 18},  {"NPage", 3},  {"IC", 22},      {"DC", 7},
      {"BSpace", 8},  {"Tab", 9},     {"BTab", 271}, {"Enter", 13},   {"F1", 28},
      {"F2", -1},     {"F10", -9},    {"F11", -40},  {"F12", -41},    {"M-F1", -30},
      {"M-F10", -39}, {"S-F1", -10},  {"C-F1", -20}, {"M-q", 272},    {"M-c", 302},
      {"M-b", 304},   {"M-a", 286},   {"C-d", 516},  {"C-p", 528},    {"C-w", 535},
      {"C-y", 537},   {"C-Home", 29}, {"C-End", 23}, {"C-PPage", 31}, {"C-NPage", 30},
      {"C-Left", 26}, {"C-Right", 2}, {"C-Up", 397}, {"C-Down", 401}, {"M-Down", 416},
      {"a", 'a'},     {"ç", 0x87},    {"C-c", 256},
  };
  // screen-256color lists no modified keys: the backend knows their xterm sequences.
  TmuxSession tmux("env LANG=C.UTF-8 LC_ALL=C.UTF-8 TERM=screen-256color " + demo_binary() +
                   " --keys; echo EXIT=$?; sleep 60");
  ASSERT_TRUE(tmux.wait_for("Teclas")) << tmux.pane();
  std::string names;
  std::string expected;
  for (const auto& [name, code] : keys) {
    names += std::string(" ") + name;
    expected += "tecla " + std::to_string(code) + "\n";
  }
  tmux.keys(names);
  tmux.keys("Escape Escape");
  ASSERT_TRUE(tmux.wait_for("EXIT=0")) << tmux.pane();
  std::string shown = tmux.history();
  std::string got;
  std::size_t at = 0;
  while ((at = shown.find("tecla ", at)) != std::string::npos) {
    std::size_t end = shown.find('\n', at);
    got += shown.substr(at, end - at) + "\n";
    at = end;
  }
  EXPECT_EQ(got, expected + "tecla 27\ntecla 27\n");
}

TEST(ConsoleDemo, RunsWithoutATerminal) {
  int rc = -1;
  std::string out = run_command(demo_binary() + " </dev/null 2>&1 | cat", &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(out, "Sem terminal: o alerta ficou sem resposta.\n");
}

}  // namespace
