// The composer's own help page, opened by 按钮25: one HTML document built from the reference
// texts the program carries (the plugin's command list, what each chooser composes, the directive
// tips, the example scripts) and the colour codes, written to the user's temporary folder and
// handed to the shell, which shows it in the default browser.
#pragma once

#include <string>
#include <string_view>

namespace compose {

// The plugin's forum thread, fixed at build time (COMPOSER_FORUM_URL); empty when the build names
// none, and the page then has no forum link.
std::string_view ForumAddress();

// The whole document, GBK like every text of the program: HTML5 that declares UTF-8, because it
// is converted whole before it is written. forumAddress, when not empty, is shown as a link.
std::string HelpDocument(std::string_view forumAddress);

// One file per version of the program, rewritten on every click.
inline constexpr std::string_view kHelpFileName = "composer-help-v3.1.html";

// What the user is told when the page does not reach the browser.
inline constexpr std::string_view kHelpMessageTitle = "帮助页面";
inline constexpr std::string_view kHelpNotOpenedText =
    "无法用浏览器打开帮助页面。\r\n\r\n帮助页面已保存在：\r\n";
inline constexpr std::string_view kHelpCopyQuestion =
    "\r\n\r\n可以在浏览器中打开这个文件。要复制它的路径吗？";
inline constexpr std::string_view kHelpNotWrittenText =
    "无法保存帮助页面：临时文件夹不能写入（磁盘已满或没有写入权限）。";

// Builds the document, writes it to the temporary folder and hands its path to the shell. When
// the shell cannot open it (no program for web pages), a message says where the page is and
// offers to copy that path; when it cannot even be written, a message says so.
void ShowHelpPage();

}  // namespace compose
