// The window description: the main window with its four tab pages, the five secondary windows of
// reference texts and illustrations, the script workbench with its import window, the server
// window and the console log.
// Positions are left, top, width, height in pixels relative to the parent; captions are GBK.
#include "app/window_description.h"

#include "app/server_console.h"
#include "app/wiring.h"
#include "app/workbench.h"
#include "assets/illustrations.h"
#include "compose/builders.h"
#include "compose/commands.h"
#include "compose/reference_texts.h"

namespace app {
namespace {

using namespace ui::ids;
using ui::ControlId;
using ui::Element;
using ui::EventBinding;
using ui::FontSpec;
using ui::Handler;
using ui::Kind;
using ui::kMainEvent;
using ui::Rgb;
using ui::TabPage;
using ui::WindowDescription;

template <Handler H>
inline constexpr EventBinding kOn[] = {{kMainEvent, H}};

constexpr FontSpec kSongTi12{"宋体", 12};
constexpr FontSpec kKaiTi16{"楷体", 16};
constexpr FontSpec kCaptionFont{"新宋体", 19, true};
constexpr Rgb kPurple = 0x9000FF;

constexpr std::string_view kChooser1Items[] = {"创建一个Varnel脚本", "删除一个Varnel脚本"};
constexpr std::string_view kChooser2Items[] = {"点击触发", "行走触发", "破坏触发",
                                               "让指定玩家触发指定脚本"};
constexpr std::string_view kChooser3Items[] = {"向指定脚本增加脚本行", "删除指定脚本的脚本行"};
constexpr std::string_view kChooser4Items[] = {
    "重载脚本文件",         "重载占位符变量",           "查询挂钩插件",
    "查看指定脚本的内容",   "解绑指定方块上的所有触发", "查询PlaceholderAPI版本",
    "下载占位符Player变量", "下载占位符javascript变量", "下载占位符Server变量",
    "下载占位符Sound变量",  "下载占位符Bungee变量",     "下载占位符vault变量"};

constexpr TabPage kPages[] = {
    {"脚本编辑", "创建或删除脚本；脚本触发类型；增加或者删除脚本内容行数命令编辑"},
    {"执行设置", "只需要输入脚本需要执行的指令就可以生成脚本行"},
    {"脚本权限/其他",
     "一样是编辑生成脚本行的，权限执行脚本行、等级执行脚本行、血量大小执行脚本行、增加脚本运行延"
     "迟"},
    {"插件完整例子/帖子", "软件制做的完整的脚本例子（高难度学习）"},
};

constexpr std::string_view kUsageGuide =
    "VarnelV3.0编辑器使用指南：\r\n"
    "\r\n"
    "软件内生成的均为Varnel插件的指令，编辑生成好的脚本行都需\r\n"
    "要复制好之后再配合脚本行增加才算是完整的增加脚本行指令。消耗指\r\n"
    "定物品执行需要的ID就是游戏中物品的数字代号，物品名字就是设置好\r\n"
    "的lore物品中文名（有颜色的名字要带颜色符号）冷却数值1000=1秒。";

constexpr ControlId kTabs = 高级选择夹1;

// clang-format off
constexpr Element kMainElements[] = {
    // Left: the four-page tab control.
    {.id = kTabs, .kind = Kind::kPageControl, .name = "高级选择夹1", .rect = {8, 8, 400, 486},
     .font = {"SimSun", 12}, .pages = kPages, .currentPage = 1, .tabStop = true},

    // Above the right-hand side: the way to the script workbench, and the command going to the
    // game server from above the command box's top right corner.
    {.id = 按钮26, .kind = Kind::kButton, .name = "按钮26", .rect = {580, 1, 160, 22},
     .caption = "脚本工作台 (Ctrl+E)", .events = kOn<&OpenWorkbench>, .tabStop = true},
    {.id = 按钮27, .kind = Kind::kButton, .name = "按钮27", .rect = {746, 1, 120, 22},
     .caption = "发送到服务器", .events = kOn<&SendCommandBox>, .tabStop = true},

    // Right: command output and script-line output.
    {.id = 分组框19, .kind = Kind::kGroupBox, .name = "分组框19", .rect = {416, 24, 450, 235},
     .caption = "指令生成窗口", .font = kCaptionFont},
    {.id = 编辑框15, .kind = Kind::kEditBox, .name = "编辑框15", .rect = {8, 20, 432, 168},
     .parent = 分组框19, .tabStop = true},
    {.id = 按钮19, .kind = Kind::kButton, .name = "按钮19", .rect = {8, 192, 200, 35},
     .parent = 分组框19, .caption = "复制指令", .events = kOn<&compose::CopyCommand>,
     .tabStop = true},
    {.id = 按钮20, .kind = Kind::kButton, .name = "按钮20", .rect = {240, 192, 200, 35},
     .parent = 分组框19, .caption = "清空指令内容", .events = kOn<&compose::ClearCommand>,
     .tabStop = true},
    {.id = 分组框20, .kind = Kind::kGroupBox, .name = "分组框20", .rect = {416, 259, 450, 235},
     .caption = "脚本行生成窗口", .font = kCaptionFont},
    {.id = 编辑框16, .kind = Kind::kEditBox, .name = "编辑框16", .rect = {8, 20, 432, 168},
     .parent = 分组框20, .tabStop = true},
    {.id = 按钮21, .kind = Kind::kButton, .name = "按钮21", .rect = {8, 192, 200, 35},
     .parent = 分组框20, .caption = "复制指令", .events = kOn<&compose::CopyScriptLines>,
     .tabStop = true},
    {.id = 按钮22, .kind = Kind::kButton, .name = "按钮22", .rect = {240, 192, 200, 35},
     .parent = 分组框20, .caption = "清空指令内容", .events = kOn<&compose::ClearScriptLines>,
     .tabStop = true},

    // Page 1 "脚本编辑".
    {.id = 分组框1, .kind = Kind::kGroupBox, .name = "分组框1", .rect = {8, 24, 384, 40},
     .parent = kTabs, .page = 1},
    {.id = 透明标签1, .kind = Kind::kTransLabel, .name = "透明标签1", .rect = {7, 12, 112, 20},
     .parent = 分组框1, .caption = "创建/删除脚本：", .font = kKaiTi16},
    {.id = 组合框1, .kind = Kind::kComboBox, .name = "组合框1", .rect = {123, 13, 176, 20},
     .parent = 分组框1, .items = kChooser1Items, .tabStop = true},
    {.id = 按钮1, .kind = Kind::kButton, .name = "按钮1", .rect = {304, 11, 73, 22},
     .parent = 分组框1, .caption = "生成指令", .font = kSongTi12,
     .events = kOn<&compose::ComposeScriptCommand>, .tabStop = true},
    {.id = 分组框2, .kind = Kind::kGroupBox, .name = "分组框2", .rect = {8, 64, 384, 40},
     .parent = kTabs, .page = 1},
    {.id = 透明标签2, .kind = Kind::kTransLabel, .name = "透明标签2", .rect = {7, 12, 112, 20},
     .parent = 分组框2, .caption = "脚本触发类型：", .font = kKaiTi16},
    {.id = 组合框2, .kind = Kind::kComboBox, .name = "组合框2", .rect = {115, 13, 185, 20},
     .parent = 分组框2, .items = kChooser2Items, .tabStop = true},
    {.id = 按钮2, .kind = Kind::kButton, .name = "按钮2", .rect = {304, 11, 73, 22},
     .parent = 分组框2, .caption = "生成指令", .font = {"", 12},
     .events = kOn<&compose::ComposeTriggerCommand>, .tabStop = true},
    {.id = 分组框3, .kind = Kind::kGroupBox, .name = "分组框3", .rect = {8, 104, 384, 40},
     .parent = kTabs, .page = 1},
    {.id = 透明标签3, .kind = Kind::kTransLabel, .name = "透明标签3", .rect = {7, 12, 129, 20},
     .parent = 分组框3, .caption = "脚本行增加/删除：", .font = kKaiTi16},
    {.id = 组合框3, .kind = Kind::kComboBox, .name = "组合框3", .rect = {139, 13, 162, 20},
     .parent = 分组框3, .items = kChooser3Items, .tabStop = true},
    {.id = 按钮3, .kind = Kind::kButton, .name = "按钮3", .rect = {304, 11, 73, 22},
     .parent = 分组框3, .caption = "生成指令", .events = kOn<&compose::ComposeScriptLineCommand>,
     .tabStop = true},
    {.id = 分组框4, .kind = Kind::kGroupBox, .name = "分组框4", .rect = {8, 144, 384, 40},
     .parent = kTabs, .page = 1},
    {.id = 透明标签4, .kind = Kind::kTransLabel, .name = "透明标签4", .rect = {7, 12, 105, 20},
     .parent = 分组框4, .caption = "其他特殊命令：", .font = kKaiTi16},
    {.id = 组合框4, .kind = Kind::kComboBox, .name = "组合框4", .rect = {116, 13, 185, 20},
     .parent = 分组框4, .items = kChooser4Items, .tabStop = true},
    {.id = 按钮4, .kind = Kind::kButton, .name = "按钮4", .rect = {304, 11, 73, 22},
     .parent = 分组框4, .caption = "生成指令", .events = kOn<&compose::ComposeOtherCommand>,
     .tabStop = true},
    {.id = 分组框5, .kind = Kind::kGroupBox, .name = "分组框5", .rect = {8, 184, 384, 50},
     .parent = kTabs, .page = 1},
    {.id = 透明标签5, .kind = Kind::kTransLabel, .name = "透明标签5", .rect = {19, 15, 344, 24},
     .parent = 分组框5, .caption = "脚本需要使用的玩家变量为：%player%", .font = {"微软雅黑", 19},
     .textColor = kPurple},
    {.id = 按钮5, .kind = Kind::kButton, .name = "按钮5", .rect = {8, 240, 384, 50},
     .parent = kTabs, .page = 1, .caption = "查询Varnel插件命令大全",
     .events = kOn<&compose::OpenCommandList>, .tabStop = true},
    {.id = 分组框21, .kind = Kind::kGroupBox, .name = "分组框21", .rect = {8, 296, 384, 88},
     .parent = kTabs, .page = 1},
    {.id = 透明标签20, .kind = Kind::kTransLabel, .name = "透明标签20", .rect = {40, 35, 336, 24},
     .parent = 分组框21, .font = {"楷体", 21, true}, .textColor = 0x00E080},
    {.id = 时钟1, .kind = Kind::kTimer, .name = "时钟1", .rect = {1, 7, 32, 32}, .parent = 分组框21,
     .interval = 1000, .events = kOn<&OnClockTick>, .visible = false},
    {.id = 简单超文本框1, .kind = Kind::kSimpleHtml, .name = "简单超文本框1",
     .rect = {8, 390, 384, 82}, .parent = kTabs, .page = 1, .caption = kUsageGuide},

    // Page 2 "执行设置": seven rows, each a gate radio box, its inputs and its builder button.
    // The captionless group boxes are frames drawn around the rows that lie over them.
    {.id = 分组框22, .kind = Kind::kGroupBox, .name = "分组框22", .rect = {8, 24, 384, 40},
     .parent = kTabs, .page = 2},
    {.id = 单选框1, .kind = Kind::kRadioBox, .name = "单选框1", .rect = {16, 37, 105, 20},
     .parent = kTabs, .page = 2, .caption = "OP权限执行", .font = kKaiTi16, .tabStop = true},
    {.id = 编辑框1, .kind = Kind::kEditBox, .name = "编辑框1", .rect = {137, 37, 173, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 按钮6, .kind = Kind::kButton, .name = "按钮6", .rect = {313, 35, 73, 22},
     .parent = kTabs, .page = 2, .caption = "生成脚本行", .font = kSongTi12,
     .events = kOn<&compose::BuildBypassLine>, .tabStop = true},
    {.id = 分组框23, .kind = Kind::kGroupBox, .name = "分组框23", .rect = {8, 64, 384, 40},
     .parent = kTabs, .page = 2},
    {.id = 单选框2, .kind = Kind::kRadioBox, .name = "单选框2", .rect = {16, 77, 121, 16},
     .parent = kTabs, .page = 2, .caption = "普通玩家执行", .font = kKaiTi16, .tabStop = true},
    {.id = 编辑框2, .kind = Kind::kEditBox, .name = "编辑框2", .rect = {137, 77, 173, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 按钮7, .kind = Kind::kButton, .name = "按钮7", .rect = {313, 75, 73, 22},
     .parent = kTabs, .page = 2, .caption = "生成脚本行", .font = kSongTi12,
     .events = kOn<&compose::BuildCommandLine>, .tabStop = true},
    {.id = 分组框24, .kind = Kind::kGroupBox, .name = "分组框24", .rect = {8, 104, 384, 40},
     .parent = kTabs, .page = 2},
    {.id = 单选框3, .kind = Kind::kRadioBox, .name = "单选框3", .rect = {16, 117, 120, 20},
     .parent = kTabs, .page = 2, .caption = "后台执行指令", .font = kKaiTi16, .tabStop = true},
    {.id = 编辑框3, .kind = Kind::kEditBox, .name = "编辑框3", .rect = {137, 117, 173, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 按钮8, .kind = Kind::kButton, .name = "按钮8", .rect = {313, 115, 73, 22},
     .parent = kTabs, .page = 2, .caption = "生成脚本行", .font = kSongTi12,
     .events = kOn<&compose::BuildConsoleLine>, .tabStop = true},
    {.id = 分组框25, .kind = Kind::kGroupBox, .name = "分组框25", .rect = {8, 144, 384, 40},
     .parent = kTabs, .page = 2},
    {.id = 单选框4, .kind = Kind::kRadioBox, .name = "单选框4", .rect = {16, 157, 120, 20},
     .parent = kTabs, .page = 2, .caption = "消耗金钱执行", .font = kKaiTi16, .tabStop = true},
    {.id = 编辑框4, .kind = Kind::kEditBox, .name = "编辑框4", .rect = {137, 157, 173, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 按钮9, .kind = Kind::kButton, .name = "按钮9", .rect = {313, 155, 73, 22},
     .parent = kTabs, .page = 2, .caption = "生成脚本行", .font = kSongTi12,
     .events = kOn<&compose::BuildCostLine>, .tabStop = true},
    {.id = 分组框6, .kind = Kind::kGroupBox, .name = "分组框6", .rect = {8, 184, 384, 60},
     .parent = kTabs, .page = 2},
    {.id = 单选框5, .kind = Kind::kRadioBox, .name = "单选框5", .rect = {17, 194, 312, 20},
     .parent = kTabs, .page = 2, .caption = "发送ActionBar信息 (仅支持1.8+服务器)",
     .font = kKaiTi16, .tabStop = true},
    {.id = 编辑框5, .kind = Kind::kEditBox, .name = "编辑框5", .rect = {17, 216, 304, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 按钮10, .kind = Kind::kButton, .name = "按钮10", .rect = {329, 192, 56, 48},
     .parent = kTabs, .page = 2, .caption = "生成脚本行", .font = {"", 14},
     .events = kOn<&compose::BuildMessageLine>, .tabStop = true},
    {.id = 分组框7, .kind = Kind::kGroupBox, .name = "分组框7", .rect = {8, 244, 384, 88},
     .parent = kTabs, .page = 2},
    {.id = 单选框6, .kind = Kind::kRadioBox, .name = "单选框6", .rect = {17, 255, 280, 20},
     .parent = kTabs, .page = 2, .caption = "发送Title信息 (仅支持1.8+服务器)", .font = kKaiTi16,
     .tabStop = true},
    {.id = 透明标签6, .kind = Kind::kTransLabel, .name = "透明标签6", .rect = {17, 278, 56, 16},
     .parent = kTabs, .page = 2, .caption = "主标题：", .font = kKaiTi16},
    {.id = 编辑框6, .kind = Kind::kEditBox, .name = "编辑框6", .rect = {73, 278, 232, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 透明标签7, .kind = Kind::kTransLabel, .name = "透明标签7", .rect = {17, 305, 56, 16},
     .parent = kTabs, .page = 2, .caption = "副标题：", .font = kKaiTi16},
    {.id = 编辑框7, .kind = Kind::kEditBox, .name = "编辑框7", .rect = {73, 305, 232, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 按钮11, .kind = Kind::kButton, .name = "按钮11", .rect = {313, 275, 73, 45},
     .parent = kTabs, .page = 2, .caption = "生成脚本行", .font = kSongTi12,
     .events = kOn<&compose::BuildTitleLine>, .tabStop = true},
    {.id = 分组框8, .kind = Kind::kGroupBox, .name = "分组框8", .rect = {8, 332, 384, 142},
     .parent = kTabs, .page = 2},
    {.id = 单选框7, .kind = Kind::kRadioBox, .name = "单选框7", .rect = {16, 347, 184, 20},
     .parent = kTabs, .page = 2, .caption = "消耗指定物品执行", .font = {"楷体", 20},
     .tabStop = true},
    {.id = 透明标签12, .kind = Kind::kTransLabel, .name = "透明标签12", .rect = {201, 349, 175, 16},
     .parent = kTabs, .page = 2, .caption = "显示持有物品变量:%amount%", .font = {"新宋体", 14},
     .textColor = kPurple},
    {.id = 透明标签8, .kind = Kind::kTransLabel, .name = "透明标签8", .rect = {17, 373, 56, 16},
     .parent = kTabs, .page = 2, .caption = "物品ID：", .font = kKaiTi16},
    {.id = 编辑框8, .kind = Kind::kEditBox, .name = "编辑框8", .rect = {88, 373, 232, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 透明标签9, .kind = Kind::kTransLabel, .name = "透明标签9", .rect = {17, 397, 72, 16},
     .parent = kTabs, .page = 2, .caption = "物品名字：", .font = kKaiTi16},
    {.id = 编辑框9, .kind = Kind::kEditBox, .name = "编辑框9", .rect = {89, 397, 232, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 透明标签10, .kind = Kind::kTransLabel, .name = "透明标签10", .rect = {17, 421, 72, 16},
     .parent = kTabs, .page = 2, .caption = "物品数量：", .font = kKaiTi16},
    {.id = 编辑框10, .kind = Kind::kEditBox, .name = "编辑框10", .rect = {89, 421, 232, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 透明标签11, .kind = Kind::kTransLabel, .name = "透明标签11", .rect = {17, 445, 136, 16},
     .parent = kTabs, .page = 2, .caption = "物品数量不足提示：", .font = kKaiTi16},
    {.id = 编辑框11, .kind = Kind::kEditBox, .name = "编辑框11", .rect = {153, 445, 232, 20},
     .parent = kTabs, .page = 2, .tabStop = true},
    {.id = 按钮13, .kind = Kind::kButton, .name = "按钮13", .rect = {329, 373, 56, 35},
     .parent = kTabs, .page = 2, .caption = "生成脚\r\n本行", .font = {"", 12},
     .events = kOn<&compose::BuildItemLine>, .tabStop = true},
    {.id = 按钮14, .kind = Kind::kButton, .name = "按钮14", .rect = {329, 408, 56, 35},
     .parent = kTabs, .page = 2, .caption = "详细\r\n图解",
     .events = kOn<&compose::OpenItemIllustration>, .tabStop = true},
    {.id = 气球提示框1, .kind = Kind::kBalloonTip, .name = "气球提示框1", .rect = {296, 0, 24, 16},
     .parent = kTabs, .page = 2, .visible = false},

    // Page 3 "脚本权限/其他": four ungated rows and the illustration buttons.
    {.id = 分组框13, .kind = Kind::kGroupBox, .name = "分组框13", .rect = {8, 24, 384, 48},
     .parent = kTabs, .page = 3},
    {.id = 透明标签13, .kind = Kind::kTransLabel, .name = "透明标签13", .rect = {32, 14, 320, 24},
     .parent = 分组框13, .caption = "提示：如果执行脚本权限请先添加权限命令！",
     .font = {"微软雅黑", 16}, .textColor = 0xFF0000},
    {.id = 分组框14, .kind = Kind::kGroupBox, .name = "分组框14", .rect = {8, 72, 384, 64},
     .parent = kTabs, .page = 3},
    {.id = 透明标签14, .kind = Kind::kTransLabel, .name = "透明标签14", .rect = {8, 10, 136, 16},
     .parent = 分组框14, .caption = "指定权限执行脚本：", .font = kKaiTi16},
    {.id = 编辑框12, .kind = Kind::kEditBox, .name = "编辑框12", .rect = {8, 30, 293, 24},
     .parent = 分组框14, .tabStop = true},
    {.id = 按钮15, .kind = Kind::kButton, .name = "按钮15", .rect = {304, 28, 73, 25},
     .parent = 分组框14, .caption = "生成脚本行", .font = kSongTi12,
     .events = kOn<&compose::BuildPermissionLine>, .tabStop = true},
    {.id = 分组框15, .kind = Kind::kGroupBox, .name = "分组框15", .rect = {8, 136, 384, 64},
     .parent = kTabs, .page = 3},
    {.id = 透明标签15, .kind = Kind::kTransLabel, .name = "透明标签15", .rect = {8, 10, 136, 16},
     .parent = 分组框15, .caption = "指定等级执行脚本：", .font = kKaiTi16},
    {.id = 编辑框13, .kind = Kind::kEditBox, .name = "编辑框13", .rect = {8, 30, 293, 24},
     .parent = 分组框15, .tabStop = true},
    {.id = 按钮16, .kind = Kind::kButton, .name = "按钮16", .rect = {304, 30, 73, 25},
     .parent = 分组框15, .caption = "生成脚本行", .font = kSongTi12,
     .events = kOn<&compose::BuildLevelLine>, .tabStop = true},
    {.id = 分组框16, .kind = Kind::kGroupBox, .name = "分组框16", .rect = {8, 200, 384, 64},
     .parent = kTabs, .page = 3},
    {.id = 透明标签16, .kind = Kind::kTransLabel, .name = "透明标签16", .rect = {8, 10, 136, 16},
     .parent = 分组框16, .caption = "指定血量执行脚本：", .font = kKaiTi16},
    {.id = 编辑框14, .kind = Kind::kEditBox, .name = "编辑框14", .rect = {8, 30, 293, 24},
     .parent = 分组框16, .tabStop = true},
    {.id = 按钮17, .kind = Kind::kButton, .name = "按钮17", .rect = {304, 29, 73, 25},
     .parent = 分组框16, .caption = "生成脚本行", .font = kSongTi12,
     .events = kOn<&compose::BuildHealthLine>, .tabStop = true},
    {.id = 分组框11, .kind = Kind::kGroupBox, .name = "分组框11", .rect = {8, 264, 384, 64},
     .parent = kTabs, .page = 3},
    {.id = 透明标签18, .kind = Kind::kTransLabel, .name = "透明标签18", .rect = {8, 10, 136, 16},
     .parent = 分组框11, .caption = "增加脚本运行延迟：", .font = kKaiTi16},
    {.id = 编辑框17, .kind = Kind::kEditBox, .name = "编辑框17", .rect = {8, 30, 293, 24},
     .parent = 分组框11, .tabStop = true},
    {.id = 按钮23, .kind = Kind::kButton, .name = "按钮23", .rect = {304, 29, 73, 25},
     .parent = 分组框11, .caption = "生成脚本行", .font = kSongTi12,
     .events = kOn<&compose::BuildDelayLine>, .tabStop = true},
    {.id = 分组框17, .kind = Kind::kGroupBox, .name = "分组框17", .rect = {8, 328, 384, 100},
     .parent = kTabs, .page = 3},
    {.id = 按钮18, .kind = Kind::kButton, .name = "按钮18", .rect = {10, 16, 180, 72},
     .parent = 分组框17, .caption = "延迟详细图解", .events = kOn<&compose::OpenDelayIllustration>,
     .tabStop = true},
    {.id = 按钮24, .kind = Kind::kButton, .name = "按钮24", .rect = {195, 16, 180, 72},
     .parent = 分组框17, .caption = "部分详细图解",
     .events = kOn<&compose::OpenConditionIllustration>, .tabStop = true},
    {.id = 分组框18, .kind = Kind::kGroupBox, .name = "分组框18", .rect = {8, 428, 384, 51},
     .parent = kTabs, .page = 3},
    {.id = 透明标签17, .kind = Kind::kTransLabel, .name = "透明标签17", .rect = {20, 16, 344, 24},
     .parent = 分组框18, .caption = "检测等级执行用的变量: %player_level%",
     .font = {"微软雅黑", 19}, .textColor = kPurple},

    // Page 4 "插件完整例子/帖子".
    {.id = 分组框9, .kind = Kind::kGroupBox, .name = "分组框9", .rect = {8, 24, 384, 112},
     .parent = kTabs, .page = 4},
    {.id = 按钮12, .kind = Kind::kButton, .name = "按钮12", .rect = {10, 14, 180, 88},
     .parent = 分组框9, .caption = "参考作者写的几个例子", .font = {"楷体", 32},
     .events = kOn<&compose::OpenExamples>, .tabStop = true},
    {.id = 按钮25, .kind = Kind::kButton, .name = "按钮25", .rect = {194, 14, 180, 88},
     .parent = 分组框9, .caption = "岚式脚本方块插件帖子", .font = {"楷体", 32},
     .events = kOn<&compose::OpenHelpPage>, .tabStop = true},
    {.id = 分组框10, .kind = Kind::kGroupBox, .name = "分组框10", .rect = {8, 136, 384, 48},
     .parent = kTabs, .page = 4},
    {.id = 透明标签19, .kind = Kind::kTransLabel, .name = "透明标签19", .rect = {96, 15, 184, 24},
     .parent = 分组框10, .caption = "交流群见插件帖子", .font = {"微软雅黑", 21},
     .textColor = 0x008000},
};
// clang-format on

// clang-format off
constexpr Element kCommandListElements[] = {
    {.id = kCommandListText, .kind = Kind::kRichEdit, .name = "超级编辑框1",
     .rect = {8, 8, 352, 632}, .caption = compose::kCommandListText, .tabStop = true},
};
// clang-format on
// clang-format off
constexpr Element kItemIllustrationElements[] = {
    {.id = kItemIllustration, .kind = Kind::kPicBox, .name = "图片框1", .rect = {0, 0, 480, 232},
     .picture = assets::kItemIllustrationPng},
};
// clang-format on
// clang-format off
constexpr Element kConditionIllustrationElements[] = {
    {.id = kConditionIllustration, .kind = Kind::kPicBox, .name = "图片框1",
     .rect = {0, 0, 472, 800}, .picture = assets::kConditionIllustrationPng},
};
// clang-format on
// clang-format off
constexpr Element kExamplesElements[] = {
    {.id = kExamplesText, .kind = Kind::kRichEdit, .name = "超级编辑框1", .rect = {8, 8, 672, 584},
     .caption = compose::kExampleScriptsText, .tabStop = true},
};
// clang-format on
// clang-format off
constexpr Element kDelayIllustrationElements[] = {
    {.id = kDelayIllustration, .kind = Kind::kPicBox, .name = "图片框1", .rect = {0, 0, 480, 272},
     .picture = assets::kDelayIllustrationPng},
};
// clang-format on

using Command = WorkbenchCommand;

// clang-format off
constexpr Element kWorkbenchElements[] = {
    // The script: its name, its file and the commands on it.
    {.id = kScriptNameLabel, .kind = Kind::kTransLabel, .name = "透明标签1", .rect = {8, 12, 92, 16},
     .caption = "脚本名称(&M)："},
    {.id = kScriptName, .kind = Kind::kEditBox, .name = "编辑框1", .rect = {100, 9, 190, 22},
     .tabStop = true},
    {.id = kNewScript, .kind = Kind::kButton, .name = "按钮1", .rect = {300, 8, 70, 25},
     .caption = "新建(&N)", .events = kOn<&RunCommand<Command::kNew>>, .tabStop = true},
    {.id = kOpenScript, .kind = Kind::kButton, .name = "按钮2", .rect = {374, 8, 70, 25},
     .caption = "打开(&O)…", .events = kOn<&RunCommand<Command::kOpen>>, .tabStop = true},
    {.id = kRecentScripts, .kind = Kind::kButton, .name = "按钮3", .rect = {448, 8, 90, 25},
     .caption = "最近打开(&R)", .events = kOn<&RunCommand<Command::kRecent>>, .tabStop = true},
    {.id = kSaveScript, .kind = Kind::kButton, .name = "按钮4", .rect = {542, 8, 70, 25},
     .caption = "保存(&S)", .events = kOn<&RunCommand<Command::kSave>>, .tabStop = true},
    {.id = kSaveScriptAs, .kind = Kind::kButton, .name = "按钮5", .rect = {616, 8, 84, 25},
     .caption = "另存为(&A)…", .events = kOn<&RunCommand<Command::kSaveAs>>, .tabStop = true},
    {.id = kImportLines, .kind = Kind::kButton, .name = "按钮6", .rect = {704, 8, 84, 25},
     .caption = "导入(&I)…", .events = kOn<&RunCommand<Command::kImport>>, .tabStop = true},
    {.id = kScriptStatus, .kind = Kind::kTransLabel, .name = "透明标签2",
     .rect = {8, 38, 942, 16}},

    // The rows.
    {.id = kRowsGroup, .kind = Kind::kGroupBox, .name = "分组框1", .rect = {8, 60, 600, 300},
     .caption = "脚本行 (Alt+L)"},
    // A row list draws no caption: its caption is its name for screen readers and its key.
    {.id = kScriptRows, .kind = Kind::kRowList, .name = "行列表框1", .rect = {8, 22, 584, 236},
     .parent = kRowsGroup, .caption = "脚本行(&L)", .tabStop = true},
    {.id = kMoveRowUp, .kind = Kind::kButton, .name = "按钮7", .rect = {8, 264, 88, 28},
     .parent = kRowsGroup, .caption = "上移 Alt+↑", .events = kOn<&RunCommand<Command::kMoveUp>>,
     .tabStop = true},
    {.id = kMoveRowDown, .kind = Kind::kButton, .name = "按钮8", .rect = {100, 264, 88, 28},
     .parent = kRowsGroup, .caption = "下移 Alt+↓", .events = kOn<&RunCommand<Command::kMoveDown>>,
     .tabStop = true},
    {.id = kDuplicateRow, .kind = Kind::kButton, .name = "按钮9", .rect = {192, 264, 110, 28},
     .parent = kRowsGroup, .caption = "复制一行 Ctrl+D", .events = kOn<&RunCommand<Command::kDuplicate>>,
     .tabStop = true},
    {.id = kDeleteRow, .kind = Kind::kButton, .name = "按钮10", .rect = {306, 264, 80, 28},
     .parent = kRowsGroup, .caption = "删除 Del", .events = kOn<&RunCommand<Command::kDelete>>,
     .tabStop = true},
    {.id = kUndoChange, .kind = Kind::kButton, .name = "按钮11", .rect = {390, 264, 96, 28},
     .parent = kRowsGroup, .caption = "撤销 Ctrl+Z", .events = kOn<&RunCommand<Command::kUndo>>,
     .tabStop = true},
    {.id = kRedoChange, .kind = Kind::kButton, .name = "按钮12", .rect = {490, 264, 96, 28},
     .parent = kRowsGroup, .caption = "重做 Ctrl+Y", .events = kOn<&RunCommand<Command::kRedo>>,
     .tabStop = true},

    // The selected row as the fields of its directive, and as the whole line.
    {.id = kEditGroup, .kind = Kind::kGroupBox, .name = "分组框2", .rect = {8, 366, 600, 254},
     .caption = "修改所选行"},
    {.id = kDirectiveCaption, .kind = Kind::kTransLabel, .name = "透明标签3",
     .rect = {12, 22, 576, 18}, .parent = kEditGroup, .font = {"", 14, true}},
    // A label and an input per field of the row's directive (five at most: a title's), their
    // captions set for each row.
    {.id = kFieldLabels[0], .kind = Kind::kTransLabel, .name = "透明标签4",
     .rect = {12, 47, 128, 16}, .parent = kEditGroup},
    {.id = kFields[0], .kind = Kind::kEditBox, .name = "编辑框2", .rect = {144, 44, 444, 22},
     .parent = kEditGroup, .tabStop = true},
    {.id = kFieldLabels[1], .kind = Kind::kTransLabel, .name = "透明标签5",
     .rect = {12, 75, 128, 16}, .parent = kEditGroup},
    {.id = kFields[1], .kind = Kind::kEditBox, .name = "编辑框3", .rect = {144, 72, 444, 22},
     .parent = kEditGroup, .tabStop = true},
    {.id = kFieldLabels[2], .kind = Kind::kTransLabel, .name = "透明标签6",
     .rect = {12, 103, 128, 16}, .parent = kEditGroup},
    {.id = kFields[2], .kind = Kind::kEditBox, .name = "编辑框4", .rect = {144, 100, 444, 22},
     .parent = kEditGroup, .tabStop = true},
    {.id = kFieldLabels[3], .kind = Kind::kTransLabel, .name = "透明标签7",
     .rect = {12, 131, 128, 16}, .parent = kEditGroup},
    {.id = kFields[3], .kind = Kind::kEditBox, .name = "编辑框5", .rect = {144, 128, 444, 22},
     .parent = kEditGroup, .tabStop = true},
    {.id = kFieldLabels[4], .kind = Kind::kTransLabel, .name = "透明标签8",
     .rect = {12, 159, 128, 16}, .parent = kEditGroup},
    {.id = kFields[4], .kind = Kind::kEditBox, .name = "编辑框6", .rect = {144, 156, 444, 22},
     .parent = kEditGroup, .tabStop = true},
    {.id = kRawLineLabel, .kind = Kind::kTransLabel, .name = "透明标签9",
     .rect = {12, 190, 128, 16}, .parent = kEditGroup, .caption = "整行(&E)："},
    {.id = kRawLine, .kind = Kind::kEditBox, .name = "编辑框7", .rect = {144, 187, 444, 22},
     .parent = kEditGroup, .tabStop = true},
    {.id = kApplyEdit, .kind = Kind::kButton, .name = "按钮13", .rect = {144, 218, 130, 28},
     .parent = kEditGroup, .caption = "应用修改 Enter", .events = kOn<&RunCommand<Command::kApplyEdit>>,
     .tabStop = true},
    {.id = kDiscardEdit, .kind = Kind::kButton, .name = "按钮14", .rect = {280, 218, 130, 28},
     .parent = kEditGroup, .caption = "放弃修改 Esc", .events = kOn<&RunCommand<Command::kDiscardEdit>>,
     .tabStop = true},

    // The commands that create the script: copied, or sent to the game server, as one block.
    {.id = kExportGroup, .kind = Kind::kGroupBox, .name = "分组框3", .rect = {616, 60, 334, 300},
     .caption = "导出指令"},
    {.id = kWithCreate, .kind = Kind::kCheckBox, .name = "选择框1", .rect = {10, 22, 314, 20},
     .parent = kExportGroup, .caption = "开头加上创建脚本的指令 /vrnl create(&C)",
     .tabStop = true},
    {.id = kExportAll, .kind = Kind::kButton, .name = "按钮15", .rect = {10, 46, 150, 30},
     .parent = kExportGroup, .caption = "生成全部指令(&G)", .events = kOn<&RunCommand<Command::kExportAll>>,
     .tabStop = true},
    {.id = kSendAll, .kind = Kind::kButton, .name = "按钮17", .rect = {166, 46, 158, 30},
     .parent = kExportGroup, .caption = "发送到服务器(&V)", .events = kOn<&RunCommand<Command::kSendAll>>,
     .tabStop = true},
    {.id = kExportList, .kind = Kind::kRowList, .name = "行列表框2", .rect = {10, 82, 314, 176},
     .parent = kExportGroup, .caption = "导出的指令", .tabStop = true},
    {.id = kCopyCommand, .kind = Kind::kButton, .name = "按钮16", .rect = {10, 264, 150, 28},
     .parent = kExportGroup, .caption = "复制这条指令(&P)",
     .events = kOn<&RunCommand<Command::kCopyCommand>>, .tabStop = true},

    // Every command copied from the program, newest first.
    {.id = kHistoryGroup, .kind = Kind::kGroupBox, .name = "分组框4", .rect = {616, 366, 334, 254},
     .caption = "复制过的指令"},
    {.id = kHistorySearchLabel, .kind = Kind::kTransLabel, .name = "透明标签10",
     .rect = {10, 26, 62, 16}, .parent = kHistoryGroup, .caption = "搜索(&F)："},
    {.id = kHistorySearch, .kind = Kind::kEditBox, .name = "编辑框8", .rect = {72, 22, 252, 22},
     .parent = kHistoryGroup, .tabStop = true},
    {.id = kHistoryList, .kind = Kind::kRowList, .name = "行列表框3", .rect = {10, 50, 314, 140},
     .parent = kHistoryGroup, .caption = "复制过的指令", .tabStop = true},
    {.id = kSendHistoryEntry, .kind = Kind::kButton, .name = "按钮18", .rect = {10, 196, 150, 26},
     .parent = kHistoryGroup, .caption = "发送所选指令(&T)",
     .events = kOn<&RunCommand<Command::kSendHistoryEntry>>, .tabStop = true},
    {.id = kHistoryHint, .kind = Kind::kTransLabel, .name = "透明标签11",
     .rect = {10, 228, 314, 16}, .parent = kHistoryGroup,
     .caption = "单击一条（或选中后按回车）即再次复制"},
};

constexpr Element kImportElements[] = {
    {.id = kPasteLabel, .kind = Kind::kTransLabel, .name = "透明标签1", .rect = {8, 8, 596, 32},
     .caption = "把要导入的文本粘贴(&T)到下面：每行一条脚本行、/vrnl add 指令，\r\n"
                "或者“脚本行生成窗口”里连在一起的脚本行。"},
    {.id = kPastedText, .kind = Kind::kRichEdit, .name = "超级编辑框1", .rect = {8, 44, 596, 130},
     .tabStop = true},
    {.id = kReadingLabel, .kind = Kind::kTransLabel, .name = "透明标签2", .rect = {8, 182, 596, 16},
     .caption = "读出的脚本行 (Alt+L)：可能本是一行的两段，可以合并或者拆开"},
    {.id = kReadingRows, .kind = Kind::kRowList, .name = "行列表框1", .rect = {8, 202, 596, 190},
     .caption = "读出的脚本行(&L)", .tabStop = true},
    {.id = kJoinRow, .kind = Kind::kButton, .name = "按钮1", .rect = {8, 398, 140, 28},
     .caption = "与上一行合并(&J)", .events = kOn<&RunCommand<Command::kJoinRow>>, .tabStop = true},
    {.id = kSplitRow, .kind = Kind::kButton, .name = "按钮2", .rect = {154, 398, 100, 28},
     .caption = "拆开(&K)", .events = kOn<&RunCommand<Command::kSplitRow>>, .tabStop = true},
    {.id = kScriptChoiceLabel, .kind = Kind::kTransLabel, .name = "透明标签3",
     .rect = {270, 404, 100, 16}, .caption = "导入哪个脚本："},
    {.id = kScriptChoice, .kind = Kind::kComboBox, .name = "组合框1", .rect = {372, 401, 232, 20},
     .tabStop = true},
    {.id = kImportRows, .kind = Kind::kButton, .name = "按钮3", .rect = {384, 440, 106, 30},
     .caption = "导入(&I)", .events = kOn<&RunCommand<Command::kImportRows>>, .tabStop = true},
    {.id = kCancelImport, .kind = Kind::kButton, .name = "按钮4", .rect = {498, 440, 106, 30},
     .caption = "取消", .events = kOn<&RunCommand<Command::kCancelImport>>, .tabStop = true},
};
// clang-format on

// The server window: the servers kept (one chosen in the list), the chosen one's fields, its
// login test and the warning for a host outside the private ranges. Labels hold their own line
// breaks.
// clang-format off
constexpr Element kServerElements[] = {
    {.id = kServerListLabel, .kind = Kind::kTransLabel, .name = "透明标签1",
     .rect = {12, 16, 56, 20}, .caption = "服务器："},
    {.id = kServerList, .kind = Kind::kComboBox, .name = "组合框1", .rect = {72, 13, 200, 22},
     .tabStop = true},
    {.id = kServerNew, .kind = Kind::kButton, .name = "按钮1", .rect = {280, 12, 70, 24},
     .caption = "新建", .events = kOn<&NewServer>, .tabStop = true},
    {.id = kServerDelete, .kind = Kind::kButton, .name = "按钮2", .rect = {356, 12, 70, 24},
     .caption = "删除", .events = kOn<&DeleteServer>, .tabStop = true},
    {.id = kServerNameLabel, .kind = Kind::kTransLabel, .name = "透明标签2",
     .rect = {12, 55, 56, 20}, .caption = "名称："},
    {.id = kServerName, .kind = Kind::kEditBox, .name = "编辑框1", .rect = {72, 52, 354, 22},
     .tabStop = true},
    {.id = kServerHostLabel, .kind = Kind::kTransLabel, .name = "透明标签3",
     .rect = {12, 87, 56, 20}, .caption = "地址："},
    {.id = kServerHost, .kind = Kind::kEditBox, .name = "编辑框2", .rect = {72, 84, 222, 22},
     .tabStop = true},
    {.id = kServerPortLabel, .kind = Kind::kTransLabel, .name = "透明标签4",
     .rect = {304, 87, 48, 20}, .caption = "端口："},
    {.id = kServerPort, .kind = Kind::kEditBox, .name = "编辑框3", .rect = {356, 84, 70, 22},
     .tabStop = true},
    {.id = kServerPasswordLabel, .kind = Kind::kTransLabel, .name = "透明标签5",
     .rect = {12, 119, 56, 20}, .caption = "密码："},
    {.id = kServerPassword, .kind = Kind::kEditBox, .name = "编辑框4", .rect = {72, 116, 354, 22},
     .tabStop = true},
    {.id = kServerPasswordHint, .kind = Kind::kTransLabel, .name = "透明标签6",
     .rect = {72, 142, 354, 18}, .textColor = 0x707070},
    {.id = kServerWarning, .kind = Kind::kTransLabel, .name = "透明标签7",
     .rect = {12, 168, 414, 36}, .textColor = 0xD00000},
    {.id = kServerTest, .kind = Kind::kButton, .name = "按钮3", .rect = {12, 214, 90, 26},
     .caption = "测试连接", .events = kOn<&TestServerLogin>, .tabStop = true},
    {.id = kServerResult, .kind = Kind::kTransLabel, .name = "透明标签8",
     .rect = {110, 218, 316, 36}},
    {.id = kServerSave, .kind = Kind::kButton, .name = "按钮4", .rect = {250, 264, 84, 28},
     .caption = "保存", .events = kOn<&SaveServer>, .tabStop = true},
    {.id = kServerClose, .kind = Kind::kButton, .name = "按钮5", .rect = {342, 264, 84, 28},
     .caption = "关闭", .events = kOn<&CloseServerSettings>, .tabStop = true},
};
// clang-format on

// The console log window: where commands go, the log's lines, copying and stopping.
// clang-format off
constexpr Element kConsoleLogElements[] = {
    {.id = kConsoleTarget, .kind = Kind::kTransLabel, .name = "透明标签1",
     .rect = {8, 12, 520, 20}},
    {.id = kConsoleSettings, .kind = Kind::kButton, .name = "按钮1", .rect = {536, 8, 96, 26},
     .caption = "服务器设置", .events = kOn<&OpenServerSettings>, .tabStop = true},
    {.id = kConsoleLines, .kind = Kind::kConsoleLog, .name = "日志框1", .rect = {8, 42, 624, 350},
     .tabStop = true},
    {.id = kConsoleCopyAll, .kind = Kind::kButton, .name = "按钮2", .rect = {8, 402, 100, 28},
     .caption = "复制全部", .events = kOn<&CopyConsoleLog>, .tabStop = true},
    {.id = kConsoleStop, .kind = Kind::kButton, .name = "按钮3", .rect = {116, 402, 100, 28},
     .caption = "停止发送", .events = kOn<&StopSendingToServer>, .tabStop = true},
};
// clang-format on

constexpr WindowDescription kWindows[] = {
    {.id = kMainWindow,
     .title = "岚式脚本方块编辑器v3.1（Varnel）",
     .width = 880,
     .height = 528,
     .programIcon = true,
     .elements = kMainElements,
     .events = kOn<&OnMainWindowCreated>},
    {.id = kCommandListWindow,
     .title = "Varnel插件命令大全",
     .width = 373,
     .height = 675,
     .programIcon = true,
     .elements = kCommandListElements},
    {.id = kItemIllustrationWindow,
     .title = "消耗指定物品执行图解例子",
     .width = 485,
     .height = 254,
     .programIcon = true,
     .elements = kItemIllustrationElements},
    {.id = kConditionIllustrationWindow,
     .title = "判断类脚本行图解例子",
     .width = 476,
     .height = 825,
     .programIcon = true,
     .elements = kConditionIllustrationElements},
    {.id = kExamplesWindow,
     .title = "Varnel插件的几个例子",
     .width = 692,
     .height = 627,
     .elements = kExamplesElements},
    {.id = kDelayIllustrationWindow,
     .title = "延迟脚本行图解例子",
     .width = 484,
     .height = 298,
     .elements = kDelayIllustrationElements},
    {.id = kWorkbenchWindow,
     .title = "脚本工作台",
     .width = 966,
     .height = 664,
     .programIcon = true,
     .elements = kWorkbenchElements},
    {.id = kImportWindow,
     .title = "导入脚本行",
     .width = 618,
     .height = 510,
     .programIcon = true,
     .elements = kImportElements},
    {.id = kServerWindow,
     .title = "服务器",
     .width = 446,
     .height = 334,
     .programIcon = true,
     .elements = kServerElements,
     .events = kOn<&OnServerWindowCreated>},
    {.id = kConsoleLogWindow,
     .title = "控制台日志",
     .width = 656,
     .height = 478,
     .programIcon = true,
     .elements = kConsoleLogElements,
     .events = kOn<&OnConsoleLogWindowCreated>},
};

}  // namespace

std::span<const WindowDescription> WindowDescriptions() {
  return kWindows;
}

}  // namespace app
