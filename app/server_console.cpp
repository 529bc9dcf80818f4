// Sending to the game server: which server, what to ask first, what the log shows of each event.
// The server window edits the server chosen in its list (none chosen: a new one); the current
// server is the one last saved or chosen there.
#include "app/server_console.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

#include "net/rcon_text.h"
#include "ui/frame.h"

namespace app {
namespace {

namespace ids = ui::ids;
using net::Joined;
using net::RconEvent;
using net::RconOutcome;
using Stage = net::RconEvent::Stage;

constexpr std::string_view kNothingToSend = "没有可发送的指令";
constexpr std::string_view kEmptyCommandBox = "指令框是空的，没有可发送的指令";
constexpr std::string_view kNoServer = "还没有设置服务器：填好地址和密码，点“保存”后再发送";
constexpr std::string_view kNothingSending = "现在没有正在发送的指令";
constexpr std::string_view kEmptyLog = "日志是空的，剪贴板未改变";
constexpr std::string_view kChooseToDelete = "请先在列表中选择要删除的服务器";
constexpr std::string_view kPasswordNeeded = "请填写远程控制台密码（服务器配置中的 rcon.password）";
constexpr std::string_view kPasswordNotProtected = "无法为当前 Windows 用户加密密码，密码没有保存";
constexpr std::string_view kPasswordKept =
    "密码已加密保存，只有当前 Windows 用户能解开；不改就留空";
constexpr std::string_view kPasswordNew = "密码只加密保存在这台电脑上，只有当前 Windows 用户能解开";
constexpr std::string_view kNoReplyText = "（服务器没有回复文字）";

struct Job {
  std::string label;
  std::size_t commands = 0;
  bool loginTest = false;
};

ServerPlatform* g_platform = nullptr;
std::map<std::uint64_t, Job> g_jobs;

ui::ConsoleLog& Log() {
  static ui::ConsoleLog log;
  return log;
}

Settings& Remembered() {
  return g_platform->RememberedSettings();
}

std::string Text(ui::ControlId control) {
  return ui::ReadText(ids::kServerWindow, control);
}

void Write(ui::ControlId control, std::string_view text) {
  ui::WriteText(ids::kServerWindow, control, text);
}

void NoteAt(ui::WindowId window, ui::ControlId control, std::string_view text) {
  ui::Frame().ShowNote({window, control, ui::Kind::kWindow}, text);
}

bool IsBlank(std::string_view text) {
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string Address(const ServerEntry& server) {
  const bool ipv6 = server.host.find(':') != std::string::npos;
  return Joined({ipv6 ? "[" : "", server.host, ipv6 ? "]" : "", ":", std::to_string(server.port)});
}

// The server the window's list has chosen, or -1 for a new one.
int ChosenServer() {
  const int chosen = ui::ReadNumber(ids::kServerWindow, ids::kServerList, ui::Property::kSelection);
  return chosen >= 0 && chosen < static_cast<int>(Remembered().servers.size()) ? chosen : -1;
}

void ShowChoices(int chosen) {
  std::vector<std::string> names;
  for (const ServerEntry& server : Remembered().servers) names.push_back(ServerLabel(server));
  g_platform->ShowServerChoices(names, chosen);
}

void ShowTarget() {
  const ServerEntry* server = CurrentServer(Remembered());
  ui::WriteText(ids::kConsoleLogWindow, ids::kConsoleTarget,
                server != nullptr
                    ? Joined({"发送到：", ServerLabel(*server), "（", Address(*server), "）"})
                    : std::string("发送到：还没有设置服务器"));
}

// Fills the fields with server number index, or empties them for a new one.
void ShowServer(int index) {
  const ServerEntry empty;
  const ServerEntry& server =
      index >= 0 ? Remembered().servers[static_cast<std::size_t>(index)] : empty;
  Write(ids::kServerName, server.name);
  Write(ids::kServerHost, server.host);
  Write(ids::kServerPort, std::to_string(server.port));
  g_platform->TakePassword(true);
  Write(ids::kServerPasswordHint, server.password.empty() ? kPasswordNew : kPasswordKept);
  Write(ids::kServerResult, "");
  OnServerHostChanged();
}

// The fields as a server, or nothing after a note at the field to turn to.
std::optional<ServerEntry> ReadFields() {
  CheckedServer checked =
      CheckServerFields(Text(ids::kServerName), Text(ids::kServerHost), Text(ids::kServerPort));
  if (!checked.problem.empty()) {
    NoteAt(ids::kServerWindow, checked.field, checked.problem);
    return std::nullopt;
  }
  return std::move(checked.server);
}

void AddToLog(std::vector<ui::ConsolePart> parts) {
  const ui::ConsoleChange change = Log().Add(std::move(parts));
  g_platform->ConsoleLogChanged(change);
}

std::string Stamped(std::string_view text) {
  return Joined({g_platform->TimeOfDay(), "  ", text});
}

void LogCommand(const RconEvent& event, const Job& job) {
  const std::string place =
      job.commands > 1
          ? Joined({"[", std::to_string(event.index + 1), "/", std::to_string(job.commands), "] "})
          : std::string();
  std::vector<ui::ConsolePart> parts = {
      {ui::ConsoleLineKind::kHeading, Stamped(Joined({job.label, "  ", place, "> ", event.sent}))}};
  if (event.slashRemoved)
    parts.push_back({ui::ConsoleLineKind::kNote, std::string(net::kRconSlashNote)});
  const bool answered =
      event.outcome == RconOutcome::kReplied || event.outcome == RconOutcome::kCut;
  if (answered) {
    parts.push_back(event.reply.empty()
                        ? ui::ConsolePart{ui::ConsoleLineKind::kNote, std::string(kNoReplyText)}
                        : ui::ConsolePart{ui::ConsoleLineKind::kReply, event.reply});
  }
  if (event.outcome != RconOutcome::kReplied) {
    std::string problem = event.message;
    if (!answered && job.commands > 1) {
      problem = Joined({"第 ", std::to_string(event.index + 1), " 条指令：", problem});
    }
    parts.push_back({ui::ConsoleLineKind::kProblem, std::move(problem)});
  }
  AddToLog(std::move(parts));
}

void OnSendEvent(const RconEvent& event, const Job& job) {
  switch (event.stage) {
    case Stage::kLogin:
      if (event.outcome != RconOutcome::kLoggedIn) {
        AddToLog(
            {{ui::ConsoleLineKind::kProblem, Stamped(Joined({job.label, "：", event.message}))}});
      }
      break;
    case Stage::kCommand:
      LogCommand(event, job);
      break;
    case Stage::kFinished:
      // A single command's entry says all there is; a block ends with how it went.
      if (job.commands > 1 || event.unsent > 0) {
        const bool whole = event.unsent == 0 && event.outcome == RconOutcome::kReplied;
        AddToLog({{whole ? ui::ConsoleLineKind::kNote : ui::ConsoleLineKind::kProblem,
                   Stamped(event.message)}});
      }
      break;
  }
}

void OnLoginTestEvent(const RconEvent& event) {
  if (event.stage != Stage::kLogin && event.outcome != RconOutcome::kCancelled) return;
  Write(ids::kServerResult, event.outcome == RconOutcome::kLoggedIn
                                ? Joined({"测试成功：", event.message})
                                : Joined({"测试失败：", event.message}));
}

}  // namespace

ServerPlatform* InstallServerPlatform(ServerPlatform* platform) {
  return std::exchange(g_platform, platform);
}

ui::ConsoleLog& SessionConsoleLog() {
  return Log();
}

std::string ServerLabel(const ServerEntry& server) {
  return server.name.empty() ? Address(server) : server.name;
}

CheckedServer CheckServerFields(std::string_view name, std::string_view host,
                                std::string_view port) {
  CheckedServer checked;
  checked.server.name = Trimmed(name);
  checked.server.host = Trimmed(host);
  port = Trimmed(port);
  if (checked.server.host.empty()) {
    checked.problem = "请填写服务器地址";
    checked.field = ids::kServerHost;
  } else if (checked.server.host.find_first_of(" \t") != std::string::npos) {
    checked.problem = "服务器地址中不能有空格";
    checked.field = ids::kServerHost;
  } else if (!port.empty()) {
    int value = 0;
    for (const char c : port) {
      value = c >= '0' && c <= '9' && value <= 65535 ? value * 10 + (c - '0') : 65536;
    }
    if (value < 1 || value > 65535) {
      checked.problem = "端口应是 1 到 65535 之间的数字";
      checked.field = ids::kServerPort;
    } else {
      checked.server.port = static_cast<std::uint16_t>(value);
    }
  }
  return checked;
}

std::string InsecureHostWarning(std::string_view host) {
  host = Trimmed(host);
  if (host.empty() || net::IsLocalOrPrivateHost(host)) return {};
  return "注意：远程控制台不加密，密码和指令会以明文经网络传送。\r\n"
         "这个地址不是本机或局域网地址，请只在信得过的网络中连接它。";
}

bool SendCommandsToServer(std::vector<std::string> commands, const ui::ControlRef& from) {
  if (g_platform == nullptr) return false;
  std::erase_if(commands, [](const std::string& command) { return IsBlank(command); });
  if (commands.empty()) {
    ui::Frame().ShowNote(from, kNothingToSend);
    return false;
  }
  const ServerEntry* current = CurrentServer(Remembered());
  if (current == nullptr || current->password.empty()) {
    ui::Frame().ShowNote(from, kNoServer);
    OpenServerSettings();
    return false;
  }
  const ServerEntry server = *current;
  const std::string label = ServerLabel(server);
  if (commands.size() > 1 &&
      !g_platform->Confirm(
          Joined({"要向服务器“", label, "”发送 ", std::to_string(commands.size()),
                  " 条指令吗？\r\n\r\n指令会逐条发送，遇到第一条失败的指令就停止。"}))) {
    return false;
  }
  g_platform->ShowConsoleLog();
  const std::size_t count = commands.size();
  const ServerPlatform::Started started = g_platform->StartSend(server, std::move(commands));
  if (started.job == 0) {
    AddToLog({{ui::ConsoleLineKind::kProblem, Stamped(Joined({label, "：", started.refusal}))}});
    ui::Frame().ShowNote(from, started.refusal);
    return false;
  }
  g_jobs[started.job] = Job{label, count, false};
  return true;
}

void OnServerEvent(const RconEvent& event) {
  const auto job = g_jobs.find(event.job);
  if (g_platform == nullptr || job == g_jobs.end()) return;
  if (job->second.loginTest) {
    OnLoginTestEvent(event);
  } else {
    OnSendEvent(event, job->second);
  }
  if (event.stage == Stage::kFinished) g_jobs.erase(job);
}

void OpenServerSettings() {
  ui::Frame().OpenWindow(ids::kServerWindow, true);
}

void OpenConsoleLog() {
  if (g_platform != nullptr) g_platform->ShowConsoleLog();
}

void SendCommandBox() {
  const ui::ControlRef button{ids::kMainWindow, ids::按钮27, ui::Kind::kButton};
  const std::string command = ui::ReadText(ids::kMainWindow, ids::编辑框15);
  if (IsBlank(command)) {
    ui::Frame().ShowNote(button, kEmptyCommandBox);
    return;
  }
  SendCommandsToServer({command}, button);
}

void OnServerWindowCreated() {
  if (g_platform == nullptr) return;
  const int current = Remembered().currentServer;
  ShowChoices(current);
  ShowServer(current);
}

void OnServerChosen() {
  if (g_platform != nullptr) ShowServer(ChosenServer());
}

void OnServerHostChanged() {
  Write(ids::kServerWarning, InsecureHostWarning(Text(ids::kServerHost)));
}

void NewServer() {
  if (g_platform == nullptr) return;
  ShowChoices(-1);
  ShowServer(-1);
}

void DeleteServer() {
  if (g_platform == nullptr) return;
  const int chosen = ChosenServer();
  if (chosen < 0) {
    NoteAt(ids::kServerWindow, ids::kServerDelete, kChooseToDelete);
    return;
  }
  Settings& settings = Remembered();
  const std::string label = ServerLabel(settings.servers[static_cast<std::size_t>(chosen)]);
  if (!g_platform->Confirm(Joined({"删除服务器“", label, "”吗？它的密码也会一并删除。"}))) return;
  settings.servers.erase(settings.servers.begin() + chosen);
  if (settings.currentServer == chosen) {
    settings.currentServer = settings.servers.empty() ? -1 : 0;
  } else if (settings.currentServer > chosen) {
    --settings.currentServer;
  }
  g_platform->SaveRememberedSettings();
  ShowChoices(settings.currentServer);
  ShowServer(settings.currentServer);
  ShowTarget();
}

void TestServerLogin() {
  if (g_platform == nullptr) return;
  std::optional<ServerEntry> server = ReadFields();
  if (!server) return;
  const int chosen = ChosenServer();
  ServerPlatform::TakenPassword typed = g_platform->TakePassword(false);
  if (typed.state == ServerPlatform::TakenPassword::State::kProtected) {
    server->password = std::move(typed.blob);
  } else if (chosen >= 0) {
    server->password = Remembered().servers[static_cast<std::size_t>(chosen)].password;
  }
  if (server->password.empty()) {
    NoteAt(ids::kServerWindow, ids::kServerPassword,
           typed.state == ServerPlatform::TakenPassword::State::kFailed ? kPasswordNotProtected
                                                                        : kPasswordNeeded);
    return;
  }
  const ServerPlatform::Started started = g_platform->StartLoginTest(*server);
  if (started.job == 0) {
    Write(ids::kServerResult, Joined({"测试失败：", started.refusal}));
    return;
  }
  Write(ids::kServerResult, Joined({"正在连接 ", Address(*server), " ……"}));
  g_jobs[started.job] = Job{ServerLabel(*server), 0, true};
}

void SaveServer() {
  if (g_platform == nullptr) return;
  std::optional<ServerEntry> server = ReadFields();
  if (!server) return;
  Settings& settings = Remembered();
  const int chosen = ChosenServer();
  if (chosen < 0 && settings.servers.size() >= kMaxServers) {
    NoteAt(ids::kServerWindow, ids::kServerSave,
           Joined({"最多保存 ", std::to_string(kMaxServers), " 个服务器，请先删除不用的"}));
    return;
  }
  ServerPlatform::TakenPassword typed = g_platform->TakePassword(true);
  if (typed.state == ServerPlatform::TakenPassword::State::kProtected) {
    server->password = std::move(typed.blob);
  } else if (chosen >= 0) {
    server->password = settings.servers[static_cast<std::size_t>(chosen)].password;
  }
  if (server->password.empty()) {
    NoteAt(ids::kServerWindow, ids::kServerPassword,
           typed.state == ServerPlatform::TakenPassword::State::kFailed ? kPasswordNotProtected
                                                                        : kPasswordNeeded);
    return;
  }
  const std::string label = ServerLabel(*server);
  if (chosen >= 0) {
    settings.servers[static_cast<std::size_t>(chosen)] = std::move(*server);
    settings.currentServer = chosen;
  } else {
    settings.servers.push_back(std::move(*server));
    settings.currentServer = static_cast<int>(settings.servers.size()) - 1;
  }
  g_platform->SaveRememberedSettings();
  ShowChoices(settings.currentServer);
  Write(ids::kServerPasswordHint, kPasswordKept);
  Write(ids::kServerResult, Joined({"已保存：发送到服务器时使用“", label, "”"}));
  ShowTarget();
}

void CloseServerSettings() {
  if (g_platform != nullptr) g_platform->CloseServerWindow();
}

void OnConsoleLogWindowCreated() {
  if (g_platform != nullptr) ShowTarget();
}

void CopyConsoleLog() {
  const ui::ConsoleLog& log = Log();
  if (log.LineCount() == 0) {
    NoteAt(ids::kConsoleLogWindow, ids::kConsoleCopyAll, kEmptyLog);
    return;
  }
  ui::Frame().CopyToClipboard(log.Text(0, log.LineCount() - 1));
}

void StopSendingToServer() {
  if (g_platform == nullptr) return;
  const bool sending = std::any_of(g_jobs.begin(), g_jobs.end(),
                                   [](const auto& job) { return !job.second.loginTest; });
  if (!sending) {
    NoteAt(ids::kConsoleLogWindow, ids::kConsoleStop, kNothingSending);
    return;
  }
  g_platform->StopSending();
}

}  // namespace app
