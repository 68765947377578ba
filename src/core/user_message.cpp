#include "core/user_message.h"

#include "texts/texts.h"

namespace zelluo::core {

void ShowUserMessage(platform::Platform& platform, const UserMessage& message) {
  platform.ShowMessage(text::kProgramTitle, message.text, platform::MessageButtons::Ok);
}

}  // namespace zelluo::core
