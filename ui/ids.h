// Identifiers of the windows, their controls and the control kinds.
// Handlers name a control by the pair (window, control); the numbers are also the Win32 control
// IDs, so automation tools find every control by them. Control names keep the names the window
// description gives them (edit boxes 编辑框N, buttons 按钮N, ...).
#pragma once

#include <cstdint>

namespace ui {

using WindowId = std::uint32_t;
using ControlId = std::uint32_t;

// High 16 bits: the widget library; low 16 bits: the kind within it.
enum class Kind : std::uint32_t {
  kWindow = 0x00010001,
  kEditBox = 0x00010005,
  kPicBox = 0x00010006,
  kGroupBox = 0x00010009,
  kButton = 0x0001000B,
  kCheckBox = 0x0001000C,
  kRadioBox = 0x0001000D,
  kComboBox = 0x0001000E,
  kTimer = 0x00010020,
  kPageControl = 0x00020002,
  kTransLabel = 0x00030005,
  kBalloonTip = 0x00040001,
  kSimpleHtml = 0x00040002,
  kRichEdit = 0x00050006,
  // The program's own: a list of any length whose rows its owner draws (ui/row_list_win.h).
  kRowList = 0x00060001,
  kConsoleLog = 0x00060002,  // the console log's lines, drawn by the program (console_view_win)
};

// A control, or a whole window (control 0, kind kWindow), as handlers pass it to commands.
struct ControlRef {
  WindowId window = 0;
  ControlId control = 0;
  Kind kind = Kind::kWindow;
};

namespace ids {

// Windows.
inline constexpr WindowId kMainWindow = 0x52010001;
inline constexpr WindowId kCommandListWindow = 0x52012BD1;  // "Varnel插件命令大全"
inline constexpr WindowId kItemIllustrationWindow = 0x52012BD6;  // "消耗指定物品执行图解例子"
inline constexpr WindowId kConditionIllustrationWindow = 0x52012BDB;  // "判断类脚本行图解例子"
inline constexpr WindowId kExamplesWindow = 0x52012D18;           // "Varnel插件的几个例子"
inline constexpr WindowId kDelayIllustrationWindow = 0x52012D30;  // "延迟脚本行图解例子"

// The one control of each secondary window.
inline constexpr ControlId kCommandListText = 0x16012BD3;        // 超级编辑框1
inline constexpr ControlId kItemIllustration = 0x16012BD7;       // 图片框1
inline constexpr ControlId kConditionIllustration = 0x16012BDC;  // 图片框1
inline constexpr ControlId kExamplesText = 0x16012D19;           // 超级编辑框1
inline constexpr ControlId kDelayIllustration = 0x16012D31;      // 图片框1

// Main window: tab control and the right-hand side.
inline constexpr ControlId 高级选择夹1 = 0x16010002;
inline constexpr ControlId 分组框19 = 0x1601007C;
inline constexpr ControlId 编辑框15 = 0x1601007F;  // command output box
inline constexpr ControlId 按钮19 = 0x16010084;
inline constexpr ControlId 按钮20 = 0x16010086;
inline constexpr ControlId 分组框20 = 0x1601007D;
inline constexpr ControlId 编辑框16 = 0x16010085;  // script-line output box
inline constexpr ControlId 按钮21 = 0x16010088;
inline constexpr ControlId 按钮22 = 0x16010089;
inline constexpr ControlId 按钮26 = 0x16012D36;  // opens the script workbench

// Page 1 "脚本编辑".
inline constexpr ControlId 分组框1 = 0x16010004;
inline constexpr ControlId 透明标签1 = 0x16010006;
inline constexpr ControlId 组合框1 = 0x16010007;
inline constexpr ControlId 按钮1 = 0x16010008;
inline constexpr ControlId 分组框2 = 0x16010009;
inline constexpr ControlId 透明标签2 = 0x1601000A;
inline constexpr ControlId 组合框2 = 0x1601000B;
inline constexpr ControlId 按钮2 = 0x1601000C;
inline constexpr ControlId 分组框3 = 0x16010012;
inline constexpr ControlId 透明标签3 = 0x16010014;
inline constexpr ControlId 组合框3 = 0x16010016;
inline constexpr ControlId 按钮3 = 0x16010018;
inline constexpr ControlId 分组框4 = 0x16010013;
inline constexpr ControlId 透明标签4 = 0x16010019;
inline constexpr ControlId 组合框4 = 0x1601001A;
inline constexpr ControlId 按钮4 = 0x1601001B;
inline constexpr ControlId 分组框5 = 0x16010024;
inline constexpr ControlId 透明标签5 = 0x1601002A;
inline constexpr ControlId 按钮5 = 0x1601002B;
inline constexpr ControlId 分组框21 = 0x1601008B;
inline constexpr ControlId 透明标签20 = 0x16012BB9;  // network clock
inline constexpr ControlId 时钟1 = 0x16012BB8;
inline constexpr ControlId 简单超文本框1 = 0x1601002E;

// Page 2 "执行设置".
inline constexpr ControlId 分组框22 = 0x16012CBD;
inline constexpr ControlId 单选框1 = 0x16012C9B;
inline constexpr ControlId 编辑框1 = 0x16012C9C;
inline constexpr ControlId 按钮6 = 0x16012C9D;
inline constexpr ControlId 分组框23 = 0x16012CBF;
inline constexpr ControlId 单选框2 = 0x16012C9E;
inline constexpr ControlId 编辑框2 = 0x16012C9F;
inline constexpr ControlId 按钮7 = 0x16012CA0;
inline constexpr ControlId 分组框24 = 0x16012CC0;
inline constexpr ControlId 单选框3 = 0x16012CA1;
inline constexpr ControlId 编辑框3 = 0x16012CA2;
inline constexpr ControlId 按钮8 = 0x16012CA3;
inline constexpr ControlId 分组框25 = 0x16012CC1;
inline constexpr ControlId 单选框4 = 0x16012CA4;
inline constexpr ControlId 编辑框4 = 0x16012CA5;
inline constexpr ControlId 按钮9 = 0x16012CA6;
inline constexpr ControlId 分组框6 = 0x16012CC2;
inline constexpr ControlId 单选框5 = 0x16012CA7;
inline constexpr ControlId 编辑框5 = 0x16012CA8;
inline constexpr ControlId 按钮10 = 0x16012CA9;
inline constexpr ControlId 分组框7 = 0x16012CC3;
inline constexpr ControlId 单选框6 = 0x16012CAA;
inline constexpr ControlId 透明标签6 = 0x16012CAB;
inline constexpr ControlId 编辑框6 = 0x16012CAD;
inline constexpr ControlId 透明标签7 = 0x16012CAC;
inline constexpr ControlId 编辑框7 = 0x16012CAE;
inline constexpr ControlId 按钮11 = 0x16012CAF;
inline constexpr ControlId 分组框8 = 0x16012CC4;
inline constexpr ControlId 单选框7 = 0x16012CB1;
inline constexpr ControlId 透明标签12 = 0x16012CB2;
inline constexpr ControlId 透明标签8 = 0x16012CB8;
inline constexpr ControlId 编辑框8 = 0x16012CB3;
inline constexpr ControlId 透明标签9 = 0x16012CB7;
inline constexpr ControlId 编辑框9 = 0x16012CB4;
inline constexpr ControlId 透明标签10 = 0x16012CB6;
inline constexpr ControlId 编辑框10 = 0x16012CB5;
inline constexpr ControlId 透明标签11 = 0x16012CB9;
inline constexpr ControlId 编辑框11 = 0x16012CBA;
inline constexpr ControlId 按钮13 = 0x16012CBC;
inline constexpr ControlId 按钮14 = 0x16012CBB;
inline constexpr ControlId 气球提示框1 = 0x16012CFC;

// Page 3 "脚本权限/其他".
inline constexpr ControlId 分组框13 = 0x16010064;
inline constexpr ControlId 透明标签13 = 0x16010065;
inline constexpr ControlId 分组框14 = 0x1601006B;
inline constexpr ControlId 透明标签14 = 0x1601006C;
inline constexpr ControlId 编辑框12 = 0x1601006D;
inline constexpr ControlId 按钮15 = 0x1601006E;
inline constexpr ControlId 分组框15 = 0x1601006F;
inline constexpr ControlId 透明标签15 = 0x16010070;
inline constexpr ControlId 编辑框13 = 0x16010071;
inline constexpr ControlId 按钮16 = 0x16010072;
inline constexpr ControlId 分组框16 = 0x16010073;
inline constexpr ControlId 透明标签16 = 0x16010074;
inline constexpr ControlId 编辑框14 = 0x16010075;
inline constexpr ControlId 按钮17 = 0x16010076;
inline constexpr ControlId 分组框11 = 0x16012D23;
inline constexpr ControlId 透明标签18 = 0x16012D24;
inline constexpr ControlId 编辑框17 = 0x16012D25;
inline constexpr ControlId 按钮23 = 0x16012D26;
inline constexpr ControlId 分组框17 = 0x16010077;
inline constexpr ControlId 按钮18 = 0x16010078;
inline constexpr ControlId 按钮24 = 0x16012D2D;
inline constexpr ControlId 分组框18 = 0x16010079;
inline constexpr ControlId 透明标签17 = 0x1601007A;

// Page 4 "插件完整例子/帖子".
inline constexpr ControlId 分组框9 = 0x16012D0F;
inline constexpr ControlId 按钮12 = 0x16012D10;
inline constexpr ControlId 按钮25 = 0x16012D34;
inline constexpr ControlId 分组框10 = 0x16012D15;
inline constexpr ControlId 透明标签19 = 0x16012D16;

// The script workbench "脚本工作台": a script as a list of rows, edited, exported and saved.
inline constexpr WindowId kWorkbenchWindow = 0x52012E10;
inline constexpr ControlId kScriptNameLabel = 0x16012E11;   // 透明标签1
inline constexpr ControlId kScriptName = 0x16012E12;        // 编辑框1
inline constexpr ControlId kNewScript = 0x16012E13;         // 按钮1
inline constexpr ControlId kOpenScript = 0x16012E14;        // 按钮2
inline constexpr ControlId kRecentScripts = 0x16012E15;     // 按钮3
inline constexpr ControlId kSaveScript = 0x16012E16;        // 按钮4
inline constexpr ControlId kSaveScriptAs = 0x16012E17;      // 按钮5
inline constexpr ControlId kImportLines = 0x16012E18;       // 按钮6
inline constexpr ControlId kScriptStatus = 0x16012E19;      // 透明标签2
inline constexpr ControlId kRowsGroup = 0x16012E1A;         // 分组框1
inline constexpr ControlId kScriptRows = 0x16012E1B;        // 行列表框1
inline constexpr ControlId kMoveRowUp = 0x16012E1C;         // 按钮7
inline constexpr ControlId kMoveRowDown = 0x16012E1D;       // 按钮8
inline constexpr ControlId kDuplicateRow = 0x16012E1E;      // 按钮9
inline constexpr ControlId kDeleteRow = 0x16012E1F;         // 按钮10
inline constexpr ControlId kUndoChange = 0x16012E20;        // 按钮11
inline constexpr ControlId kRedoChange = 0x16012E21;        // 按钮12
inline constexpr ControlId kEditGroup = 0x16012E22;         // 分组框2
inline constexpr ControlId kDirectiveCaption = 0x16012E23;  // 透明标签3
// The edit form's labels (透明标签4 to 8) and inputs (编辑框2 to 6), one pair per field.
inline constexpr ControlId kFieldLabels[] = {0x16012E24, 0x16012E25, 0x16012E26, 0x16012E27,
                                             0x16012E28};
inline constexpr ControlId kFields[] = {0x16012E29, 0x16012E2A, 0x16012E2B, 0x16012E2C, 0x16012E2D};
inline constexpr ControlId kRawLineLabel = 0x16012E2E;        // 透明标签9
inline constexpr ControlId kRawLine = 0x16012E2F;             // 编辑框7
inline constexpr ControlId kApplyEdit = 0x16012E30;           // 按钮13
inline constexpr ControlId kDiscardEdit = 0x16012E31;         // 按钮14
inline constexpr ControlId kExportGroup = 0x16012E32;         // 分组框3
inline constexpr ControlId kWithCreate = 0x16012E33;          // 选择框1
inline constexpr ControlId kExportAll = 0x16012E34;           // 按钮15
inline constexpr ControlId kExportList = 0x16012E35;          // 行列表框2
inline constexpr ControlId kCopyCommand = 0x16012E36;         // 按钮16
inline constexpr ControlId kHistoryGroup = 0x16012E37;        // 分组框4
inline constexpr ControlId kHistorySearchLabel = 0x16012E38;  // 透明标签10
inline constexpr ControlId kHistorySearch = 0x16012E39;       // 编辑框8
inline constexpr ControlId kHistoryList = 0x16012E3A;         // 行列表框3
inline constexpr ControlId kHistoryHint = 0x16012E3B;         // 透明标签11
inline constexpr ControlId kSendAll = 0x16012E3C;             // 按钮17
inline constexpr ControlId kSendHistoryEntry = 0x16012E3D;    // 按钮18

// The workbench's import "导入脚本行": pasted text read into rows before they are added.
inline constexpr WindowId kImportWindow = 0x52012E60;
inline constexpr ControlId kPasteLabel = 0x16012E61;         // 透明标签1
inline constexpr ControlId kPastedText = 0x16012E62;         // 超级编辑框1
inline constexpr ControlId kReadingLabel = 0x16012E63;       // 透明标签2
inline constexpr ControlId kReadingRows = 0x16012E64;        // 行列表框1
inline constexpr ControlId kJoinRow = 0x16012E65;            // 按钮1
inline constexpr ControlId kSplitRow = 0x16012E66;           // 按钮2
inline constexpr ControlId kScriptChoiceLabel = 0x16012E67;  // 透明标签3
inline constexpr ControlId kScriptChoice = 0x16012E68;       // 组合框1
inline constexpr ControlId kImportRows = 0x16012E69;         // 按钮3
inline constexpr ControlId kCancelImport = 0x16012E6A;       // 按钮4

// Main window: sending the command output box to the game server.
inline constexpr ControlId 按钮27 = 0x16015340;  // "发送到服务器"

// The server window "服务器": the servers kept, the one shown and its test.
inline constexpr WindowId kServerWindow = 0x52015301;
inline constexpr ControlId kServerListLabel = 0x16015301;      // 透明标签1
inline constexpr ControlId kServerList = 0x16015302;           // 组合框1
inline constexpr ControlId kServerNew = 0x16015303;            // 按钮1
inline constexpr ControlId kServerDelete = 0x16015304;         // 按钮2
inline constexpr ControlId kServerNameLabel = 0x16015305;      // 透明标签2
inline constexpr ControlId kServerName = 0x16015306;           // 编辑框1
inline constexpr ControlId kServerHostLabel = 0x16015307;      // 透明标签3
inline constexpr ControlId kServerHost = 0x16015308;           // 编辑框2
inline constexpr ControlId kServerPortLabel = 0x16015309;      // 透明标签4
inline constexpr ControlId kServerPort = 0x1601530A;           // 编辑框3
inline constexpr ControlId kServerPasswordLabel = 0x1601530B;  // 透明标签5
inline constexpr ControlId kServerPassword = 0x1601530C;       // 编辑框4
inline constexpr ControlId kServerPasswordHint = 0x1601530D;   // 透明标签6
inline constexpr ControlId kServerWarning = 0x1601530E;        // 透明标签7
inline constexpr ControlId kServerTest = 0x1601530F;           // 按钮3
inline constexpr ControlId kServerResult = 0x16015310;         // 透明标签8
inline constexpr ControlId kServerSave = 0x16015311;           // 按钮4
inline constexpr ControlId kServerClose = 0x16015312;          // 按钮5

// The console log window: what was sent and what the server answered.
inline constexpr WindowId kConsoleLogWindow = 0x52015302;
inline constexpr ControlId kConsoleTarget = 0x16015321;    // 透明标签1
inline constexpr ControlId kConsoleSettings = 0x16015322;  // 按钮1
inline constexpr ControlId kConsoleLines = 0x16015323;     // 日志框1
inline constexpr ControlId kConsoleCopyAll = 0x16015324;   // 按钮2
inline constexpr ControlId kConsoleStop = 0x16015325;      // 按钮3

}  // namespace ids
}  // namespace ui
