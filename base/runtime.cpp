// Run-time errors and the exit routine list (GBK texts).
#include "base/runtime.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace base {
namespace {

// Prints the error and ends the process; used until the program installs its error box.
[[noreturn]] void DefaultSink(int number, std::string_view message) {
  const std::string text = RuntimeErrorText(number, message);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fputc('\n', stderr);
  std::_Exit(-1);
}

RuntimeErrorSink g_sink = &DefaultSink;
std::vector<ExitRoutine> g_exitRoutines;

}  // namespace

std::string_view RuntimeErrorMessage(int number) {
  switch (number) {
    case kIndexAboveRange:
      return "数组成员引用下标超出定义范围";
    case kNotANumber:
      return "未得到所需要的数值型数据";
    case kIndexBelowOne:
      return "数组成员引用下标必须大于等于1";
    case kStackUnbalanced:
      return "调用DLL命令后发现堆栈错误";
    case kChoiceOutOfRange:
      return "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围";
    case kNegativeArraySize:
      return "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零";
    default:
      return {};
  }
}

std::string RuntimeErrorText(int number, std::string_view message) {
  std::string text = "运行时出错!";
  if (number != kNoErrorNumber) {
    text += "\r\n错误代码：";
    text += std::to_string(number);
  }
  text += "\r\n错误信息：";
  text += message;
  return text;
}

RuntimeErrorSink SetRuntimeErrorSink(RuntimeErrorSink sink) {
  RuntimeErrorSink previous = g_sink;
  g_sink = sink != nullptr ? sink : &DefaultSink;
  return previous;
}

void RaiseRuntimeError(int number, std::string_view message) {
  ClearExitRoutines();
  g_sink(number, message);
  // A sink that returns breaks its contract; end the process rather than carry on.
  DefaultSink(number, message);
}

void RaiseRuntimeError(int number) {
  RaiseRuntimeError(number, RuntimeErrorMessage(number));
}

std::string AllocationFailureText(std::size_t size) {
  return "分配 " + std::to_string(size) + " 字节内存失败!";
}

void RegisterExitRoutine(ExitRoutine routine) {
  if (routine == nullptr) return;
  for (ExitRoutine known : g_exitRoutines) {
    if (known == routine) return;
  }
  g_exitRoutines.push_back(routine);
}

void RunExitRoutines() {
  // Take the list first: a routine that registers another must not extend this run.
  std::vector<ExitRoutine> routines;
  routines.swap(g_exitRoutines);
  for (std::size_t i = 0; i < routines.size(); ++i) routines[i](static_cast<int>(i));
}

void ClearExitRoutines() {
  g_exitRoutines.clear();
}

}  // namespace base
