// An in-memory stand-in for the frame: control properties in maps, commands recorded.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/frame.h"

namespace testing_support {

class FakeFrame : public app::FrameServices {
 public:
  FakeFrame() { previous_ = app::InstallFrameServices(this); }
  ~FakeFrame() override { app::InstallFrameServices(previous_); }

  // Main-window state.
  void SetText(app::ControlId control, std::string text) {
    texts[MainKey(control)] = std::move(text);
  }
  std::string Text(app::ControlId control) const;
  void SetChecked(app::ControlId control, bool checked) { checks[MainKey(control)] = checked; }
  // Chooses a combo box item by index (-1: nothing chosen); item texts come from the window
  // description.
  void Select(app::ControlId comboBox, int index) { selections[MainKey(comboBox)] = index; }

  // Runs the handler the window description binds to the control's event 0, as a click does.
  void Click(app::ControlId control);

  app::PropertyValue ReadProperty(app::WindowId window, app::ControlId control,
                                  app::Property property) override;
  void WriteProperty(app::WindowId window, app::ControlId control, app::Property property,
                     const app::PropertyValue& value) override;
  void AppendToEditBox(const app::ControlRef& editBox, std::string_view text,
                       app::AppendedView view) override;
  std::string ComboItemText(const app::ControlRef& comboBox, int index) override;
  bool CopyToClipboard(std::string_view text) override;
  std::optional<std::string> AskText(std::string_view title, std::string_view prompt) override;
  bool OpenWindow(app::WindowId window, bool modal) override;
  bool OpenWebAddress(std::string_view address) override;
  bool AttachBalloonTip(const app::ControlRef& tip, const app::ControlRef& target,
                        std::string_view text, int icon, const app::TipRegion& region) override;

  using Key = std::pair<app::WindowId, app::ControlId>;
  static Key MainKey(app::ControlId control) { return {app::ids::kMainWindow, control}; }

  std::map<std::pair<app::WindowId, app::ControlId>, std::string> texts;
  std::map<std::pair<app::WindowId, app::ControlId>, bool> checks;
  std::vector<std::pair<app::WindowId, app::ControlId>> reads;  // in the order they happened
  std::vector<std::pair<app::WindowId, app::ControlId>> writes;
  std::vector<std::pair<app::ControlId, app::AppendedView>> appends;
  std::vector<std::string> clipboard;  // every text copied, oldest first
  std::vector<std::pair<app::WindowId, bool>> openedWindows;
  std::vector<std::string> openedAddresses;
  std::map<std::pair<app::WindowId, app::ControlId>, int> selections;
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
    app::ControlRef tip;
    app::ControlRef target;
    std::string text;
    int icon;
    app::TipRegion region;
  };
  std::vector<AttachedTip> tips;
  std::vector<app::ControlId> rejectedTipTargets;  // attaching to these fails

 private:
  app::FrameServices* previous_ = nullptr;
};

}  // namespace testing_support
