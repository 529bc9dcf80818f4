// A script in and out of commands and pasted text. Out: the commands that create the script on
// the server, one "/vrnl add NAME LINE" per row. In: whatever an admin pastes: one line per row,
// those add commands (the script's name read from them) or the script-line box's glued lines.
// Nothing pasted is lost: a line that cannot be read becomes a raw row. GBK texts.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compose/script_line.h"

namespace compose {

inline constexpr std::string_view kCreateScriptCommand = "/vrnl create ";

// What is wrong with a script name for the plugin's commands, or the empty text (GBK).
std::string ScriptNameProblem(std::string_view name);

std::string CreateCommand(std::string_view name);
std::string AddCommand(std::string_view name, std::string_view line);

struct ScriptCommand {
  std::string text;
  bool tooLongForChat = false;  // over the chat's limit: only the server console takes it
  bool operator==(const ScriptCommand&) const = default;
};

// "生成全部指令": "/vrnl create NAME" when withCreate, then one add command per row in order.
std::vector<ScriptCommand> ScriptCommands(std::string_view name, std::span<const ScriptLine> rows,
                                          bool withCreate);

// The commands one to a line, joined by CRLF, for the clipboard.
std::string CommandBlock(std::span<const ScriptCommand> commands);

// One row of pasted text.
struct PastedRow {
  std::string line;
  // The script the row's add command named (an index into PastedScript::names), or -1.
  int script = -1;
  // The row began inside a pasted line, right after the row before it: the line was split where
  // a directive starts.
  bool glued = false;
  // A glued row whose directive falls, read without the split, into a message or command of the
  // row before: the two may be one line. JoinWithPrevious takes that reading.
  bool ambiguous = false;
  bool operator==(const PastedRow&) const = default;
};

struct PastedScript {
  std::vector<PastedRow> rows;
  // The names of "/vrnl add" and "/vrnl create" commands, in the order they first appear. The
  // first is the script's; with more than one, the caller may ask which to keep (KeepScript).
  std::vector<std::string> names;
};

// Reads pasted text. Lines end at CRLF, LF or CR, and empty lines are no rows. A line that is a
// "/vrnl add NAME LINE" command (with or without "/", as the console takes it) gives LINE as one
// row; a "/vrnl create NAME" gives only its name. Any other line is split where a directive
// starts, as the script-line box glues them.
PastedScript ReadPastedText(std::string_view text);

// Joins an ambiguous row to the row before it. False when row is not ambiguous.
bool JoinWithPrevious(PastedScript& pasted, std::size_t row);

// Keeps the rows of the script names[script] and the rows of no script; names is then that one.
void KeepScript(PastedScript& pasted, std::size_t script);

// The rows as script lines, for the model.
std::vector<ScriptLine> PastedLines(const PastedScript& pasted);

}  // namespace compose
