// The help page's document, built from the program's own reference data. GBK texts until the
// whole document is converted; the page is plain HTML5 with its style sheet inside, so it works
// offline, at any width and on paper.
#include "compose/help_page.h"

#include <span>
#include <vector>

#include "base/text_ops.h"
#include "compose/command_table.h"
#include "compose/directive_tips.h"
#include "compose/reference_texts.h"
#include "ui/frame.h"
#include "ui/hypertext.h"

#ifndef COMPOSER_FORUM_URL
#error "COMPOSER_FORUM_URL must name the forum thread (or be empty)"
#endif

namespace compose {
namespace {

using namespace ui::ids;

// Wide screens get a readable column, narrow ones the whole width; tables turn into stacked
// cards on phones; paper gets black text, no navigation and the addresses of links.
constexpr std::string_view kStyle = R"css(
:root { color-scheme: light; --accent: #b5651d; --line: #d8d2c8; }
* { box-sizing: border-box; }
body { margin: 0; font: 16px/1.6 "Microsoft YaHei", "PingFang SC", "Noto Sans CJK SC", sans-serif;
  color: #222; background: #faf8f4; }
header, nav, main, footer { max-width: 60rem; margin: 0 auto; padding: 0 1.25rem; }
header { padding-top: 1.5rem; }
h1 { font-size: 1.6rem; line-height: 1.3; margin: 0 0 .5rem; }
h2 { font-size: 1.25rem; margin: 2rem 0 .75rem; padding-bottom: .25rem;
  border-bottom: 2px solid var(--accent); }
nav ul { display: flex; flex-wrap: wrap; gap: .25rem 1rem; list-style: none; padding: 0; margin: 0; }
a { color: #0b5cad; overflow-wrap: anywhere; }
code, pre { font-family: Consolas, "Courier New", monospace; font-size: .95em; }
code { background: #efe9df; padding: 0 .25em; border-radius: 3px; overflow-wrap: anywhere; }
pre { background: #fff; border: 1px solid var(--line); padding: .75rem 1rem; overflow-x: auto;
  white-space: pre-wrap; overflow-wrap: anywhere; }
table { width: 100%; border-collapse: collapse; background: #fff; margin: .5rem 0 1rem; }
th, td { border: 1px solid var(--line); padding: .4rem .6rem; text-align: left; vertical-align: top; }
th { background: #f1ebe1; }
.tip { border-left: 4px solid var(--accent); background: #fff; padding: .5rem .75rem; margin: .5rem 0; }
.tip h3 { font-size: 1rem; margin: 0 0 .25rem; }
.tip p { margin: 0; }
.swatch { display: inline-block; width: 1.1em; height: 1.1em; vertical-align: -.2em;
  border: 1px solid #888; margin-right: .4em; }
footer { padding-bottom: 2rem; color: #555; }
@media (max-width: 40rem) {
  body { font-size: 15px; }
  header, nav, main, footer { padding: 0 .75rem; }
  table, thead, tbody, tr, th, td { display: block; }
  thead { display: none; }
  tr { border: 1px solid var(--line); margin-bottom: .5rem; background: #fff; }
  td { border: 0; border-bottom: 1px dotted var(--line); }
  td:last-child { border-bottom: 0; }
  td[data-label]::before { content: attr(data-label) "："; font-weight: bold; }
}
@media print {
  body { background: #fff; color: #000; font-size: 10.5pt; }
  nav { display: none; }
  header, main, footer { max-width: none; padding: 0; }
  h2 { break-after: avoid; border-color: #000; }
  tr, .tip, pre { break-inside: avoid; }
  a { color: #000; text-decoration: none; }
  a[href^="http"]::after { content: " (" attr(href) ")"; font-size: .9em; }
  .swatch { print-color-adjust: exact; -webkit-print-color-adjust: exact; }
}
)css";

struct ColourCode {
  std::string_view code;
  std::string_view name;
  std::string_view rgb;  // empty for the formatting codes
};

constexpr ColourCode kColourCodes[] = {
    {"&0", "黑色", "#000000"},
    {"&1", "深蓝色", "#0000AA"},
    {"&2", "深绿色", "#00AA00"},
    {"&3", "湖蓝色", "#00AAAA"},
    {"&4", "深红色", "#AA0000"},
    {"&5", "紫色", "#AA00AA"},
    {"&6", "金色", "#FFAA00"},
    {"&7", "灰色", "#AAAAAA"},
    {"&8", "深灰色", "#555555"},
    {"&9", "蓝色", "#5555FF"},
    {"&a", "绿色", "#55FF55"},
    {"&b", "天蓝色", "#55FFFF"},
    {"&c", "红色", "#FF5555"},
    {"&d", "粉红色", "#FF55FF"},
    {"&e", "黄色", "#FFFF55"},
    {"&f", "白色", "#FFFFFF"},
    {"&k", "随机字符（闪烁的乱码）", ""},
    {"&l", "粗体", ""},
    {"&m", "删除线", ""},
    {"&n", "下划线", ""},
    {"&o", "斜体", ""},
    {"&r", "重置为默认颜色和样式", ""},
};

// What each directive tip explains, by the control it is attached to.
struct TipTopic {
  ui::ControlId target;
  std::string_view topic;
};

constexpr TipTopic kTipTopics[] = {
    {编辑框1, "OP权限执行 @bypass"},     {编辑框2, "普通玩家执行 @command"},
    {编辑框3, "后台执行 @console"},      {编辑框4, "消耗金钱执行 $cost:"},
    {编辑框5, "聊天信息 @msg:"},         {编辑框6, "屏幕中央信息 @title:"},
    {按钮13, "消耗指定物品执行 $item:"}, {按钮14, "消耗物品的图解"},
    {编辑框12, "权限判断 @perm:"},       {编辑框13, "等级判断 @papi:"},
    {编辑框14, "血量判断 @papi:"},       {按钮18, "延迟的图解"},
};

std::string Escaped(std::string_view text) {
  // '&', '<', '>' and '"' lie below 0x40, so none of them is ever a GBK trail byte.
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string Trimmed(std::string_view text) {
  return base::Trim(base::Replace(text, "\r\n", " "));
}

// The plugin's command list: "* section ->" lines, then a command line and its description.
void AppendCommandList(std::string& html) {
  html += "<section id=\"commands\">\n<h2>Varnel插件指令大全</h2>\n";
  const std::vector<std::string> lines = base::Split(kCommandListText, "\r\n");
  bool tableOpen = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = base::Trim(lines[i]);
    if (line.empty()) continue;
    if (line.starts_with("* ")) {
      if (tableOpen) html += "</tbody></table>\n";
      html += "<h3>" + Escaped(Trimmed(base::Replace(line.substr(2), "->", ""))) + "</h3>\n";
      html += "<table><thead><tr><th>指令</th><th>作用</th></tr></thead><tbody>\n";
      tableOpen = true;
      continue;
    }
    const std::string description = i + 1 < lines.size() ? base::Trim(lines[i + 1]) : "";
    html += "<tr><td data-label=\"指令\"><code>" + Escaped(line) +
            "</code></td><td data-label=\"作用\">" + Escaped(description) + "</td></tr>\n";
    ++i;
  }
  if (tableOpen) html += "</tbody></table>\n";
  html += "</section>\n";
}

// What a dialog asks for, from its prompt: "请输入脚本名" gives "脚本名".
std::string AskedFor(const Question& question) {
  std::string asked = base::Replace(question.prompt, "请输入", "", 1, 1, true);
  for (const std::string_view end : {"，", "（"}) {
    const int at = base::Find(asked, end);
    if (at != -1) asked.resize(static_cast<std::size_t>(at) - 1);
  }
  return asked;
}

// The command a chooser item composes, with what the dialogs ask in its places.
std::string ComposedShape(std::span<const CommandStep> steps) {
  std::string shape;
  std::vector<std::string> asked;
  const auto answers = [&asked](int count) {
    std::string joined;
    for (int i = 0; i < count && static_cast<std::size_t>(i) < asked.size(); ++i) {
      if (i > 0) joined += ' ';
      joined += "〈";
      joined += asked[static_cast<std::size_t>(i)];
      joined += "〉";
    }
    return joined;
  };

  for (const CommandStep& step : steps) {
    switch (step.kind) {
      case StepKind::kSet:
        shape = step.literal;
        break;
      case StepKind::kAsk:
        asked.push_back(AskedFor(*step.question));
        break;
      case StepKind::kAppendAnswers:
        shape += answers(step.answerCount);
        break;
      case StepKind::kSetWithAnswers:
        shape = std::string(step.literal) + answers(step.answerCount);
        break;
    }
  }
  return shape;
}

void AppendChooserTable(std::string& html) {
  html +=
      "<section id=\"composer\">\n<h2>编辑器生成的指令</h2>\n"
      "<p>页面“脚本编辑”的四个下拉列表可以选择下列项目，点“生成指令”并回答对话框后，"
      "右边的“指令生成窗口”里就是完整的指令。〈〉处是对话框里填写的内容。</p>\n"
      "<table><thead><tr><th>下拉列表项目</th><th>生成的指令</th></tr></thead><tbody>\n";
  for (const Chooser& chooser : Choosers()) {
    for (const CommandRow& row : chooser.rows) {
      html += "<tr><td data-label=\"项目\">" + Escaped(row.item) +
              "</td><td data-label=\"指令\"><code>" + Escaped(ComposedShape(row.steps)) +
              "</code></td></tr>\n";
    }
  }
  html += "</tbody></table>\n</section>\n";
}

std::string_view TopicOf(ui::ControlId target) {
  for (const TipTopic& topic : kTipTopics) {
    if (topic.target == target) return topic.topic;
  }
  return "脚本行";
}

// Each tip as the balloon shows it, its complete example set apart.
void AppendDirectiveTips(std::string& html) {
  html +=
      "<section id=\"directives\">\n<h2>脚本行说明</h2>\n"
      "<p>页面“执行设置”和“脚本权限/其他”的每一行生成一种脚本行；鼠标停在输入框上时，"
      "编辑器会显示下面的说明。</p>\n";
  for (const DirectiveTip& tip : DirectiveTips()) {
    std::string text = ui::PlainText(ui::ParseHypertext(tip.text));
    std::string example;
    const int at = base::Find(text, "完整例子");
    if (at != -1) {
      example = base::Trim(
          base::Replace(text.substr(static_cast<std::size_t>(at) - 1 + 8), ":", "", 1, 1, true));
      if (!example.empty() && example.back() == ')') example.pop_back();
      text.resize(static_cast<std::size_t>(at) - 1);
      if (text.ends_with("(")) text.pop_back();
    }
    html += "<div class=\"tip\"><h3>" + Escaped(TopicOf(tip.target)) + "</h3>";
    if (!text.empty()) html += "<p>" + Escaped(text) + "</p>";
    if (!example.empty()) html += "<p>完整例子：<code>" + Escaped(example) + "</code></p>";
    html += "</div>\n";
  }
  html += "</section>\n";
}

void AppendColourCodes(std::string& html) {
  html +=
      "<section id=\"colours\">\n<h2>颜色代码</h2>\n"
      "<p>信息、标题和物品名里的颜色和样式用 &amp; 加一个字符表示，可以连用，"
      "例如 <code>&amp;b&amp;l点券</code> 是天蓝色粗体的“点券”。</p>\n"
      "<table><thead><tr><th>代码</th><th>效果</th></tr></thead><tbody>\n";
  for (const ColourCode& colour : kColourCodes) {
    html += "<tr><td data-label=\"代码\"><code>" + Escaped(colour.code) +
            "</code></td><td data-label=\"效果\">";
    if (!colour.rgb.empty()) {
      html += "<span class=\"swatch\" style=\"background:" + std::string(colour.rgb) + "\"></span>";
    }
    html += Escaped(colour.name) + "</td></tr>\n";
  }
  html +=
      "</tbody></table>\n"
      "<p>1.16 及以上版本的服务器还认十六进制颜色，两种写法："
      "<code>&amp;#RRGGBB</code> 或 <code>&amp;x&amp;R&amp;R&amp;G&amp;G&amp;B&amp;B</code>，"
      "例如 <code>&amp;#FF8800</code> 是橙色。更早的服务器会把它们原样显示，"
      "预览窗口会为每个十六进制颜色提醒一次。</p>\n</section>\n";
}

}  // namespace

std::string_view ForumAddress() {
  return COMPOSER_FORUM_URL;
}

std::string HelpDocument(std::string_view forumAddress) {
  std::string html =
      "<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<title>岚式脚本方块编辑器v3.1（Varnel）使用帮助</title>\n<style>";
  html += kStyle;
  html +=
      "</style>\n</head>\n<body>\n<header>\n<h1>岚式脚本方块编辑器v3.1（Varnel）使用帮助</h1>\n"
      "<p>编辑器把你的选择和输入拼成Varnel脚本方块插件和PlaceholderAPI的指令与脚本行，"
      "复制后粘贴到游戏聊天栏或服务器后台即可。本页不需要联网。</p>\n</header>\n"
      "<nav aria-label=\"目录\"><ul>"
      "<li><a href=\"#usage\">使用方法</a></li><li><a href=\"#commands\">插件指令大全</a></li>"
      "<li><a href=\"#composer\">编辑器生成的指令</a></li>"
      "<li><a href=\"#directives\">脚本行说明</a></li><li><a href=\"#examples\">脚本例子</a></li>"
      "<li><a href=\"#colours\">颜色代码</a></li></ul></nav>\n<main>\n"
      "<section id=\"usage\">\n<h2>使用方法</h2>\n<ol>\n"
      "<li>在页面“脚本编辑”的下拉列表里选择要做的事（创建脚本、绑定触发方式、增加脚本行、"
      "重载等），点“生成指令”，按对话框提示输入脚本名、玩家名或冷却时间。指令出现在右上方的"
      "“指令生成窗口”，点“复制指令”复制。</li>\n"
      "<li>在页面“执行设置”和“脚本权限/其他”选择执行方式，在输入框里填写指令或数值，点"
      "“生成脚本行”，脚本行接在右下方“脚本行生成窗口”已有内容的后面。</li>\n"
      "<li>生成好的脚本行要用“向指定脚本增加脚本行”（<code>/vrnl add 脚本名 脚本行</code>）"
      "加进脚本，才算完整地增加了脚本行。</li>\n"
      "<li>冷却时间以毫秒计：1000 = 1秒，12小时可以写 43199999。</li>\n"
      "<li>消耗物品时，ID 是游戏中物品的数字代号，物品名是设置好的 lore 物品中文名，"
      "有颜色的名字要带颜色代码（见<a href=\"#colours\">颜色代码</a>）。</li>\n"
      "<li>脚本里用 <code>%player%</code> 表示运行脚本的玩家。</li>\n</ol>\n</section>\n";
  AppendCommandList(html);
  AppendChooserTable(html);
  AppendDirectiveTips(html);
  html += "<section id=\"examples\">\n<h2>脚本例子</h2>\n<pre>" +
          Escaped(base::Replace(kExampleScriptsText, "\r\n", "\n")) + "</pre>\n</section>\n";
  AppendColourCodes(html);
  html += "</main>\n<footer>\n";
  if (!forumAddress.empty()) {
    html += "<p>插件的完整介绍和更多例子见插件帖子：<a href=\"" + Escaped(forumAddress) + "\">" +
            Escaped(forumAddress) + "</a></p>\n";
  }
  html += "<p>岚式脚本方块编辑器v3.1（Varnel）</p>\n</footer>\n</body>\n</html>\n";
  return html;
}

void ShowHelpPage() {
  ui::FrameServices& frame = ui::Frame();
  const std::optional<std::string> path =
      frame.WriteTemporaryTextFile(kHelpFileName, HelpDocument(ForumAddress()));
  if (!path) {
    frame.ShowMessage(kHelpMessageTitle, kHelpNotWrittenText, ui::MessageButtons::kOk);
    return;
  }
  if (frame.OpenWebAddress(*path)) return;
  const std::string text = std::string(kHelpNotOpenedText) + *path + std::string(kHelpCopyQuestion);
  if (frame.ShowMessage(kHelpMessageTitle, text, ui::MessageButtons::kYesNo) ==
      ui::MessageAnswer::kYes) {
    frame.CopyToClipboard(*path);
  }
}

}  // namespace compose
