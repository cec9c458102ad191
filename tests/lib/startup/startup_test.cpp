// Start-up and shut-down: the session file's life, the date format, the hot
// keys, the message language, and run_program's exit codes.
#include "lib/startup/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "lib/core/text_util.h"
#include "lib/os/paths.h"
#include "lib/startup/application.h"
#include "lib/startup/session_file.h"
#include "platform/console/keys.h"
#include "platform/dbf/work_areas.h"
#include "platform/dialogs/alert.h"
#include "platform/filelock/handle.h"
#include "platform/fs/wildcard.h"
#include "platform/sys/environment.h"
#include "platform/text/codepage.h"
#include "tests/lib/errors/box_reader.h"
#include "tests/lib/startup/startup_fixture.h"

namespace codfix {
namespace {

namespace key = console::key;

class Startup : public testing::StartupTest {
 protected:
  std::vector<std::string> usr_files() const {
    std::vector<std::string> out;
    for (const auto& entry : std::filesystem::directory_iterator(folder())) {
      if (entry.path().extension() == ".usr") out.push_back(entry.path().filename().string());
    }
    return out;
  }
};

TEST_F(Startup, SessionFileLivesFromStartUpToShutDown) {
  INICIAR_S();
  Value name = rt().vars.get("CFILESISTEMA");
  ASSERT_TRUE(name.is_text());
  const std::string program = NOME_APLICACAO();
  ASSERT_EQ(name.text().rfind(program, 0), 0u) << name.text();
  ASSERT_EQ(name.text().substr(name.text().size() - 4), ".usr");
  std::string number = name.text().substr(program.size(), name.text().size() - program.size() - 4);
  ASSERT_FALSE(number.empty());
  EXPECT_NE(number.front(), '0');
  EXPECT_GE(std::stoi(number), 1);
  EXPECT_LE(std::stoi(number), 999);
  EXPECT_EQ(usr_files(), std::vector<std::string>{name.text()});

  std::string expected_tail = " " + std::string(trim(sys::host_name())) + "/" + sys::login_name() +
                              "\r\n() " + sys::executable_path();
  std::string content = get(name.text());
  EXPECT_TRUE(fs::wildcard_match("?\?/?\?/?\?\?\? ?\?:?\?:?\?*", content)) << content;
  EXPECT_EQ(content.substr(19), expected_tail);
  EXPECT_EQ(content[2], '/');
  EXPECT_EQ(content[13], ':');

  Value handle = rt().vars.get("NHANDLESISTEMA");
  ASSERT_TRUE(handle.is_number());
  EXPECT_GE(handle.as_double(), 1);
  // Held open: another exclusive open is refused.
  auto probe = filelock::Handle::open(name.text(), false, filelock::Share::kExclusive);
  EXPECT_FALSE(probe);
  EXPECT_EQ(probe.dos_error(), 32);

  rt().run_shutdown();
  EXPECT_TRUE(usr_files().empty());
}

TEST_F(Startup, ShutDownDeletesTheSessionFileAfterAFolderChange) {
  INICIAR_S();
  std::filesystem::create_directory(folder() + "/outra");
  std::filesystem::current_path(folder() + "/outra");
  rt().run_shutdown();
  std::filesystem::current_path(folder());
  EXPECT_TRUE(usr_files().empty());
}

TEST_F(Startup, ASessionFileHeldByAnotherRunIsLeftAlone) {
  put("OUTRO7.usr", "outro");
  {
    auto other = filelock::Handle::open("OUTRO7.usr", false, filelock::Share::kShared);
    ASSERT_TRUE(other);
    EXPECT_EQ(open_session_file("OUTRO7.usr", "novo"), -1);
    EXPECT_EQ(get("OUTRO7.usr"), "outro");
  }
  // Left behind by a run that ended without shut-down: taken over.
  int handle = open_session_file("OUTRO7.usr", "novo");
  EXPECT_GE(handle, 1);
  EXPECT_EQ(get("OUTRO7.usr"), "novo");
  EXPECT_TRUE(close_session_file(handle));
  EXPECT_FALSE(has("OUTRO7.usr"));
  EXPECT_FALSE(close_session_file(handle));
}

TEST_F(Startup, WithoutSessionHandleShutDownLeavesTheFileAlone) {
  INICIAR_S();
  std::string name = rt().vars.get("CFILESISTEMA").text();
  rt().vars.set("NHANDLESISTEMA", Value(-1));
  rt().run_shutdown();
  EXPECT_TRUE(has(name));
}

TEST_F(Startup, DateFormatFollowsTheCenturySetting) {
  rt().settings.dates.format = "mm/dd/yyyy";
  INICIAR_S();
  EXPECT_EQ(rt().settings.dates.format, "dd/mm/yy");
  rt().run_shutdown();
  rt().settings.dates.century = true;
  INICIAR_S();
  EXPECT_EQ(rt().settings.dates.format, "dd/mm/yyyy");
}

TEST_F(Startup, BreakKeyShowsTheForcedCloseWarningAndTheRunGoesOn) {
  INICIAR_S();
  testing::ShownBox warning, question;
  headless()
      .key(key::kBreak)
      .then([&] { warning = testing::read_box(screen().screen()); })
      .key(key::kEnter)
      .then([&] { question = testing::read_box(screen().screen()); })
      .key(key::kEnter);
  std::optional<int> answer = dialogs::alert("Continuar?", {"Sim", "Nao"});
  EXPECT_EQ(answer, 1);
  ASSERT_TRUE(warning.found);
  ASSERT_EQ(warning.lines.size(), 4u);
  EXPECT_EQ(warning.lines[0], "Atenção!");
  EXPECT_EQ(warning.lines[1], "Favor fechar o sistema pela opção \"Fim\" do memu.");
  EXPECT_EQ(warning.lines[2], "");
  EXPECT_TRUE(fs::wildcard_match("(" + std::string(trim(sys::host_name())) + "/" +
                                     sys::login_name() + "-?\?/?\?/?\?-?\?:?\?:?\?",
                                 warning.lines[3]))
      << warning.lines[3];
  EXPECT_EQ(question.lines, std::vector<std::string>{"Continuar?"});
  std::string log = text::cp850_to_utf8(get("ERRO.LOG"));
  EXPECT_NE(log.find("Fechamento forçado\r\n"), std::string::npos);
  EXPECT_NE(log.find("Fechamento Abortado\r\n"), std::string::npos);
}

TEST_F(Startup, AltF1CreatesAShortcutOnlyWhenTheShortcutRoutinesExist) {
  console::HotKeys& keys = screen().keyboard().hot_keys();
  const int alt_f1 = key::alt_f(1);
  routines().remove("CRIAATALHO");
  INICIAR_S();
  EXPECT_FALSE(keys.bound(alt_f1));
  EXPECT_TRUE(keys.bound(key::kBreak));
  rt().run_shutdown();

  std::vector<std::string> shortcuts;
  routines().add("CRIAATALHO", [](const Args&) { return Value(true); });
  routines().add("SHORTCUT", [&](const Args& a) {
    shortcuts.push_back(a.text(1));
    return Value(true);
  });
  INICIAR_S();
  ASSERT_TRUE(keys.bound(alt_f1));
  keys.run(alt_f1, "");
  EXPECT_EQ(shortcuts, std::vector<std::string>{TRUENAME_(sys::executable_path())});
  rt().run_shutdown();

  // An action already bound to Alt+F1 stays.
  CallbackRef mine = keys.find(alt_f1);
  INICIAR_S();
  EXPECT_EQ(keys.find(alt_f1), mine);
  routines().remove("CRIAATALHO");
  routines().remove("SHORTCUT");
}

TEST_F(Startup, PlatformMessagesBecomePortuguese) {
  EXPECT_EQ(rt().settings.message_language, "EN");
  INICIAR_S();
  EXPECT_EQ(rt().settings.message_language, "PT");
  EXPECT_EQ(text::code_page(), text::CodePage::PT850);
  std::vector<std::string> descriptions;
  rt().error_handler = [&](ErrorRecord& e) {
    descriptions.push_back(e.description);
    return ErrorAnswer::fail();
  };
  dbf::WorkAreas areas;
  EXPECT_EQ(areas.use("NAOEXISTE"), 0);
  ASSERT_EQ(descriptions.size(), 1u);
  EXPECT_EQ(text::cp850_to_utf8(descriptions[0]), "Erro de abertura");
}

TEST_F(Startup, ProgramNameIsTheExecutablesBaseName) {
  std::string exe = sys::executable_path();
  std::string base = exe.substr(exe.rfind('/') + 1);
  EXPECT_EQ(NOME_APLICACAO(), text::upper(base.substr(0, base.find('.'))));
  EXPECT_EQ(routines().call("NOME_APLICACAO", {}).text(), NOME_APLICACAO());
}

TEST_F(Startup, RunProgramEndsNormallyWithZero) {
  std::string seen;
  int code = run_program([&] {
    seen = rt().vars.get("CFILESISTEMA").text();
    EXPECT_TRUE(has(seen));
  });
  EXPECT_EQ(code, 0);
  EXPECT_FALSE(seen.empty());
  EXPECT_TRUE(usr_files().empty());
}

TEST_F(Startup, RunProgramEndedByTheHandlerExitsWithOneAfterShutDown) {
  headless().set_interactive(false);
  ::testing::internal::CaptureStderr();
  int code = run_program([&] {
    RoutineScope main("MAIN", "CODFIX.PRG", 3);
    dbf::WorkAreas areas;
    areas.use("KVITEM");
    ADD_FAILURE() << "the run went on after the error";
  });
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);
  EXPECT_TRUE(usr_files().empty());
  EXPECT_NE(err.find("Arquivo näo existe"), std::string::npos) << err;
  EXPECT_NE(err.find("Called from CODFIX->MAIN(3)"), std::string::npos) << err;
  EXPECT_NE(text::cp850_to_utf8(get("ERRO.LOG")).find("Description: Erro de abertura"),
            std::string::npos);
}

TEST_F(Startup, AnUnknownDriverEndsTheRunWithoutTerminal) {
  headless().set_interactive(false);
  put(NOME_APLICACAO() + ".CFG", "RDD=FOXPRO\r\n");
  bool ran = false;
  ::testing::internal::CaptureStderr();
  int code = run_program([&] { ran = true; });
  std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(ran);
  EXPECT_TRUE(usr_files().empty());
  EXPECT_NE(err.find("Error DBCMD/1015  Argument error: RDDSETDEFAULT"), std::string::npos) << err;
}

}  // namespace
}  // namespace codfix
