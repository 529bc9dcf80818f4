// The workbench's view of rows (GBK texts).
#include "compose/workbench_rows.h"

#include <algorithm>

namespace compose {

std::vector<TextSpan> ChatTextSpans(const ScriptLine& row) {
  std::vector<TextSpan> spans;
  const DirectiveForm& form = FormOf(row.directive);
  const std::size_t count = std::min(row.fields.size(), form.fields.size());
  for (std::size_t i = 0; i < count; ++i) {
    if (form.fields[i].kind != FieldKind::kChatText || row.fields[i].empty()) continue;
    spans.push_back({FieldOffset(row, i), row.fields[i].size()});
  }
  return spans;
}

NotesLine SummarizeNotes(std::span<const LineNote> notes) {
  NotesLine line;
  for (const LineNote& note : notes) {
    if (!line.text.empty()) line.text += "；";
    line.text += "第" + std::to_string(note.column) + "字处：" + note.message;
    line.problem |= IsProblem(note.kind);
  }
  return line;
}

std::string SpokenRow(std::size_t index, const ScriptLine& row, std::string_view notes) {
  std::string spoken = "第" + std::to_string(index + 1) + "行，" + std::string(RowCaption(row)) +
                       "：" + ComposeScriptLine(row);
  if (!notes.empty()) spoken += "。检查：" + std::string(notes);
  return spoken;
}

std::vector<FormField> FormOfRow(const ScriptLine& row) {
  const DirectiveForm& form = FormOf(row.directive);
  std::vector<FormField> fields;
  fields.reserve(form.fields.size());
  for (std::size_t i = 0; i < form.fields.size(); ++i) {
    fields.push_back({form.fields[i].name, i < row.fields.size() ? row.fields[i] : std::string()});
  }
  return fields;
}

std::string LineOfForm(const ScriptLine& row, std::span<const std::string> texts) {
  std::size_t count = std::min(row.fields.size(), texts.size());
  for (std::size_t i = count; i < texts.size(); ++i) {
    if (!texts[i].empty()) count = i + 1;
  }
  ScriptLine edited{row.directive, {texts.begin(), texts.begin() + static_cast<long>(count)}};
  if (edited.fields.empty()) edited.fields.emplace_back();
  return ComposeScriptLine(edited);
}

std::optional<std::size_t> SelectionAfter(const ScriptChange& change,
                                          std::optional<std::size_t> selected,
                                          std::size_t rowCount) {
  if (rowCount == 0) return std::nullopt;
  switch (change.kind) {
    case ScriptChange::Kind::kRows:
      if (change.inserted > 0) return change.first + change.inserted - 1;
      return std::min(change.first, rowCount - 1);
    case ScriptChange::Kind::kMoved:
      return change.to;
    case ScriptChange::Kind::kAll:
      return 0;
    case ScriptChange::Kind::kName:
    case ScriptChange::Kind::kState:
      break;
  }
  if (selected && *selected < rowCount) return selected;
  return std::nullopt;
}

}  // namespace compose
