// An in-memory stand-in for the frame: control properties in maps, commands recorded.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "ui/description.h"
#include "ui/frame.h"

namespace testing_support {

class FakeFrame : public ui::FrameServices {
 public:
  // Clicks and combo box items are looked up in windows, the program's description.
  explicit FakeFrame(std::span<const ui::WindowDescription> windows = {}) : windows_(windows) {
    previous_ = ui::InstallFrameServices(this);
  }
  ~FakeFrame() override { ui::InstallFrameServices(previous_); }

  // Main-window state. A control's text starts as its described caption.
  void SetText(ui::ControlId control, std::string text) {
    texts[MainKey(control)] = std::move(text);
  }
  std::string Text(ui::ControlId control) const;
  void SetChecked(ui::ControlId control, bool checked) { checks[MainKey(control)] = checked; }
  // Chooses a combo box item by index (-1: nothing chosen); item texts come from the window
  // description.
  void Select(ui::ControlId comboBox, int index) { selections[MainKey(comboBox)] = index; }

  // Runs the handler the window description binds to the control's event 0, as a click does.
  void Click(ui::ControlId control);

  ui::PropertyValue ReadProperty(ui::WindowId window, ui::ControlId control,
                                 ui::Property property) override;
  void WriteProperty(ui::WindowId window, ui::ControlId control, ui::Property property,
                     const ui::PropertyValue& value) override;
  void AppendToEditBox(const ui::ControlRef& editBox, std::string_view text,
                       ui::AppendedView view) override;
  std::string ComboItemText(const ui::ControlRef& comboBox, int index) override;
  bool CopyToClipboard(std::string_view text) override;
  std::optional<std::string> AskText(std::string_view title, std::string_view prompt) override;
  bool OpenWindow(ui::WindowId window, bool modal) override;
  // Recorded in openedAddresses; refused (false) when refuseAddresses is set.
  bool OpenWebAddress(std::string_view address) override;
  // Kept in temporaryFiles under "TEMP\\" and the name; refused when refuseFiles is set.
  std::optional<std::string> WriteTemporaryTextFile(std::string_view fileName,
                                                    std::string_view text) override;
  bool AttachBalloonTip(const ui::ControlRef& tip, const ui::ControlRef& target,
                        std::string_view text, int icon, const ui::Rect& region) override;
  void ShowNote(const ui::ControlRef& at, std::string_view text) override;
  // Recorded in messages; answered from messageAnswers, oldest first, else kOk or kNo.
  ui::MessageAnswer ShowMessage(std::string_view title, std::string_view text,
                                ui::MessageButtons buttons) override;

  using Key = std::pair<ui::WindowId, ui::ControlId>;
  static Key MainKey(ui::ControlId control) { return {ui::ids::kMainWindow, control}; }

  std::map<std::pair<ui::WindowId, ui::ControlId>, std::string> texts;
  std::map<std::pair<ui::WindowId, ui::ControlId>, bool> checks;
  std::vector<std::pair<ui::WindowId, ui::ControlId>> reads;  // in the order they happened
  std::vector<std::pair<ui::WindowId, ui::ControlId>> writes;
  std::vector<std::pair<ui::ControlId, ui::AppendedView>> appends;
  std::vector<std::string> clipboard;  // every text copied, oldest first
  std::vector<std::pair<ui::WindowId, bool>> openedWindows;
  std::vector<std::string> openedAddresses;
  bool refuseAddresses = false;
  struct Message {
    std::string title;
    std::string text;
    ui::MessageButtons buttons;
  };
  std::vector<Message> messages;
  std::deque<ui::MessageAnswer> messageAnswers;
  std::map<std::string, std::string> temporaryFiles;  // path -> text
  bool refuseFiles = false;
  std::map<std::pair<ui::WindowId, ui::ControlId>, int> selections;
  // Replies to AskText, oldest first: a text is confirmed (possibly empty), nullopt is a cancel.
  // With none left the dialog counts as cancelled.
  std::deque<std::optional<std::string>> answers;
  struct Question {
    std::string title;
    std::string prompt;
    bool operator==(const Question&) const = default;
  };
  std::vector<Question> questions;  // every AskText, in order
  struct AttachedTip {
    ui::ControlRef tip;
    ui::ControlRef target;
    std::string text;
    int icon;
    ui::Rect region;
  };
  std::vector<AttachedTip> tips;
  std::vector<ui::ControlId> rejectedTipTargets;  // attaching to these fails
  struct Note {
    ui::ControlId at;
    std::string text;
    bool operator==(const Note&) const = default;
  };
  std::vector<Note> notes;  // every note shown, oldest first

 private:
  std::span<const ui::WindowDescription> windows_;
  ui::FrameServices* previous_ = nullptr;
};

}  // namespace testing_support
