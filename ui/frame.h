// The services the program's handlers use: control properties and the commands of the widget
// libraries. Handlers take no parameters, so they reach the services through Frame(); the Win32
// frame installs the real ones at start-up and tests install an in-memory stand-in. All texts
// are GBK bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "base/geometry.h"
#include "ui/ids.h"

namespace ui {

// Property indices handlers use.
enum class Property : int {
  kText = 8,        // edit box text (read, write); transparent label caption (write)
  kChecked = 18,    // radio box (read, bool)
  kSelection = 19,  // combo box current index, -1 when nothing is chosen (read)
};

using PropertyValue = std::variant<int, bool, std::string>;

using base::Rect;

// What copying a control's text did.
enum class CopyOutcome {
  kCopied,
  kNothingToCopy,  // the control is empty: the clipboard keeps what it had
  kFailed,         // the clipboard could not be opened or filled
};

// The buttons of a message box, and the one the user left it with (closing a yes-or-no box
// counts as kNo).
enum class MessageButtons { kOk, kYesNo };
enum class MessageAnswer { kOk, kYes, kNo };

// Where an append leaves the caret and the view.
enum class AppendedView {
  kAtNewText,  // the caret after the new text, scrolled into view
  kAtStart,    // the caret and the view at the start, as after writing the whole text
};

// The longest copied text CopyControlText hands back, in UTF-16 units.
inline constexpr std::size_t kCopiedTextLimit = 16 * 1024;

class FrameServices {
 public:
  virtual ~FrameServices() = default;

  // A property of a control of an open window. Text comes back as a new GBK string; an empty
  // control gives the empty text. Unknown controls or properties give int 0.
  virtual PropertyValue ReadProperty(WindowId window, ControlId control, Property property) = 0;
  virtual void WriteProperty(WindowId window, ControlId control, Property property,
                             const PropertyValue& value) = 0;

  // Inserts text after the edit box's text; what the box holds already is not touched. The
  // view says where the caret and the scrolling end up.
  virtual void AppendToEditBox(const ControlRef& editBox, std::string_view text,
                               AppendedView view) = 0;
  // The text of a combo box item; the empty text for an index outside 0..count-1.
  virtual std::string ComboItemText(const ControlRef& comboBox, int index) = 0;
  // Places the text on the clipboard; false when the clipboard could not be opened or filled.
  virtual bool CopyToClipboard(std::string_view text) = 0;
  // Places the whole text of an edit box on the clipboard, as CopyToClipboard places the text
  // ReadText gives. A frame that holds texts in another form copies that form straight away, so
  // a long text costs what the box's own copy costs. This default goes through ReadText.
  // copied, when given, receives what was copied (GBK) if it is at most kCopiedTextLimit UTF-16
  // units long: the history keeps commands, and reading a long text back would cost a copy more.
  virtual CopyOutcome CopyControlText(const ControlRef& control, std::string* copied = nullptr);
  // A modal message box over the program's active window, with a warning icon.
  virtual MessageAnswer ShowMessage(std::string_view title, std::string_view text,
                                    MessageButtons buttons) = 0;
  // Modal one-line entry dialog. The entered text, or nothing when the user cancelled.
  virtual std::optional<std::string> AskText(std::string_view title, std::string_view prompt) = 0;
  // Builds a window of the description and shows it; a modal open returns once it is closed.
  virtual bool OpenWindow(WindowId window, bool modal) = 0;
  // Hands an address to the shell with the verb "open".
  virtual bool OpenWebAddress(std::string_view address) = 0;
  // Writes the text, as UTF-8, to fileName in the user's temporary folder, replacing a file of
  // that name whole. The file's path, or nothing when it could not be written.
  virtual std::optional<std::string> WriteTemporaryTextFile(std::string_view /*fileName*/,
                                                            std::string_view /*text*/) {
    return std::nullopt;
  }
  // Registers a tip (hypertext, GBK) with a balloon tip control for a target control; icon -1
  // means no icon. False when either control does not exist (frames without balloon tips
  // attach nothing). The region is the part of the target the tip answers for, in its client
  // coordinates; all zero means the whole control.
  virtual bool AttachBalloonTip(const ControlRef& /*tip*/, const ControlRef& /*target*/,
                                std::string_view /*text*/, int /*icon*/, const Rect& /*region*/) {
    return false;
  }
  // Shows a short note (GBK) at a control of an open window: why a click did nothing, or what
  // to do first. It goes by itself after a few seconds or at the next click or key, never takes
  // the focus or a click, and screen readers announce it. Frames without notes show nothing.
  virtual void ShowNote(const ControlRef& /*at*/, std::string_view /*text*/) {}
};

// The installed services. Calling it with none installed is a programming error.
FrameServices& Frame();
// Installs services (nullptr uninstalls) and returns the previous ones.
FrameServices* InstallFrameServices(FrameServices* services);

// Typed access for handlers. A text read of a non-text value gives the empty text; a number read
// of a non-numeric value is run-time error 2.
std::string ReadText(WindowId window, ControlId control);
void WriteText(WindowId window, ControlId control, std::string_view text);
[[nodiscard]] bool ReadChecked(WindowId window, ControlId control);
int ReadNumber(WindowId window, ControlId control, Property property);

}  // namespace ui
