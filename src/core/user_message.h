#pragma once
// What the program has to tell the user after an action: a German message,
// and whether it tells of a failure. The collection's results (a change, an
// import read, an export, a cover) carry their messages as strings; the List
// page turns them into this one type and shows it in one way.

#include <string>
#include <utility>

#include "platform/platform.h"

namespace zelluo::core {

struct UserMessage {
  std::string text;
  bool isError = false;

  static UserMessage Error(std::string text) { return {std::move(text), true}; }
  static UserMessage Info(std::string text) { return {std::move(text), false}; }
};

// The message in the program's message box with the button OK.
void ShowUserMessage(platform::Platform& platform, const UserMessage& message);

}  // namespace zelluo::core
