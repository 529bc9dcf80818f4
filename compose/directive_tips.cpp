// The directive tips (GBK texts, used exactly as written: unclosed parentheses and elements
// included).
#include "compose/directive_tips.h"

#include "ui/frame.h"

namespace compose {
namespace {

using namespace ui::ids;
using ui::Kind;

constexpr DirectiveTip kTips[] = {
    {编辑框1, Kind::kEditBox,
     "<font color = "
     "#D98719><b>玩家可以越权限指令，将脚本运行对象临时变为OP后执行一条指令(完整例子: "
     "@bypass /give %player% 264 1</font></b>"},
    {编辑框2, Kind::kEditBox,
     "<font color = #D98719><b>普通玩家指令，由脚本运行对象运行一条指令(完整例子: @command "
     "/spawn</font></b>"},
    {编辑框3, Kind::kEditBox,
     "<font color = #D98719><b>后台指令，由后台执行一条指令(完整例子: @console "
     "/say 服务器即将重启</font></b>"},
    {编辑框4, Kind::kEditBox,
     "<font color = "
     "#D98719><b>检测玩家的金钱数量是否大于指定数量，是则消耗之，否则不再运行剩余脚本行(完整例子: "
     "$cost:10086 &c使用它需要10086个金币</font></b>"},
    {编辑框5, Kind::kEditBox,
     "<font color = #D98719><b>向脚本运行对象发送一条聊天信息(完整例子: "
     "@msg:由VRNL发送的信息</font></b>"},
    {编辑框6, Kind::kEditBox,
     "<font color = #D98719><b>向脚本运行对象发送一条屏幕中央的信息</font></b>"},
    {按钮13, Kind::kButton,
     "<font color = #D98719><b>完整例子:$item:57#####&b&l点券 100 "
     "&c你必须拥有3个名为&b&l点券&c的钻石块才能使用它！你当前有%amount%个！</font></b>"},
    {按钮14, Kind::kButton, "<font color = #D98719><b>仅供参考</font></b>"},
    {编辑框12, Kind::kEditBox,
     "<font color = "
     "#D98719><b>检测玩家是否拥有对应权限，若没有则不再运行剩余脚本行(完整例子:@perm:essentials."
     "fly "
     "&c你必须拥有飞行权限才能使用它！</font></b>"},
    // The level tip never closes its elements: it stays bold and coloured to its end.
    {编辑框13, Kind::kEditBox,
     "<font color = "
     "#D98719><b>检测玩家等级是否符合要求，若不符合则不再运行剩余脚本行(完整例子:@papi:%player_"
     "level%>=30 &c你必须达到30级才能使用它！"},
    {编辑框14, Kind::kEditBox,
     "<font color = "
     "#D98719><b>检测玩家血量是否符合要求，若不符合则不再运行剩余脚本行(完整例子:@papi:%player_"
     "health%<10 &c你必须血量小于10才能使用它！</font></b>"},
    {按钮18, Kind::kButton, "<font color = #D98719><b>仅供参考</font></b>"},
};

}  // namespace

std::span<const DirectiveTip> DirectiveTips() {
  return kTips;
}

void AttachDirectiveTips() {
  constexpr ui::ControlRef kTipControl{kMainWindow, 气球提示框1, ui::Kind::kBalloonTip};
  for (const DirectiveTip& tip : kTips) {
    ui::Frame().AttachBalloonTip(kTipControl, {kMainWindow, tip.target, tip.kind}, tip.text, -1,
                                 {});
  }
}

}  // namespace compose
