// Sending commands to a game server's remote console: the server window's handlers, the send
// actions (the main window's button here; the workbench and the history call
// SendCommandsToServer), and the console log that shows what was sent and what came back. What
// needs Windows (the password box and its encryption, the connection, a yes/no question, the log's
// window) is behind ServerPlatform; the rest is here and runs in tests without it. Nothing is
// sent but on a click of the user's. Texts are GBK.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "net/rcon_client_win.h"
#include "ui/console_log.h"
#include "ui/ids.h"

namespace app {

class ServerPlatform {
 public:
  virtual ~ServerPlatform() = default;

  // The settings the program remembers, and writing them to the settings file.
  virtual Settings& RememberedSettings() = 0;
  virtual void SaveRememberedSettings() = 0;

  // The server window's password box, encrypted for the current Windows user; the plain text
  // read is wiped, and with emptyBox the box is emptied too.
  struct TakenPassword {
    enum class State { kEmpty, kProtected, kFailed } state = State::kEmpty;
    base::Bytes blob;
  };
  virtual TakenPassword TakePassword(bool emptyBox) = 0;

  // Start a job off the window's thread with the server's stored password (server.password);
  // its events come back through OnServerEvent, in order. A job that cannot start (the password
  // does not open for this user) has number 0 and says why.
  struct Started {
    std::uint64_t job = 0;
    std::string refusal;
  };
  virtual Started StartLoginTest(const ServerEntry& server) = 0;
  virtual Started StartSend(const ServerEntry& server, std::vector<std::string> commands) = 0;
  // Ends every job under way or waiting; each still finishes with its last event.
  virtual void StopSending() = 0;

  // A yes/no question in a box of its own; true for yes.
  virtual bool Confirm(std::string_view question) = 0;
  // The server window's list of servers, one chosen (-1: none).
  virtual void ShowServerChoices(const std::vector<std::string>& names, int chosen) = 0;
  virtual void CloseServerWindow() = 0;
  // Opens the console log's window, or brings it forward; and tells it the log changed.
  virtual void ShowConsoleLog() = 0;
  virtual void ConsoleLogChanged(const ui::ConsoleChange& change) = 0;
  // The local time of day, "HH:MM:SS".
  virtual std::string TimeOfDay() = 0;
};

// Installs the platform (nullptr uninstalls) and returns the previous one. With none installed
// the handlers do nothing.
ServerPlatform* InstallServerPlatform(ServerPlatform* platform);

// The console log of this session.
ui::ConsoleLog& SessionConsoleLog();

// Sends commands (GBK, one command each, in order) to the current server: blank ones are left
// out, a leading '/' is taken off (the log says so), and sending stops at the first command that
// is refused or fails, the log saying which. More than one command asks once before sending.
// With no server set up (or none with a password) the server window opens instead. from is the
// control the user clicked, where a note says why nothing was sent. True when sending started.
bool SendCommandsToServer(std::vector<std::string> commands, const ui::ControlRef& from);

// Where each event of a job started through the platform goes: a login test's to the server
// window, a send's to the console log.
void OnServerEvent(const net::RconEvent& event);

// The name a server is shown by: its name, else its host and port.
std::string ServerLabel(const ServerEntry& server);

// The server window's fields checked: a server (without password) or why not, and the field
// to turn to. Blanks around the texts are dropped; an empty port is the default one.
struct CheckedServer {
  ServerEntry server;
  std::string problem;  // empty when the fields are good
  ui::ControlId field = 0;
};
CheckedServer CheckServerFields(std::string_view name, std::string_view host,
                                std::string_view port);

// The warning the server window shows for a host: empty for this machine and the private ranges,
// which the unencrypted protocol does not leave.
std::string InsecureHostWarning(std::string_view host);

// Handlers. The menu's "服务器" entries call OpenServerSettings and OpenConsoleLog.
void OpenServerSettings();
void OpenConsoleLog();
void SendCommandBox();  // 按钮27 "发送到服务器"

// The server window: created; a server chosen in its list; its host edited; its buttons.
void OnServerWindowCreated();
void OnServerChosen();
void OnServerHostChanged();
void NewServer();
void DeleteServer();
void TestServerLogin();
void SaveServer();
void CloseServerSettings();

// The console log window: created; its buttons.
void OnConsoleLogWindowCreated();
void CopyConsoleLog();
void StopSendingToServer();

}  // namespace app
