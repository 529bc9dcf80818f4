#!/usr/bin/env bash
# Draws the three help cards shown beside the script-line builders:
#   illustration_item.png       481 x 228  consuming items from the player's inventory
#   illustration_condition.png  475 x 799  permission, @papi: comparison and money conditions
#   illustration_delay.png      482 x 271  pausing between script lines
# Needs ImageMagick and the WenQuanYi Micro Hei font; the resulting PNGs are committed
# next to this script, so it only has to be run again when a card changes.
set -euo pipefail
cd "$(dirname "$0")"

font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc

# Palette of the cards.
paper='#FFFEF5'
frame='#D8D0B0'
title='#B5541B'
section='#1F6F8B'
body='#333333'
muted='#7A7468'
code='#1A3E8C'
example='#1E6B2E'

# Drawing operations of the card being built, and the baseline of the last line drawn.
ops=()
y=0

# Text given to -annotate has "%" escapes and a leading "@" (read from file) interpreted;
# double every "%" and put a backslash before a leading "@" so the text is drawn as written.
literal() {
  local t=${1//%/%%}
  [[ $t == @* ]] && t="\\$t"
  printf '%s' "$t"
}

# text SIZE COLOUR X TEXT [WEIGHT]: draws one line on the current baseline; WEIGHT is an
# outline width in the text colour that makes the line look bolder.
text() {
  local outline=(-stroke none)
  [[ -n ${5:-} ]] && outline=(-stroke "$2" -strokewidth "$5")
  ops+=(-font "$font" -pointsize "$1" -fill "$2" "${outline[@]}" -annotate "+$3+$y" "$(literal "$4")")
}

# down PIXELS: moves the baseline down.
down() {
  y=$((y + $1))
}

# heading TEXT WIDTH: large title with a coloured rule under it, starting a fresh card.
heading() {
  ops=()
  y=34
  ops+=(-font "$font" -pointsize 22 -fill "$title" -stroke "$title" -strokewidth 0.6
        -annotate "+18+$y" "$(literal "$1")")
  ops+=(-stroke none -fill "$title" -draw "rectangle 18,44 $(($2 - 19)),45")
  y=45
}

# subheading TEXT: section title with a small coloured marker in front.
subheading() {
  ops+=(-stroke none -fill "$section" -draw "rectangle 18,$((y - 14)) 21,$((y + 1))")
  ops+=(-font "$font" -pointsize 16 -fill "$section" -stroke "$section" -strokewidth 0.3
        -annotate "+28+$y" "$(literal "$1")")
}

# label TEXT: small grey tag in the left column ("格式", "示例", ...).
label() {
  text 13 "$muted" 18 "$1"
}

# form TEXT / sample TEXT / prose TEXT: a line in the right column.
form()   { text 14 "$code" 58 "$1" 0.25; }
sample() { text 14 "$example" 58 "$1"; }
prose()  { text 14 "$body" 18 "$1"; }

# render WIDTH HEIGHT FILE: paints the collected operations on paper with a thin frame.
render() {
  convert -size "$1x$2" "xc:$paper" \
    -fill none -stroke "$frame" -strokewidth 1 -draw "rectangle 0,0 $(($1 - 1)),$(($2 - 1))" \
    "${ops[@]}" \
    -strip -define png:color-type=2 -define png:bit-depth=8 -interlace none "$3"
  echo "wrote $(pwd)/$3"
}

# --- Items ------------------------------------------------------------------
heading '物品' 481
down 25; prose '消耗玩家背包中的指定物品，数量不足则不再运行剩余脚本行'
down 28; label '格式'; form '$item:[物品ID]:[物品附加值]#####[物品名] [数量] [提示信息]'
down 29; label '示例'; sample '$item:57#####&b&l点券 100 &c你必须拥有100个名为'
down 20;               sample '&b&l点券&c的钻石块才能使用它！你当前有%amount%个！'
down 27;               sample '$item:388 1 &c你必须拥有一个绿宝石才能使用它。'
down 29; label '说明'; text 13 "$muted" 58 '%amount% 显示玩家持有的数量；不写物品名时省略 ##### 和名称'
render 481 228 illustration_item.png

# --- Conditions -------------------------------------------------------------
heading '条件' 475
down 28; prose '在脚本行中检查玩家是否满足条件，不满足时显示提示信息'

down 48; subheading '权限'
down 26; prose '玩家必须拥有指定的权限节点'
down 28; label '格式'; form '@perm:[权限节点] [无权限时提示信息]'
down 27; label '示例'; sample '@perm:essentials.fly &c你必须拥有飞行权限才能使用它！'

down 52; subheading '数值比较'
down 26; prose '比较两个数字或数字变量，变量在运行时替换为玩家的数值'
down 28; label '格式'; form '@papi:[数字][运算符][数字] [提示信息]'
down 24;               form '@papi:[数字变量][运算符][数字] [提示信息]'
down 24;               form '@papi:[数字变量][运算符][数字变量] [提示信息]'
down 30; label '运算符'
for pair in '>|大于' '<|小于' '>=|大于等于' '<=|小于等于' '==|等于'; do
  text 14 "$code" 76 "${pair%%|*}" 0.25
  text 14 "$body" 116 "${pair#*|}"
  down 24
done
y=$((y - 24))
down 31; label '示例'; sample '@papi:%player_level%>=30 &c你必须达到30级才能使用它！'
down 24;               sample '@papi:%player_health%<10 &c你必须血量小于10才能使用它！'
down 24;               text 13 "$muted" 58 '%player_level% 为玩家等级，%player_health% 为玩家血量'

down 52; subheading '金钱'
down 26; prose '扣除玩家的金钱，余额不足时不能使用'
down 28; label '格式'; form '$cost:[数量] [金钱不足时提示信息]'
down 27; label '示例'; sample '$cost:10086 &c使用它需要10086个金币'

# Closing note as a footer under a thin rule at the bottom of the card.
ops+=(-stroke none -fill "$frame" -draw "rectangle 18,748 456,748")
y=774; text 13 "$muted" 18 '条件不满足时不再运行剩余脚本行'
render 475 799 illustration_condition.png

# --- Delay ------------------------------------------------------------------
heading '延迟' 482
down 30; prose '暂停一段时间后再运行后面的脚本行'
down 38; label '格式'; form '@delay:[延迟]'
down 36; label '单位'; text 14 "$body" 58 '延迟以tick计算，20 tick = 1秒'
down 36; label '示例'; sample '@delay:20'
down 24;               text 14 "$muted" 58 '（脚本暂停1秒后再运行后面的脚本行）'
down 38; label '提示'; text 13 "$muted" 58 '10 tick = 0.5秒，100 tick = 5秒'
render 482 271 illustration_delay.png
