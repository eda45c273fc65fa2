#include "platform/toolkit.h"

// The interface is header-only; this file keeps the platform floor a real library.
namespace marlin {}
