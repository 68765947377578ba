#include "core/user_message.h"

#include "texts/texts.h"

namespace zelluo {

void ShowUserMessage(Platform& platform, const UserMessage& message) {
  platform.ShowMessage(text::kProgramTitle, message.text, MessageButtons::Ok);
}

}  // namespace zelluo
