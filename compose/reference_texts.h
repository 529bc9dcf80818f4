// The texts shown in the secondary windows "Varnel插件命令大全" and "Varnel插件的几个例子",
// line by line. GBK bytes with CR LF line breaks.
#pragma once

#include <string_view>

namespace compose {

// Three sections; each entry is a command line and its description, then an empty line.
// The last entry ends with its description line.
inline constexpr std::string_view kCommandListText =
    "* 编辑类指令 ->\r\n"
    "  /vrnl create 脚本名\r\n"
    "   新建一个脚本\r\n"
    "\r\n"
    "  /vrnl delete 脚本名\r\n"
    "   删除一个脚本\r\n"
    "\r\n"
    "  /vrnl add    脚本名 脚本行 \r\n"
    "   向指定脚本增加新的脚本行\r\n"
    "\r\n"
    "  /vrnl del     脚本名 行目    \r\n"
    "   删除指定脚本的指定行目的脚本行\r\n"
    "\r\n"
    "  /vrnl info    脚本名 \r\n"
    "   查看指定脚本的内容\r\n"
    "\r\n"
    "* 运行类指令 ->\r\n"
    "  /vrnl run 脚本名 \r\n"
    "   运行指定脚本\r\n"
    "\r\n"
    "  /vrnl run 脚本名 玩家名\r\n"
    "   让指定玩家触发指定脚本\r\n"
    "\r\n"
    "  /vrnl click 脚本名 个人冷却 全局冷却 \r\n"
    "   将指定脚本绑定到方块上让玩家点击触发\r\n"
    "\r\n"
    "  /vrnl walk  脚本名> 个人冷却 全局冷却 \r\n"
    "   将指定脚本绑定到方块上让玩家行走触发\r\n"
    "\r\n"
    "  /vrnl break 脚本名 个人冷却 全局冷却\r\n"
    "   将指定脚本绑定到方块上让玩家破坏触发\r\n"
    "\r\n"
    "  /vrnl unbind \r\n"
    "   解绑指定方块上的所有触发\r\n"
    "\r\n"
    "* 其他指令 ->\r\n"
    "  /vrnl reload \r\n"
    "   重载脚本文件";

// Example scripts; the last line has no line break.
inline constexpr std::string_view kExampleScriptsText =
    "回复生命:\r\n"
    "- '@papi:%player_health%<=10 &2你的血量必须要&b&n小于10&2或&b&n等于10&2才能回复生命.'\r\n"
    "- '@bypass /heal %player%'\r\n"
    "- '@msg:&c&o恭喜你成功恢复如初！'\r\n"
    "等级获得:\r\n"
    "- '@papi:%player_level%>=30 &2你必须达到或大于&b&n30级&2才能获得。'\r\n"
    "- '@bypass /give %player% 276 1'\r\n"
    "- '@msg:&e恭喜你获得了一把&b钻石剑&e！'\r\n"
    "权限获得:\r\n"
    "- '@perm:essentials.fly &2你必须拥有&b&n飞行权限&2才能获得羽毛！'\r\n"
    "- '@bypass /give %player% 288 1'\r\n"
    "- '@msg:&e恭喜你获得了一杖&f羽毛&e！'\r\n"
    "消耗执行:\r\n"
    "- $item:133#####&a绿宝石块 3 "
    "&2你需要&a&n3个绿宝石块&2才可以兑换&b&n1个钻石块&2，你当前拥有&c&n%amount%&2个！\r\n"
    "- '@bypass /give %player% 57 1'\r\n"
    "- '@msg:&e恭喜你获得了&b&n1个钻石块&e！'\r\n"
    "\r\n"
    "——————————————————————————分割线——————————————————————————\r\n"
    "\r\n"
    "连锁治疗脚本:\r\n"
    "- '@bypass /vrnl run 等级免费治疗 %player%'\r\n"
    "- '@bypass /vrnl run 等级不足花金钱治疗 %player%'\r\n"
    "等级免费治疗:\r\n"
    "- '@papi:%player_level%>=30  ！'\r\n"
    "- '@bypass /heal %player%'\r\n"
    "- '@title:&a恭喜你&e治疗成功&a！##&f&n恢复如初##10##60##10'\r\n"
    "等级不足花金钱治疗:\r\n"
    "- '@papi:%player_level%<30  ！'\r\n"
    "- '@title:&e需要消耗&610个金币&e治疗！##&c&n未达30级##10##60##10'\r\n"
    "- $cost:10 &f\r\n"
    "- '@bypass /heal %player%'\r\n"
    "- '@title:&a恭喜你&e治疗成功&a！##&f&n恢复如初##10##60##10'\r\n"
    "\r\n"
    "这些脚本仅供参考学习，都是用编辑器生成的指令做的\r\n"
    "这些只是Varnel插件内生成好的脚本格式，直接复制是没办法用的\r\n"
    "需要自己用指令做（这些例子纯编辑器做的）";

}  // namespace compose
