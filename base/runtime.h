// The run-time core every routine of the program may rely on: run-time errors, checked array
// access and the exit routine list. Portable: the Win32 start-up installs the error box as the
// sink; tests install their own. Texts are GBK bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

// Error numbers of the internal checks. Number 0 marks errors without a number (out of memory,
// a missing library function, a start window that cannot be built).
enum RuntimeErrorNumber : int {
  kNoErrorNumber = 0,
  kIndexAboveRange = 1,
  kNotANumber = 2,
  kIndexBelowOne = 4,
  kStackUnbalanced = 6,
  kChoiceOutOfRange = 9,
  kNegativeArraySize = 10,
};

// The message shown for each numbered error, or the empty text for an unknown number.
std::string_view RuntimeErrorMessage(int number);

// "运行时出错!", then "错误代码：" with the number (left out for 0), then "错误信息：" with the
// message, one per line.
std::string RuntimeErrorText(int number, std::string_view message);

// Receives a failed check. It must not return: the Win32 sink shows the error box and ends the
// process with exit code -1; a test sink may throw.
using RuntimeErrorSink = void (*)(int number, std::string_view message);
RuntimeErrorSink SetRuntimeErrorSink(RuntimeErrorSink sink);

// Clears the exit routine list (no exit routine runs after a failed check) and hands the error to
// the sink.
[[noreturn]] void RaiseRuntimeError(int number, std::string_view message);
[[noreturn]] void RaiseRuntimeError(int number);  // with the number's own message

// "分配 %d 字节内存失败!" with the size.
std::string AllocationFailureText(std::size_t size);

// Exit routines run at normal termination in the order they were registered, each with its
// 0-based position in the list. A routine is registered at most once.
using ExitRoutine = void (*)(int position);
void RegisterExitRoutine(ExitRoutine routine);
void RunExitRoutines();  // runs the list, then clears it
void ClearExitRoutines();

}  // namespace base
