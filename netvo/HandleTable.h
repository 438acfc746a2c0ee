// The process-wide table of connection handles. Handles count up from 1 and
// are never reused; lookups hand out shared ownership, so a session stays
// alive while a call uses it even if it is released meanwhile.
#pragma once

#include "Session.h"

#include <memory>

namespace netvo {

std::shared_ptr<Session> AddSession(const Endpoint& host);
std::shared_ptr<Session> FindSession(int handle);
bool RemoveSession(int handle);

}  // namespace netvo
