#pragma once
// The POSIX implementation of os_services.h (posix_system.cpp). Callers that
// name it posix:: reach the same functions.

#include "platform/os_services.h"

namespace zelluo {
namespace posix = os;
}  // namespace zelluo
