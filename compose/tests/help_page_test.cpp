// The help page: everything an admin needs offline is on it, it is well-formed HTML5 in UTF-8,
// and a click writes it whole into the temporary folder and hands its path to the shell.
#include "compose/help_page.h"

#include <gtest/gtest.h>

#include <iconv.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/text_ops.h"
#include "compose/command_table.h"
#include "compose/commands.h"
#include "compose/directive_tips.h"
#include "compose/reference_texts.h"
#include "ui/hypertext.h"
#include "ui/tests/fake_frame.h"

namespace {

// What the Windows frame writes: the GBK text as UTF-8 (glibc's converter stands in here).
std::string Utf8FromGbk(std::string_view gbk) {
  iconv_t convert = iconv_open("UTF-8", "GBK");
  std::string in(gbk);
  std::string out(in.size() * 3 + 16, '\0');
  char* from = in.data();
  char* to = out.data();
  std::size_t left = in.size();
  std::size_t room = out.size();
  const bool whole = iconv(convert, &from, &left, &to, &room) != static_cast<std::size_t>(-1);
  iconv_close(convert);
  out.resize(out.size() - room);
  return whole ? out : std::string();
}

std::string Escaped(std::string_view text) {
  std::string out = base::Replace(text, "&", "&amp;");
  out = base::Replace(out, "<", "&lt;");
  return base::Replace(out, ">", "&gt;");
}

bool Has(const std::string& document, std::string_view part) {
  return document.find(part) != std::string::npos;
}

TEST(HelpDocumentTest, HoldsTheCommandsTheTipsTheExamplesAndTheColourCodes) {
  const std::string document = compose::HelpDocument("");
  // Every command of the plugin's list with what it does.
  for (const std::string& line : base::Split(compose::kCommandListText, "\r\n")) {
    if (base::Trim(line).empty()) continue;
    if (line.starts_with("* ")) {  // a section: "* 编辑类指令 ->"
      EXPECT_TRUE(Has(document, "<h3>" + line.substr(2, line.size() - 5) + "</h3>")) << line;
    } else {
      EXPECT_TRUE(Has(document, Escaped(base::Trim(line)))) << line;
    }
  }
  // What every chooser item composes.
  for (const compose::Chooser& chooser : compose::Choosers()) {
    for (const compose::CommandRow& row : chooser.rows) {
      EXPECT_TRUE(Has(document, ">" + Escaped(row.item) + "<")) << row.item;
    }
  }
  EXPECT_TRUE(
      Has(document, "<code>/vrnl click 〈脚本名〉 〈个人冷却时间〉 〈全局冷却时间〉</code>"));
  EXPECT_TRUE(Has(document, "<code>/vrnl del 〈脚本名〉 〈脚本行数〉</code>"));
  EXPECT_TRUE(Has(document, "<code>/papi ecloud download vault</code>"));
  // The twelve tips: each one's words, and its complete example as code.
  ASSERT_EQ(compose::DirectiveTips().size(), 12u);
  std::size_t tips = 0;
  for (std::size_t at = document.find("<div class=\"tip\">"); at != std::string::npos;
       at = document.find("<div class=\"tip\">", at + 1)) {
    ++tips;
  }
  EXPECT_EQ(tips, 12u);
  for (const compose::DirectiveTip& tip : compose::DirectiveTips()) {
    std::string text = ui::PlainText(ui::ParseHypertext(tip.text));
    if (text.starts_with("完整例子:")) text.erase(0, std::string_view("完整例子:").size());
    EXPECT_TRUE(Has(document, Escaped(text.substr(0, 12)))) << text;
  }
  EXPECT_TRUE(Has(document, "完整例子：<code>@bypass /give %player% 264 1</code>"));
  EXPECT_TRUE(Has(document, "<code>$item:57#####&amp;b&amp;l点券 100 "));
  // The example scripts, line by line.
  for (const std::string& line : base::Split(compose::kExampleScriptsText, "\r\n")) {
    EXPECT_TRUE(Has(document, Escaped(line))) << line;
  }
  // The colour and format codes.
  for (const char code : std::string("0123456789abcdefklmnor")) {
    EXPECT_TRUE(Has(document, std::string("<code>&amp;") + code + "</code>")) << code;
  }
  EXPECT_TRUE(Has(document, "<code>&amp;#RRGGBB</code>"));
  EXPECT_TRUE(Has(document, "background:#FFAA00"));
}

// Elements open and close in order; void elements never close; every in-page link has its
// target; every '&' starts an entity.
TEST(HelpDocumentTest, IsWellFormedHtml5InUtf8) {
  const std::string document = compose::HelpDocument("http://127.0.0.1/t?a=1&b=\"2\"");
  EXPECT_EQ(document.rfind("<!DOCTYPE html>\n<html lang=\"zh-CN\">\n<head>\n", 0), 0u);
  const std::size_t charset = document.find("<meta charset=\"utf-8\">");
  EXPECT_LT(charset, 1024u) << "the encoding is declared in the first 1024 bytes";
  EXPECT_TRUE(Has(document, "<meta name=\"viewport\""));
  EXPECT_TRUE(Has(document, "@media print"));
  EXPECT_TRUE(Has(document, "@media (max-width:"));

  const std::set<std::string> voids = {"meta", "br", "hr", "img", "link"};
  std::vector<std::string> open;
  std::set<std::string> ids;
  std::vector<std::string> links;
  const std::size_t styleEnd = document.find("</style>");
  for (std::size_t at = document.find('<', document.find("<html")); at != std::string::npos;
       at = document.find('<', at + 1)) {
    if (at > document.find("<style>") && at < styleEnd) continue;
    const std::size_t end = document.find('>', at);
    ASSERT_NE(end, std::string::npos);
    const std::string tag = document.substr(at + 1, end - at - 1);
    const bool closing = tag.starts_with("/");
    const std::string name =
        tag.substr(closing ? 1 : 0, tag.find_first_of(" /", 1) - (closing ? 1 : 0));
    if (closing) {
      ASSERT_FALSE(open.empty()) << tag;
      ASSERT_EQ(open.back(), name) << "at byte " << at;
      open.pop_back();
    } else if (!voids.contains(name)) {
      open.push_back(name);
    }
    for (const std::string attribute : {" id=\"", " href=\"#"}) {
      const std::size_t found = tag.find(attribute);
      if (found == std::string::npos) continue;
      const std::size_t from = found + attribute.size();
      const std::string value = tag.substr(from, tag.find('"', from) - from);
      if (attribute == " id=\"") {
        EXPECT_TRUE(ids.insert(value).second) << "repeated id " << value;
      } else {
        links.push_back(value);
      }
    }
  }
  EXPECT_TRUE(open.empty());
  for (const std::string& link : links) EXPECT_TRUE(ids.contains(link)) << link;
  for (std::size_t at = document.find('&'); at != std::string::npos;
       at = document.find('&', at + 1)) {
    const std::string entity = document.substr(at, 6);
    EXPECT_TRUE(entity.starts_with("&amp;") || entity.starts_with("&lt;") ||
                entity.starts_with("&gt;") || entity.starts_with("&quot;"))
        << document.substr(at, 20);
  }
  // The forum address is a link, escaped.
  EXPECT_TRUE(Has(document, "<a href=\"http://127.0.0.1/t?a=1&amp;b=&quot;2&quot;\">"));
  EXPECT_FALSE(Has(compose::HelpDocument(""), "插件帖子"));

  // The GBK text converts whole to UTF-8.
  const std::string utf8 = Utf8FromGbk(document);
  const std::u8string title = u8"<title>岚式脚本方块编辑器v3.1（Varnel）使用帮助</title>";
  EXPECT_TRUE(Has(utf8, std::string(title.begin(), title.end())));
  EXPECT_FALSE(Has(utf8, "\xEF\xBF\xBD")) << "nothing was lost in the conversion";
}

TEST(HelpButton, WritesTheWholeDocumentAndOpensItsPathEachTime) {
  testing_support::FakeFrame frame;
  compose::OpenHelpPage();
  compose::OpenHelpPage();  // the same file, rewritten
  const std::string path = "TEMP\\composer-help-v3.1.html";
  EXPECT_EQ(frame.openedAddresses, (std::vector<std::string>{path, path}));
  ASSERT_EQ(frame.temporaryFiles.size(), 1u);
  EXPECT_EQ(frame.temporaryFiles[path], compose::HelpDocument(compose::ForumAddress()));

  EXPECT_TRUE(frame.messages.empty());
}

// The page always reaches the user: where the shell cannot open it, a message names the file and
// offers its path; where it cannot be written, a message says so. Nothing else is touched.
TEST(HelpButton, TellsWhereThePageIsWhenTheShellCannotOpenIt) {
  using ui::MessageAnswer;
  using ui::MessageButtons;
  const std::string path = "TEMP\\composer-help-v3.1.html";
  const std::string notOpened =
      "无法用浏览器打开帮助页面。\r\n\r\n帮助页面已保存在：\r\n"
      "TEMP\\composer-help-v3.1.html\r\n\r\n"
      "可以在浏览器中打开这个文件。要复制它的路径吗？";
  struct Row {
    const char* name;
    bool refuseFiles;
    bool refuseAddresses;
    std::optional<MessageAnswer> answer;
    std::vector<std::string> opened;
    std::string message;
    MessageButtons buttons;
    std::vector<std::string> clipboard;
  };
  const Row rows[] = {
      {"copy chosen",
       false,
       true,
       MessageAnswer::kYes,
       {path},
       notOpened,
       MessageButtons::kYesNo,
       {path}},
      {"closed", false, true, MessageAnswer::kNo, {path}, notOpened, MessageButtons::kYesNo, {}},
      {"not written",
       true,
       false,
       {},
       {},
       "无法保存帮助页面：临时文件夹不能写入（磁盘已满或没有写入权限）。",
       MessageButtons::kOk,
       {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    testing_support::FakeFrame frame;
    frame.refuseFiles = row.refuseFiles;
    frame.refuseAddresses = row.refuseAddresses;
    if (row.answer) frame.messageAnswers.push_back(*row.answer);
    compose::OpenHelpPage();
    EXPECT_EQ(frame.openedAddresses, row.opened);
    ASSERT_EQ(frame.messages.size(), 1u);
    EXPECT_EQ(frame.messages[0].title, "帮助页面");
    EXPECT_EQ(frame.messages[0].text, row.message);
    EXPECT_EQ(frame.messages[0].buttons, row.buttons);
    EXPECT_EQ(frame.clipboard, row.clipboard);
    EXPECT_TRUE(frame.writes.empty());
  }
}

}  // namespace
