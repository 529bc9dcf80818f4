// Script files and the recent list. Inside, texts are GBK; the UTF-8 of the file is made from the
// whole text at once, which keeps a 10,000-row script to a few conversions.
#include "compose/script_file.h"

#include <algorithm>

#include "base/gbk.h"

namespace compose {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";
constexpr std::string_view kRecentComment = "# Command composer: recent scripts, newest first";
constexpr std::string_view kOpenKey = "open=";
constexpr std::string_view kRecentKey = "recent=";
// Windows keeps a path's last part under 255 characters; the name leaves room for the rest.
constexpr std::size_t kMaxFileNameBytes = 120;
constexpr char16_t kReplacement = 0xFFFD;

// A text that is not UTF-8, read as GBK the program's way: a byte no GBK character starts with
// and a lead byte without its trail become U+FFFD, so no stray byte starts an escape.
std::string WellFormedGbk(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x81) {
      text += bytes[i];
      continue;
    }
    const auto trail = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    if (base::IsLeadByte(byte) && trail >= 0x40 && trail != 0x7F && trail != 0xFF) {
      text += bytes.substr(i, 2);
      ++i;
    } else {
      base::AppendEscapedUnit(text, kReplacement);
    }
  }
  return text;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                            [&](char x, char y) { return lower(x) == lower(y); });
}

bool IsDeviceName(std::string_view name) {
  const std::string_view base = name.substr(0, name.find('.'));
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
    if (EqualIgnoringAsciiCase(base, device)) return true;
  }
  return base.size() == 4 &&
         (EqualIgnoringAsciiCase(base.substr(0, 3), "COM") ||
          EqualIgnoringAsciiCase(base.substr(0, 3), "LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string_view DescribeFileProblem(FileProblem problem) {
  switch (problem) {
    case FileProblem::kMissing:
      return "找不到这个文件。";
    case FileProblem::kUnreadable:
      return "无法读取这个文件。";
    case FileProblem::kTooLarge:
      return "文件超过 16 MiB，不是脚本文件，没有打开。";
    case FileProblem::kNotText:
      return "文件里有空字节，不是文本文件，没有打开。";
    case FileProblem::kReadAsGbk:
      return "文件不是 UTF-8 编码，已按 GBK 读取；保存时会写成 UTF-8。";
    case FileProblem::kNoNameLine:
      return "文件第一行不是“# Varnel script: 脚本名”，已把每一行读作一个脚本行；请给脚本命名。";
  }
  return {};
}

std::optional<std::string> GbkFromUtf8File(std::string_view bytes, const base::GbkCodec& codec) {
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
  const std::optional<std::u16string> wide = base::Utf16FromUtf8(bytes);
  if (!wide) return std::nullopt;
  return codec.gbkFromWide(*wide);
}

std::vector<std::string_view> FileLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
    lines.push_back(text.substr(0, end));
    const bool crlf = end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n';
    text.remove_prefix(std::min(end + (crlf ? 2 : 1), text.size()));
  }
  return lines;
}

ScriptFileContent ReadScriptFile(std::string_view bytes, const base::GbkCodec& codec) {
  ScriptFileContent content;
  const auto refuse = [&content](FileProblem problem) {
    content.problems.push_back(problem);
    return std::move(content);
  };
  if (bytes.size() > kMaxScriptFileBytes) return refuse(FileProblem::kTooLarge);
  std::string text;
  if (bytes.starts_with(kUtf16LittleMark) || bytes.starts_with(kUtf16BigMark)) {
    // Notepad's "Unicode": NUL bytes are part of it, a NUL character is not.
    const std::u16string wide = base::Utf16FromBytes(bytes.substr(2), bytes[0] == '\xFE');
    if (wide.find(u'\0') != std::u16string::npos) return refuse(FileProblem::kNotText);
    text = codec.gbkFromWide(wide);
  } else if (bytes.find('\0') != std::string_view::npos) {
    return refuse(FileProblem::kNotText);
  } else if (std::optional<std::string> utf8 = GbkFromUtf8File(bytes, codec)) {
    text = std::move(*utf8);
  } else {
    content.problems.push_back(FileProblem::kReadAsGbk);
    // Through the conversion and back, so that a code GBK leaves unassigned reads as it will be
    // saved.
    text = codec.gbkFromWide(codec.wideFromGbk(WellFormedGbk(bytes)));
  }
  std::vector<std::string_view> lines = FileLines(text);
  std::span<const std::string_view> rows = lines;
  if (!lines.empty() && lines[0].starts_with(TrimBlanks(kScriptFileHeader))) {
    content.name = TrimBlanks(lines[0].substr(TrimBlanks(kScriptFileHeader).size()));
    rows = rows.subspan(1);
  } else {
    content.problems.push_back(FileProblem::kNoNameLine);
  }
  content.rows.reserve(rows.size());
  for (std::string_view row : rows) content.rows.push_back(ParseScriptLine(row));
  content.opened = true;
  return content;
}

