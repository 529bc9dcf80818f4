// Sending to the game server without Windows: the handlers on the in-memory frame and a platform
// that records what it was asked, the events of its jobs fed back as the client would deliver
// them, and what the console log then shows.
#include "app/server_console.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window_description.h"
#include "ui/tests/fake_frame.h"

namespace {

using namespace ui::ids;
using app::ServerEntry;
using app::ServerPlatform;
using net::RconEvent;
using net::RconOutcome;
using testing_support::FakeFrame;
using Stage = net::RconEvent::Stage;
using Note = FakeFrame::Note;

class FakePlatform final : public ServerPlatform {
 public:
  explicit FakePlatform(FakeFrame& frame) : frame_(frame) {
    previous_ = app::InstallServerPlatform(this);
  }
  ~FakePlatform() override { app::InstallServerPlatform(previous_); }

  app::Settings& RememberedSettings() override { return settings; }
  void SaveRememberedSettings() override { saved.push_back(settings); }
  TakenPassword TakePassword(bool emptyBox) override {
    std::string& box = frame_.texts[{kServerWindow, kServerPassword}];
    TakenPassword taken;
    if (!box.empty()) {
      taken.state =
          refuseProtection ? TakenPassword::State::kFailed : TakenPassword::State::kProtected;
      if (!refuseProtection) taken.blob.assign(box.rbegin(), box.rend());  // "encrypted"
    }
    if (emptyBox) box.clear();
    return taken;
  }
  Started StartLoginTest(const ServerEntry& server) override {
    tests.push_back(server);
    return Start();
  }
  Started StartSend(const ServerEntry& server, std::vector<std::string> commands) override {
    sends.push_back({server, std::move(commands)});
    return Start();
  }
  Started Start() {
    if (!refusal.empty()) return {0, refusal};
    return {++lastJob, {}};
  }
  void StopSending() override { ++stops; }
  bool Confirm(std::string_view question) override {
    questions.emplace_back(question);
    return confirm;
  }
  void ShowServerChoices(const std::vector<std::string>& names, int chosen) override {
    choices = names;
    frame_.selections[{kServerWindow, kServerList}] = chosen;
  }
  void CloseServerWindow() override { ++closes; }
  void ShowConsoleLog() override { ++logShown; }
  void ConsoleLogChanged(const ui::ConsoleChange&) override {}
  std::string TimeOfDay() override { return "12:00:00"; }

  app::Settings settings;
  std::vector<app::Settings> saved;
  std::vector<ServerEntry> tests;
  struct Send {
    ServerEntry server;
    std::vector<std::string> commands;
  };
  std::vector<Send> sends;
  std::vector<std::string> questions;
  std::vector<std::string> choices;
  bool confirm = true;
  bool refuseProtection = false;
  std::string refusal;  // when set, jobs do not start and say this
  int stops = 0;
  int closes = 0;
  int logShown = 0;
  std::uint64_t lastJob = 0;

