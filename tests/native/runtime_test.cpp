// Run-time errors, checked array access and the exit routine list.
#include "app/runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/frame.h"
#include "tests/native/fake_frame.h"

namespace {

struct RaisedError {
  int number;
  std::string message;
};

[[noreturn]] void ThrowingSink(int number, std::string_view message) {
  throw RaisedError{number, std::string(message)};
}

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = app::SetRuntimeErrorSink(&ThrowingSink); }
  void TearDown() override {
    app::SetRuntimeErrorSink(previous_);
    app::ClearExitRoutines();
  }

  template <typename F>
  static RaisedError Catch(F&& f) {
    try {
      f();
    } catch (const RaisedError& error) {
      return error;
    }
    ADD_FAILURE() << "no run-time error raised";
    return {-1, ""};
  }

 private:
  app::RuntimeErrorSink previous_ = nullptr;
};

std::vector<int> g_calls;
void First(int position) {
  g_calls.push_back(100 + position);
}
void Second(int position) {
  g_calls.push_back(200 + position);
}

TEST_F(RuntimeTest, ErrorTextLeavesOutTheCodeLineForNumberZero) {
  EXPECT_EQ(app::RuntimeErrorText(6, app::RuntimeErrorMessage(6)),
            "运行时出错!\r\n错误代码：6\r\n错误信息：调用DLL命令后发现堆栈错误");
  EXPECT_EQ(app::RuntimeErrorText(0, "载入启动窗口失败"),
            "运行时出错!\r\n错误信息：载入启动窗口失败");
  EXPECT_EQ(app::AllocationFailureText(123456), "分配 123456 字节内存失败!");
}

TEST_F(RuntimeTest, CheckedAccessRaisesTheNumberedErrors) {
  std::vector<int> items{7, 8, 9};
  EXPECT_EQ(app::ElementAt(items, 1), 7);
  EXPECT_EQ(app::ElementAt(items, 3), 9);
  EXPECT_EQ(Catch([&] { app::ElementAt(items, 0); }).number, app::kIndexBelowOne);
  EXPECT_EQ(Catch([&] { app::ElementAt(items, -5); }).number, app::kIndexBelowOne);
  RaisedError above = Catch([&] { app::ElementAt(items, 4); });
  EXPECT_EQ(above.number, app::kIndexAboveRange);
  EXPECT_EQ(above.message, "数组成员引用下标超出定义范围");

  app::ResizeArray(items, 0);
  EXPECT_TRUE(items.empty());
  EXPECT_EQ(Catch([&] { app::ResizeArray(items, -1); }).number, app::kNegativeArraySize);

  const char* const verbs[] = {"GET", "POST"};
  EXPECT_STREQ(app::ChooseOne(1, verbs), "POST");
  EXPECT_EQ(Catch([&] { app::ChooseOne(2, verbs); }).number, app::kChoiceOutOfRange);
  EXPECT_EQ(Catch([&] { app::ChooseOne(-1, verbs); }).number, app::kChoiceOutOfRange);
}

TEST_F(RuntimeTest, ReadingANumberFromATextIsErrorTwo) {
  testing_support::FakeFrame frame;
  EXPECT_EQ(Catch([] {
              app::ReadNumber(app::ids::kMainWindow, app::ids::编辑框1, app::Property::kText);
            }).number,
            app::kNotANumber);
  EXPECT_EQ(app::ReadNumber(app::ids::kMainWindow, app::ids::组合框1, app::Property::kSelection),
            -1);
}

TEST_F(RuntimeTest, ExitRoutinesRunOnceInOrderWithTheirPositions) {
  g_calls.clear();
  app::RegisterExitRoutine(&First);
  app::RegisterExitRoutine(&Second);
  app::RegisterExitRoutine(&First);  // already listed
  app::RunExitRoutines();
  EXPECT_EQ(g_calls, (std::vector<int>{100, 201}));
  app::RunExitRoutines();  // the list was cleared
  EXPECT_EQ(g_calls.size(), 2u);
}

TEST_F(RuntimeTest, ARunTimeErrorClearsTheExitRoutines) {
  g_calls.clear();
  app::RegisterExitRoutine(&First);
  Catch([] { app::RaiseRuntimeError(app::kIndexAboveRange); });
  app::RunExitRoutines();
  EXPECT_TRUE(g_calls.empty());
}

}  // namespace
