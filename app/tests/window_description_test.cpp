// Invariants of the window description that a typo in the tables would break.
#include "app/window_description.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "app/enter_keys.h"
#include "assets/illustrations.h"
#include "compose/directive_tips.h"
#include "compose/message_inputs.h"
#include "ui/navigation.h"
#include "ui/png_picture.h"
#include "ui/tests/fake_frame.h"

namespace {

using ui::Element;
using ui::Kind;
using ui::WindowDescription;
using namespace ui::ids;

bool IsContainer(Kind kind) {
  return kind == Kind::kGroupBox || kind == Kind::kPageControl;
}

// The control names number controls per kind; the name's prefix must agree with the kind.
Kind KindOfName(const std::string& name) {
  const std::pair<std::string, Kind> prefixes[] = {{"编辑框", Kind::kEditBox},
                                                   {"图片框", Kind::kPicBox},
                                                   {"分组框", Kind::kGroupBox},
                                                   {"按钮", Kind::kButton},
                                                   {"单选框", Kind::kRadioBox},
                                                   {"选择框", Kind::kCheckBox},
                                                   {"行列表框", Kind::kRowList},
                                                   {"组合框", Kind::kComboBox},
                                                   {"时钟", Kind::kTimer},
                                                   {"高级选择夹", Kind::kPageControl},
                                                   {"透明标签", Kind::kTransLabel},
                                                   {"气球提示框", Kind::kBalloonTip},
                                                   {"简单超文本框", Kind::kSimpleHtml},
                                                   {"超级编辑框", Kind::kRichEdit},
                                                   {"日志框", Kind::kConsoleLog}};
  for (const auto& [prefix, kind] : prefixes) {
    if (name.rfind(prefix, 0) == 0) return kind;
  }
  return Kind::kWindow;
}

TEST(WindowDescription, IdentifiersAreUniqueAndWellFormed) {
  std::set<std::uint32_t> seen;
  for (const WindowDescription& window : app::WindowDescriptions()) {
    EXPECT_EQ(window.id >> 24, 0x52u);
    EXPECT_TRUE(seen.insert(window.id).second) << std::hex << window.id;
    std::set<std::string> names;
    for (const Element& element : window.elements) {
      EXPECT_EQ(element.id >> 16, 0x1601u) << element.name;
      EXPECT_TRUE(seen.insert(element.id).second) << element.name;
      EXPECT_TRUE(names.insert(std::string(element.name)).second) << element.name;
      EXPECT_EQ(KindOfName(std::string(element.name)), element.kind) << element.name;
      const std::uint32_t library = static_cast<std::uint32_t>(element.kind) >> 16;
      EXPECT_TRUE(library >= 1 && library <= 6) << element.name;
    }
  }
  EXPECT_EQ(app::WindowDescriptions().size(), 10u);
}

TEST(WindowDescription, ParentsExistBeforeTheirChildrenAndPagesMatch) {
  for (const WindowDescription& window : app::WindowDescriptions()) {
    std::map<ui::ControlId, const Element*> created;
    for (const Element& element : window.elements) {
      if (element.parent == 0) {
        EXPECT_EQ(element.page, 0) << element.name;
      } else {
        auto parent = created.find(element.parent);
        ASSERT_NE(parent, created.end()) << element.name << " comes before its parent";
        EXPECT_TRUE(IsContainer(parent->second->kind)) << element.name;
        if (parent->second->kind == Kind::kPageControl) {
          EXPECT_GE(element.page, 1) << element.name;
          EXPECT_LE(element.page, static_cast<int>(parent->second->pages.size())) << element.name;
        } else {
          EXPECT_EQ(element.page, 0) << element.name;
        }
      }
      created[element.id] = &element;
    }
  }
}

// Children of a parent must lie inside it; a slip in a coordinate usually breaks this.
TEST(WindowDescription, ChildrenFitInsideTheirParents) {
  for (const WindowDescription& window : app::WindowDescriptions()) {
    for (const Element& element : window.elements) {
      if (element.parent == 0 || !element.visible) continue;
      const Element& parent = *ui::FindElement(window, element.parent);
      EXPECT_GE(element.rect.left, 0) << element.name;
      EXPECT_GE(element.rect.top, 0) << element.name;
      EXPECT_LE(element.rect.left + element.rect.width, parent.rect.width) << element.name;
      EXPECT_LE(element.rect.top + element.rect.height, parent.rect.height) << element.name;
    }
  }
}

// The windows of reference texts and illustrations, which hold one control each and bind nothing.
bool IsReferenceWindow(ui::WindowId window) {
  return window != kMainWindow && window != kServerWindow && window != kConsoleLogWindow &&
         window != kWorkbenchWindow && window != kImportWindow;
}

// The windows whose creation runs a handler: the main window, the server window and the log.
bool HasCreationHandler(ui::WindowId window) {
  return window == kMainWindow || window == kServerWindow || window == kConsoleLogWindow;
}

// The main window's 27 buttons, its creation and its clock; the workbench's 18 buttons and its
// import window's 4; the server window's 5 buttons and the console log's 3, and their creations.
TEST(WindowDescription, EveryButtonAndNothingElseIsBound) {
  int bindings = 0;
  int buttons = 0;
  for (const WindowDescription& window : app::WindowDescriptions()) {
    for (const ui::EventBinding& binding : window.events) {
      EXPECT_EQ(binding.event, ui::kMainEvent);
      EXPECT_NE(binding.handler, nullptr);
      ++bindings;
    }
    for (const Element& element : window.elements) {
      if (element.kind == Kind::kButton) {
        ++buttons;
        EXPECT_NE(ui::FindHandler(element.events), nullptr) << element.name << " is unbound";
      }
      for (const ui::EventBinding& binding : element.events) {
        EXPECT_EQ(binding.event, ui::kMainEvent) << element.name;
        EXPECT_NE(binding.handler, nullptr) << element.name;
        EXPECT_TRUE(element.kind == Kind::kButton || element.kind == Kind::kTimer) << element.name;
        ++bindings;
      }
    }
    EXPECT_EQ(window.events.empty(), !HasCreationHandler(window.id)) << window.title;
  }
  EXPECT_EQ(buttons, 57);
  EXPECT_EQ(bindings, 61);
}

TEST(WindowDescription, BuilderButtonsHaveDistinctHandlers) {
  const WindowDescription& main =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  std::set<ui::Handler> handlers;
  for (const Element& element : main.elements) {
    if (element.kind == Kind::kButton) {
      EXPECT_TRUE(handlers.insert(ui::FindHandler(element.events)).second) << element.name;
    }
  }
}

TEST(WindowDescription, TheSevenGatesShareOneParentAndPage) {
  const WindowDescription& main =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  std::set<std::pair<ui::ControlId, int>> groups;
  int radios = 0;
  for (const Element& element : main.elements) {
    if (element.kind != Kind::kRadioBox) continue;
    ++radios;
    groups.insert({element.parent, element.page});
  }
  EXPECT_EQ(radios, 7);
  EXPECT_EQ(groups.size(), 1u);
}

TEST(WindowDescription, TabControlChildListSeparatesPagesWithZero) {
  const WindowDescription& main =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  std::vector<ui::ControlId> children = ui::ChildList(main, 高级选择夹1);
  EXPECT_EQ(std::count(children.begin(), children.end(), 0u), 3);
  EXPECT_EQ(children.front(), 分组框1);
  EXPECT_EQ(children.back(), 分组框10);
  const auto firstZero = std::find(children.begin(), children.end(), 0u);
  EXPECT_EQ(*(firstZero + 1), 分组框22);  // page 2 starts with the first row's frame
  EXPECT_EQ(ui::ChildList(main, 分组框19), (std::vector<ui::ControlId>{编辑框15, 按钮19, 按钮20}));
}

TEST(WindowDescription, TwoLineCaptionsHoldALineBreak) {
  const WindowDescription& main =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  EXPECT_EQ(ui::FindElement(main, 按钮13)->caption, "生成脚\r\n本行");
  EXPECT_EQ(ui::FindElement(main, 按钮14)->caption, "详细\r\n图解");
}

TEST(WindowDescription, SecondaryWindowsFitTheirControlsAndReferencesHoldOne) {
  for (const WindowDescription& window : app::WindowDescriptions()) {
    if (window.id == kMainWindow) continue;
    for (const Element& element : window.elements) {
      if (element.parent != 0) continue;  // children fit their parents (above)
      EXPECT_LT(element.rect.left + element.rect.width, window.width) << element.name;
      EXPECT_LT(element.rect.top + element.rect.height, window.height) << element.name;
    }
    if (!IsReferenceWindow(window.id)) continue;
    ASSERT_EQ(window.elements.size(), 1u);
    const Element& only = window.elements[0];
    EXPECT_TRUE(only.kind == Kind::kRichEdit || only.kind == Kind::kPicBox);
    if (only.kind == Kind::kRichEdit) {
      EXPECT_FALSE(only.caption.empty());
    }
  }
}

// The tips table names each target's kind itself; it must agree with the description, and the
// main window's creation handler must attach every tip.
TEST(WindowDescription, CreationAttachesEveryDirectiveTipWithItsDescribedKind) {
  testing_support::FakeFrame frame(app::WindowDescriptions());
  const WindowDescription& main =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  ui::FindHandler(main.events)();
  ASSERT_EQ(frame.tips.size(), compose::DirectiveTips().size());
  for (const auto& tip : frame.tips) {
    const Element* target = ui::FindElement(main, tip.target.control);
    ASSERT_NE(target, nullptr) << tip.target.control;
    EXPECT_EQ(tip.target.kind, target->kind) << target->name;
  }
}

// Tab visits the tab control, the shown page row by row (a row's inputs before its buttons), then
// the right-hand side, from the workbench and send buttons above the command box down.
TEST(Navigation, TabOrderFollowsReadingOrderOnEveryPage) {
  const WindowDescription& main =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  const std::vector<ui::ControlId> right = {按钮26, 按钮27,   编辑框15, 按钮19,
                                            按钮20, 编辑框16, 按钮21,   按钮22};
  const std::vector<std::vector<ui::ControlId>> pages = {
      {组合框1, 按钮1, 组合框2, 按钮2, 组合框3, 按钮3, 组合框4, 按钮4, 按钮5},
      {单选框1, 编辑框1, 按钮6,   单选框2, 编辑框2,  按钮7,    单选框3, 编辑框3, 按钮8,
       单选框4, 编辑框4, 按钮9,   单选框5, 编辑框5,  按钮10,   单选框6, 编辑框6, 编辑框7,
       按钮11,  单选框7, 编辑框8, 编辑框9, 编辑框10, 编辑框11, 按钮13,  按钮14},
      {编辑框12, 按钮15, 编辑框13, 按钮16, 编辑框14, 按钮17, 编辑框17, 按钮23, 按钮18, 按钮24},
      {按钮12, 按钮25},
  };
  for (int page = 1; page <= 4; ++page) {
    std::vector<ui::ControlId> expected = {高级选择夹1};
    expected.insert(expected.end(), pages[page - 1].begin(), pages[page - 1].end());
    expected.insert(expected.end(), right.begin(), right.end());
    EXPECT_EQ(ui::TabOrder(main, page), expected) << "page " << page;
  }
}

// A row is the smallest group box around a control: its parent on pages 1 and 3 and round the
// output boxes, a captionless sibling drawn around it on page 2.
TEST(Navigation, RowsAreTheSmallestFramesAroundTheirControls) {
  const WindowDescription& main =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  const std::pair<ui::ControlId, ui::ControlId> rows[] = {
      {单选框1, 分组框22},  {按钮6, 分组框22},    {单选框5, 分组框6},     {编辑框5, 分组框6},
      {单选框6, 分组框7},   {编辑框7, 分组框7},   {按钮11, 分组框7},      {编辑框11, 分组框8},
      {按钮14, 分组框8},    {编辑框12, 分组框14}, {按钮18, 分组框17},     {组合框1, 分组框1},
      {编辑框15, 分组框19}, {按钮21, 分组框20},   {透明标签20, 分组框21}, {按钮5, 0},
      {分组框7, 0},         {高级选择夹1, 0},     {气球提示框1, 0}};
  for (const auto& [control, frame] : rows) {
    const Element* row = ui::RowFrame(main, *ui::FindElement(main, control));
    EXPECT_EQ(row != nullptr ? row->id : 0, frame) << ui::FindElement(main, control)->name;
  }
  // In client coordinates: the frame's, or the control's own without one.
  const auto area = [&main](ui::ControlId id) {
    const ui::Rect rect = ui::RowArea(main, *ui::FindElement(main, id));
    return std::make_tuple(rect.left, rect.top, rect.width, rect.height);
  };
  EXPECT_EQ(area(编辑框6), std::make_tuple(16, 252, 384, 88));
  EXPECT_EQ(area(编辑框13), std::make_tuple(16, 144, 384, 64));
  EXPECT_EQ(area(按钮5), std::make_tuple(16, 248, 384, 50));
}

// Every input reads out its row's label or gate, or the frame it sits in.
TEST(Navigation, EveryInputIsNamedByItsRow) {
  const WindowDescription& main =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  const std::map<ui::ControlId, std::string_view> names = {
      {编辑框1, "OP权限执行"},
      {编辑框2, "普通玩家执行"},
      {编辑框3, "后台执行指令"},
      {编辑框4, "消耗金钱执行"},
      {编辑框5, "发送ActionBar信息 (仅支持1.8+服务器)"},
      {编辑框6, "主标题："},
      {编辑框7, "副标题："},
      {编辑框8, "物品ID："},
      {编辑框9, "物品名字："},
      {编辑框10, "物品数量："},
      {编辑框11, "物品数量不足提示："},
      {编辑框12, "指定权限执行脚本："},
      {编辑框13, "指定等级执行脚本："},
      {编辑框14, "指定血量执行脚本："},
      {编辑框17, "增加脚本运行延迟："},
      {编辑框15, "指令生成窗口"},
      {编辑框16, "脚本行生成窗口"},
      {组合框1, "创建/删除脚本："},
      {组合框2, "脚本触发类型："},
      {组合框3, "脚本行增加/删除："},
      {组合框4, "其他特殊命令："},
  };
  for (const Element& element : main.elements) {
    if (element.kind != Kind::kEditBox && element.kind != Kind::kComboBox) continue;
    ASSERT_TRUE(names.count(element.id)) << element.name;
    EXPECT_EQ(ui::AccessibleName(main, element), names.at(element.id)) << element.name;
  }
  EXPECT_EQ(ui::AccessibleName(main, *ui::FindElement(main, 按钮6)), "");
}

// The workbench: Tab goes along the top row, then through each frame (its inputs before its
// buttons) left to right and top to bottom; inputs are named by their labels, the form's by its
// frame until a row gives them captions; access keys come from the captions' marks.
TEST(Navigation, TheWorkbenchReadsRowByRowAndNamesItsInputs) {
  const WindowDescription& workbench =
      *ui::FindWindowDescription(app::WindowDescriptions(), kWorkbenchWindow);
  EXPECT_EQ(ui::TabOrder(workbench, 0),
            (std::vector<ui::ControlId>{
                kScriptName,   kNewScript,   kOpenScript,    kRecentScripts, kSaveScript,
                kSaveScriptAs, kImportLines, kScriptRows,    kMoveRowUp,     kMoveRowDown,
                kDuplicateRow, kDeleteRow,   kUndoChange,    kRedoChange,    kWithCreate,
                kExportList,   kExportAll,   kSendAll,       kCopyCommand,   kFields[0],
                kFields[1],    kFields[2],   kFields[3],     kFields[4],     kRawLine,
                kApplyEdit,    kDiscardEdit, kHistorySearch, kHistoryList,   kSendHistoryEntry}));
  const std::pair<ui::ControlId, std::string_view> names[] = {{kScriptName, "脚本名称(&M)："},
                                                              {kRawLine, "整行(&E)："},
                                                              {kHistorySearch, "搜索(&F)："},
                                                              {kFields[2], "修改所选行"}};
  for (const auto& [input, name] : names) {
    EXPECT_EQ(ui::AccessibleName(workbench, *ui::FindElement(workbench, input)), name);
  }
  const std::pair<std::string_view, char> keys[] = {
      {"保存(&S)", 'S'}, {"搜索(&f)：", 'F'}, {"(&1)", '1'}, {"R&&D", 0},  {"R&&D(&x)", 'X'},
      {"末尾&", 0},      {"&中", 0},          {"无", 0},     {"&&&a", 'A'}};
  for (const auto& [caption, key] : keys) EXPECT_EQ(ui::AccessKey(caption), key) << caption;
  const WindowDescription& import =
      *ui::FindWindowDescription(app::WindowDescriptions(), kImportWindow);
  EXPECT_EQ(ui::AccessibleName(import, *ui::FindElement(import, kPastedText)),
            ui::FindElement(import, kPasteLabel)->caption);
  EXPECT_EQ(ui::WithoutAccessMarks("脚本名称(&M)："), "脚本名称：");
  EXPECT_EQ(ui::WithoutAccessMarks("&Save (&&)(&中)"), "Save (&)(中)");
  EXPECT_EQ(ui::WithoutAccessMarks("R&&D&"), "R&D&");
}

// Enter runs the button of the row the input is part of, whichever page the row is on.
TEST(Navigation, EnterKeysComeFromTheRows) {
  const std::vector<ui::EnterKey> keys = app::MainWindowEnterKeys();
  auto buttonFor = [&](ui::ControlId input) -> ui::ControlId {
    for (const ui::EnterKey& key : keys) {
      if (key.input == input) return key.button;
    }
    return 0;
  };
  const std::pair<ui::ControlId, ui::ControlId> rows[] = {
      {编辑框1, 按钮6},   {编辑框7, 按钮11},  {编辑框8, 按钮13},
      {编辑框11, 按钮13}, {编辑框17, 按钮23}, {组合框1, 按钮1},
      {组合框4, 按钮4},   {编辑框15, 0},      {编辑框16, 0}};
  for (const auto& [input, button] : rows) EXPECT_EQ(buttonFor(input), button) << input;
}

TEST(Navigation, ScalingKeepsNeighboursTouching) {
  struct Case {
    base::Rect rect;
    int dpi;
    base::Rect scaled;
  };
  const Case cases[] = {
      {{8, 8, 400, 486}, 96, {8, 8, 400, 486}},       {{8, 8, 400, 486}, 144, {12, 12, 600, 729}},
      {{8, 8, 400, 486}, 192, {16, 16, 800, 972}},    {{7, 12, 112, 20}, 120, {9, 15, 140, 25}},
      {{73, 278, 232, 20}, 144, {110, 417, 348, 30}}, {{-3, 0, 5, 5}, 144, {-5, 0, 8, 8}},
  };
  for (const Case& c : cases) {
    const base::Rect got = ui::ScaleRectForDpi(c.rect, c.dpi);
    EXPECT_EQ(std::tie(got.left, got.top, got.width, got.height),
              std::tie(c.scaled.left, c.scaled.top, c.scaled.width, c.scaled.height))
        << c.rect.left << "," << c.rect.top << " at " << c.dpi;
  }
}

TEST(Illustrations, EmbeddedPicturesDecodeToTheirSizes) {
  struct Case {
    std::span<const unsigned char> png;
    int width, height;
  };
  const Case cases[] = {{assets::kItemIllustrationPng, 481, 228},
                        {assets::kConditionIllustrationPng, 475, 799},
                        {assets::kDelayIllustrationPng, 482, 271}};
  for (const Case& c : cases) {
    std::optional<ui::Picture> picture = ui::DecodePng(c.png);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, c.width);
    EXPECT_EQ(picture->height, c.height);
    EXPECT_EQ(picture->stride % 4, 0);
    EXPECT_GE(picture->stride, c.width * 3);
    EXPECT_EQ(picture->pixels.size(), static_cast<size_t>(picture->stride) * c.height);
  }
}

// The preview's targets are edit boxes of the main window.
TEST(WindowDescription, PreviewedControlsAreEditBoxesOfTheMainWindow) {
  const WindowDescription& main =
      *ui::FindWindowDescription(app::WindowDescriptions(), kMainWindow);
  for (const auto& list : {std::span<const ui::ControlId>(compose::kMessageInputs),
                           std::span<const ui::ControlId>(compose::kPreviewedOutputs)}) {
    for (ui::ControlId id : list) {
      const Element* element = ui::FindElement(main, id);
      ASSERT_NE(element, nullptr) << id;
      EXPECT_EQ(element->kind, Kind::kEditBox) << id;
    }
  }
}

}  // namespace