 private:
  FakeFrame& frame_;
  ServerPlatform* previous_ = nullptr;
};

const ServerEntry kServer{"生存服", "127.0.0.1", 25575, {1, 2, 3}};

// The log's lines from line first on, as "<kind letter>:text".
std::string LogFrom(std::size_t first) {
  const ui::ConsoleLog& log = app::SessionConsoleLog();
  std::string out;
  for (std::size_t i = first; i < log.LineCount(); ++i) {
    const ui::ConsoleLine line = log.Line(i);
    out += "HRNP"[static_cast<int>(line.kind)];
    out += ":";
    out += line.text;
    out += "\n";
  }
  return out;
}

std::string Text(const FakeFrame& frame, ui::ControlId control) {
  const auto it = frame.texts.find({kServerWindow, control});
  return it == frame.texts.end() ? std::string() : it->second;
}

TEST(SendToServer, WhatEachClickSendsOrWhyNothing) {
  FakeFrame frame(app::WindowDescriptions());
  FakePlatform platform(frame);

  // An empty box, and no server yet: notes at the button, and the server window opens.
  frame.SetText(编辑框15, " ");
  frame.Click(按钮27);
  frame.SetText(编辑框15, "/say hi");
  frame.Click(按钮27);
  platform.settings.servers = {ServerEntry{"", "h", 25575, {}}};  // no password kept
  platform.settings.currentServer = 0;
  frame.Click(按钮27);
  EXPECT_EQ(frame.notes, (std::vector<Note>{
                             {按钮27, "指令框是空的，没有可发送的指令"},
                             {按钮27, "还没有设置服务器：填好地址和密码，点“保存”后再发送"},
                             {按钮27, "还没有设置服务器：填好地址和密码，点“保存”后再发送"},
                         }));
  EXPECT_EQ(frame.openedWindows, (std::vector<std::pair<ui::WindowId, bool>>{
                                     {kServerWindow, true}, {kServerWindow, true}}));
  EXPECT_TRUE(platform.sends.empty());

  // One command goes without a question, exactly as the box holds it.
  platform.settings.servers = {kServer};
  frame.Click(按钮27);
  ASSERT_EQ(platform.sends.size(), 1u);
  EXPECT_EQ(platform.sends[0].commands, (std::vector<std::string>{"/say hi"}));
  EXPECT_EQ(platform.sends[0].server, kServer);
  EXPECT_TRUE(platform.questions.empty());
  EXPECT_EQ(platform.logShown, 1);

  // A block asks once; blank lines are no commands; declined, nothing goes.
  const ui::ControlRef from{kMainWindow, 按钮27, ui::Kind::kButton};
  platform.confirm = false;
  EXPECT_FALSE(app::SendCommandsToServer({"a", " \t", "", "b", "c"}, from));
  platform.confirm = true;
  EXPECT_TRUE(app::SendCommandsToServer({"a", " \t", "", "b", "c"}, from));
  EXPECT_FALSE(app::SendCommandsToServer({"", "  "}, from));
  ASSERT_EQ(platform.questions.size(), 2u);
  EXPECT_EQ(
      platform.questions[0],
      "要向服务器“生存服”发送 3 条指令吗？\r\n\r\n指令会逐条发送，遇到第一条失败的指令就停止。");
  ASSERT_EQ(platform.sends.size(), 2u);
  EXPECT_EQ(platform.sends[1].commands, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(frame.notes.back(), (Note{按钮27, "没有可发送的指令"}));

  // A password that does not open here: nothing goes, and the note and the log say why.
  platform.refusal = "密码无法解开";
  const std::size_t first = app::SessionConsoleLog().LineCount();
  EXPECT_FALSE(app::SendCommandsToServer({"a"}, from));
  EXPECT_EQ(frame.notes.back(), (Note{按钮27, "密码无法解开"}));
  EXPECT_EQ(LogFrom(first), "P:12:00:00  生存服：密码无法解开\n");
}

// What the log shows of each job, from the events its client delivers.
TEST(SendToServer, TheLogShowsEachCommandItsAnswerAndWhereABlockStopped) {
  FakeFrame frame(app::WindowDescriptions());
  FakePlatform platform(frame);
  platform.settings.servers = {kServer};
  platform.settings.currentServer = 0;
  const ui::ControlRef from{kMainWindow, 按钮27, ui::Kind::kButton};
  const auto event = [](Stage stage, RconOutcome outcome, std::string message) {
    RconEvent made;
    made.stage = stage;
    made.outcome = outcome;
    made.message = std::move(message);
    return made;
  };
  const auto command = [&](std::size_t index, std::string sent, RconOutcome outcome,
                           std::string reply, std::string message) {
    RconEvent made = event(Stage::kCommand, outcome, std::move(message));
    made.index = index;
    made.command = "/" + sent;
    made.sent = std::move(sent);
    made.slashRemoved = true;
    made.reply = std::move(reply);
    return made;
  };
  struct Row {
    std::vector<std::string> commands;
    std::vector<RconEvent> events;
    std::string log;
  };
  const Row rows[] = {
      {{"/say hi"},
       {event(Stage::kLogin, RconOutcome::kLoggedIn, "已登录服务器"),
        command(0, "say hi", RconOutcome::kReplied, "§c红\n第二行", "服务器已回复"),
        event(Stage::kFinished, RconOutcome::kReplied, "1 条指令都已发送")},
       "H:12:00:00  生存服  > say hi\n"
       "N:已去掉开头的“/”：控制台的指令不带斜杠\n"
       "R:§c红\n"
       "R:第二行\n"},
      {{"/a", "/b", "/c"},
       {event(Stage::kLogin, RconOutcome::kLoggedIn, "已登录服务器"),
        command(0, "a", RconOutcome::kReplied, "", "服务器已回复"),
        command(1, "b", RconOutcome::kDropped, "", "服务器断开了连接"),
        event(Stage::kFinished, RconOutcome::kDropped, "服务器断开了连接；还有 1 条指令没有发送")},
       "H:12:00:00  生存服  [1/3] > a\n"
       "N:已去掉开头的“/”：控制台的指令不带斜杠\n"
       "N:（服务器没有回复文字）\n"
       "H:12:00:00  生存服  [2/3] > b\n"
       "N:已去掉开头的“/”：控制台的指令不带斜杠\n"
       "P:第 2 条指令：服务器断开了连接\n"
       "P:12:00:00  服务器断开了连接；还有 1 条指令没有发送\n"},
      {{"x", "y"},
       {event(Stage::kLogin, RconOutcome::kWrongPassword, "密码错误，服务器拒绝登录"),
        event(Stage::kFinished, RconOutcome::kWrongPassword,
              "密码错误，服务器拒绝登录；还有 2 条指令没有发送")},
       "P:12:00:00  生存服：密码错误，服务器拒绝登录\n"
       "P:12:00:00  密码错误，服务器拒绝登录；还有 2 条指令没有发送\n"},
      {{"big"},
       {event(Stage::kLogin, RconOutcome::kLoggedIn, "已登录服务器"),
        command(0, "big", RconOutcome::kCut, "x", "回复超过 1 MiB"),
        event(Stage::kFinished, RconOutcome::kReplied, "1 条指令都已发送")},
       "H:12:00:00  生存服  > big\n"
       "N:已去掉开头的“/”：控制台的指令不带斜杠\n"
       "R:x\n"
       "P:回复超过 1 MiB\n"},
  };
  for (const Row& row : rows) {
    const std::size_t first = app::SessionConsoleLog().LineCount();
    ASSERT_TRUE(app::SendCommandsToServer(row.commands, from));
    for (RconEvent delivered : row.events) {
      delivered.job = platform.lastJob;
      app::OnServerEvent(delivered);
    }
    EXPECT_EQ(LogFrom(first), row.log);
  }
  // The log copies as shown, codes left out.
  app::CopyConsoleLog();
  ASSERT_FALSE(frame.clipboard.empty());
  EXPECT_NE(
      frame.clipboard.back().find("  > say hi\r\n已去掉开头的“/”：控制台的指令不带斜杠\r\n红\r\n"),
      std::string::npos);
  // Stopping with nothing under way says so; with a send under way the platform stops it.
  app::StopSendingToServer();
  EXPECT_EQ(platform.stops, 0);
  EXPECT_EQ(frame.notes.back(), (Note{kConsoleStop, "现在没有正在发送的指令"}));
  ASSERT_TRUE(app::SendCommandsToServer({"z"}, from));
  app::StopSendingToServer();
  EXPECT_EQ(platform.stops, 1);
}

// The server window: a new server saved with its password encrypted, a test login, a saved one
// edited without retyping its password, fields that are wrong, a deletion.
TEST(ServerWindow, ServersAreSavedTestedEditedAndDeleted) {
  FakeFrame frame(app::WindowDescriptions());
  FakePlatform platform(frame);
  auto& texts = frame.texts;
  const auto type = [&](ui::ControlId control, std::string text) {
    texts[{kServerWindow, control}] = std::move(text);
  };

  app::OnServerWindowCreated();
  EXPECT_EQ(Text(frame, kServerPort), "25575");
  EXPECT_EQ(Text(frame, kServerWarning), "");
  type(kServerName, " 生存服 ");
  type(kServerHost, "mc.example.org");
  app::OnServerHostChanged();
  EXPECT_NE(Text(frame, kServerWarning).find("明文"), std::string::npos);
  app::SaveServer();  // no password yet
  EXPECT_EQ(frame.notes.back().at, kServerPassword);
  EXPECT_TRUE(platform.saved.empty());

  type(kServerPassword, "pw");
  app::TestServerLogin();
  ASSERT_EQ(platform.tests.size(), 1u);
  EXPECT_EQ(platform.tests[0].password, (base::Bytes{'w', 'p'}));
  platform.refusal = "密码无法解开";
  app::TestServerLogin();
  EXPECT_EQ(Text(frame, kServerResult), "测试失败：密码无法解开");
  platform.refusal.clear();
  app::TestServerLogin();
  EXPECT_EQ(Text(frame, kServerPassword), "pw") << "a test leaves the box for saving";
  EXPECT_EQ(Text(frame, kServerResult), "正在连接 mc.example.org:25575 ……");
  RconEvent login;
  login.job = platform.lastJob;
  login.stage = Stage::kLogin;
  login.outcome = RconOutcome::kLoggedIn;
  login.message = "已登录服务器";
  app::OnServerEvent(login);
  EXPECT_EQ(Text(frame, kServerResult), "测试成功：已登录服务器");

  app::SaveServer();
  ASSERT_EQ(platform.saved.size(), 1u);
  EXPECT_EQ(platform.settings.servers,
            (std::vector<ServerEntry>{{"生存服", "mc.example.org", 25575, {'w', 'p'}}}));
  EXPECT_EQ(platform.settings.currentServer, 0);
  EXPECT_EQ(Text(frame, kServerPassword), "") << "saving empties the password box";
  EXPECT_EQ(platform.choices, (std::vector<std::string>{"生存服"}));

  // A second one, then the first edited without its password typed again.
  app::NewServer();
  EXPECT_EQ(Text(frame, kServerHost), "");
  type(kServerHost, "10.0.0.5");
  type(kServerPort, "25580");
  type(kServerPassword, "second");
  app::OnServerHostChanged();
  EXPECT_EQ(Text(frame, kServerWarning), "");
  app::SaveServer();
  frame.selections[{kServerWindow, kServerList}] = 0;
  app::OnServerChosen();
  EXPECT_EQ(Text(frame, kServerHost), "mc.example.org");
  type(kServerPort, "25576");
  app::SaveServer();
  EXPECT_EQ(platform.settings.servers,
            (std::vector<ServerEntry>{{"生存服", "mc.example.org", 25576, {'w', 'p'}},
                                      {"", "10.0.0.5", 25580, {'d', 'n', 'o', 'c', 'e', 's'}}}));
  EXPECT_EQ(platform.choices, (std::vector<std::string>{"生存服", "10.0.0.5:25580"}));
  EXPECT_EQ(platform.settings.currentServer, 0);

  // A password the system will not encrypt is not saved, and says so.
  platform.refuseProtection = true;
  type(kServerPassword, "third");
  const std::size_t savedBefore = platform.saved.size();
  app::NewServer();
  type(kServerHost, "h");
  type(kServerPassword, "third");
  app::SaveServer();
  EXPECT_EQ(platform.saved.size(), savedBefore);
  EXPECT_EQ(frame.notes.back(),
            (Note{kServerPassword, "无法为当前 Windows 用户加密密码，密码没有保存"}));
  platform.refuseProtection = false;

  // Deleting asks first; the current server moves with the list.
  app::DeleteServer();  // nothing chosen
  EXPECT_EQ(frame.notes.back(), (Note{kServerDelete, "请先在列表中选择要删除的服务器"}));
  frame.selections[{kServerWindow, kServerList}] = 0;
  platform.confirm = false;
  app::DeleteServer();
  EXPECT_EQ(platform.settings.servers.size(), 2u);
  platform.confirm = true;
  app::DeleteServer();
  EXPECT_EQ(platform.questions.back(), "删除服务器“生存服”吗？它的密码也会一并删除。");
  ASSERT_EQ(platform.settings.servers.size(), 1u);
  EXPECT_EQ(platform.settings.currentServer, 0);
  EXPECT_EQ(Text(frame, kServerHost), "10.0.0.5");
}

TEST(ServerWindow, FieldsAreCheckedAndOutsideHostsWarned) {
  struct Row {
    std::string name, host, port;
    std::string problem;
    ui::ControlId field;
    std::uint16_t checkedPort;
  };
  const Row rows[] = {
      {" a ", " h ", " ", "", 0, 25575},
      {"", "h", "1", "", 0, 1},
      {"", "h", "65535", "", 0, 65535},
      {"", "", "1", "请填写服务器地址", kServerHost, 0},
      {"", "my host", "1", "服务器地址中不能有空格", kServerHost, 0},
      {"", "h", "0", "端口应是 1 到 65535 之间的数字", kServerPort, 0},
      {"", "h", "65536", "端口应是 1 到 65535 之间的数字", kServerPort, 0},
      {"", "h", "99999999999", "端口应是 1 到 65535 之间的数字", kServerPort, 0},
      {"", "h", "25a", "端口应是 1 到 65535 之间的数字", kServerPort, 0},
      {"", "h", "-1", "端口应是 1 到 65535 之间的数字", kServerPort, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.host + ":" + row.port);
    const app::CheckedServer checked = app::CheckServerFields(row.name, row.host, row.port);
    EXPECT_EQ(checked.problem, row.problem);
    EXPECT_EQ(checked.field, row.field);
    if (row.problem.empty()) {
      EXPECT_EQ(checked.server.port, row.checkedPort);
      EXPECT_EQ(checked.server.name, row.name == " a " ? "a" : "");
      EXPECT_EQ(checked.server.host, "h");
    }
  }
  for (const char* local : {"", "localhost", "127.0.0.1", "192.168.3.4", "10.1.2.3", "::1"}) {
    EXPECT_EQ(app::InsecureHostWarning(local), "") << local;
  }
  for (const char* outside : {"mc.example.org", "8.8.8.8", "172.32.0.1", "lan-server"}) {
    EXPECT_NE(app::InsecureHostWarning(outside), "") << outside;
  }
}

}  // namespace
