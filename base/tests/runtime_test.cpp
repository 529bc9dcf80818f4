// Run-time errors and the exit routine list.
#include "base/runtime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
  void SetUp() override { previous_ = base::SetRuntimeErrorSink(&ThrowingSink); }
  void TearDown() override {
    base::SetRuntimeErrorSink(previous_);
    base::ClearExitRoutines();
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
  base::RuntimeErrorSink previous_ = nullptr;
};

std::vector<int> g_calls;
void First(int position) {
  g_calls.push_back(100 + position);
}
void Second(int position) {
  g_calls.push_back(200 + position);
}

TEST_F(RuntimeTest, ErrorTextLeavesOutTheCodeLineForNumberZero) {
  EXPECT_EQ(base::RuntimeErrorText(6, base::RuntimeErrorMessage(6)),
            "运行时出错!\r\n错误代码：6\r\n错误信息：调用DLL命令后发现堆栈错误");
  EXPECT_EQ(base::RuntimeErrorText(0, "载入启动窗口失败"),
            "运行时出错!\r\n错误信息：载入启动窗口失败");
  EXPECT_EQ(base::AllocationFailureText(123456), "分配 123456 字节内存失败!");
}

TEST_F(RuntimeTest, ExitRoutinesRunOnceInOrderWithTheirPositions) {
  g_calls.clear();
  base::RegisterExitRoutine(&First);
  base::RegisterExitRoutine(&Second);
  base::RegisterExitRoutine(&First);  // already listed
  base::RunExitRoutines();
  EXPECT_EQ(g_calls, (std::vector<int>{100, 201}));
  base::RunExitRoutines();  // the list was cleared
  EXPECT_EQ(g_calls.size(), 2u);
}

TEST_F(RuntimeTest, ARunTimeErrorClearsTheExitRoutines) {
  g_calls.clear();
  base::RegisterExitRoutine(&First);
  Catch([] { base::RaiseRuntimeError(base::kIndexAboveRange); });
  base::RunExitRoutines();
  EXPECT_TRUE(g_calls.empty());
}

}  // namespace