std::string WriteScriptFile(std::string_view name, std::span<const ScriptLine> rows,
                            const base::GbkCodec& codec) {
  std::string text(kScriptFileHeader);
  for (const char c : name) text += c == '\r' || c == '\n' ? ' ' : c;
  text += "\r\n";
  for (const ScriptLine& row : rows) {
    text += ComposeScriptLine(row);
    text += "\r\n";
  }
  return base::Utf8FromUtf16(codec.wideFromGbk(text));
}

std::string ScriptFileName(std::string_view name) {
  std::string file;
  for (std::size_t at = 0; at < name.size();) {
    std::size_t length = base::CharLength(name, at);
    if (file.size() + length > kMaxFileNameBytes) break;
    const char c = name[at];
    const bool forbidden =
        length == 1 && (static_cast<unsigned char>(c) < 0x20 ||
                        std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos);
    file += forbidden ? std::string_view("_") : name.substr(at, length);
    at += length;
  }
  // Windows drops dots and spaces at the end of a name.
  const std::size_t kept = file.find_last_not_of(". ") + 1;
  if (kept < file.size()) file.replace(kept, std::string::npos, file.size() - kept, '_');
  if (IsDeviceName(file)) file = "_" + file;
  if (file.empty()) return {};
  return file + std::string(kScriptFileExtension);
}

void NoteOpened(RecentScripts& recent, std::string_view path) {
  Forget(recent, path);
  recent.paths.insert(recent.paths.begin(), std::string(path));
  if (recent.paths.size() > kRecentScriptsLimit) recent.paths.resize(kRecentScriptsLimit);
}

void Forget(RecentScripts& recent, std::string_view path) {
  std::erase_if(recent.paths,
                [path](const std::string& known) { return EqualIgnoringAsciiCase(known, path); });
  if (EqualIgnoringAsciiCase(recent.openAtExit, path)) recent.openAtExit.clear();
}

RecentScripts ParseRecentScripts(std::string_view bytes) {
  RecentScripts recent;
  if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  for (std::string_view line : FileLines(bytes)) {
    if (!base::Utf16FromUtf8(line) || line.find('\0') != std::string_view::npos) continue;
    if (line.starts_with(kOpenKey)) {
      recent.openAtExit = TrimBlanks(line.substr(kOpenKey.size()));
    } else if (line.starts_with(kRecentKey)) {
      const std::string_view path = TrimBlanks(line.substr(kRecentKey.size()));
      const bool known =
          std::any_of(recent.paths.begin(), recent.paths.end(),
                      [path](const auto& p) { return EqualIgnoringAsciiCase(p, path); });
      if (!path.empty() && !known && recent.paths.size() < kRecentScriptsLimit) {
        recent.paths.emplace_back(path);
      }
    }
  }
  return recent;
}

std::string FormatRecentScripts(const RecentScripts& recent) {
  std::string text(kRecentComment);
  text += "\r\n";
  if (!recent.openAtExit.empty()) text += std::string(kOpenKey) + recent.openAtExit + "\r\n";
  for (const std::string& path : recent.paths) text += std::string(kRecentKey) + path + "\r\n";
  return text;
}

}  // namespace compose
