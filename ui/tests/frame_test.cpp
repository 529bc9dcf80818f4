// The typed access handlers use on top of the frame services.
#include "ui/frame.h"

#include <gtest/gtest.h>

#include <string>

#include "base/runtime.h"
#include "ui/tests/fake_frame.h"

namespace {

[[noreturn]] void ThrowingSink(int number, std::string_view) {
  throw number;
}

TEST(FrameAccess, ReadingANumberFromATextIsErrorTwo) {
  testing_support::FakeFrame frame;
  const base::RuntimeErrorSink previous = base::SetRuntimeErrorSink(&ThrowingSink);
  int raised = -1;
  try {
    ui::ReadNumber(ui::ids::kMainWindow, ui::ids::编辑框1, ui::Property::kText);
  } catch (int number) {
    raised = number;
  }
  base::SetRuntimeErrorSink(previous);
  EXPECT_EQ(raised, base::kNotANumber);
  EXPECT_EQ(ui::ReadNumber(ui::ids::kMainWindow, ui::ids::组合框1, ui::Property::kSelection), -1);
}

}  // namespace
