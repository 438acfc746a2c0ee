// The GUI's global list of open sessions, in the order they were added. The
// document adds sessions, the folder tree removes them, and the views find
// them by connection handle or by name. The script library keeps its own
// sessions and has none of this.
#pragma once

#ifndef TAVO_MARLO32
#include "FtpSession.h"

#include <memory>
#include <string>
#include <vector>

// Takes ownership and returns the session, now at the end of the list.
CSession* g_AddSession(std::unique_ptr<CSession> session);
// Destroys the session (which disconnects it); false when it is not listed.
bool g_RemoveSession(CSession* session);
// Destroys every session in list order.
void g_RemoveAllSessions();
const std::vector<std::unique_ptr<CSession>>& g_SessionList();

// The first session with this connection handle; none for a handle of 0 or
// less, which stands for the local file system.
CSession* g_GetSession(int handle);
// The path separator of the server behind a handle: "/" for the local file
// system and for a handle without a session.
std::string g_GetSeparator(int handle);
// The first session with exactly this name.
CSession* g_GetSession(const std::string& name);
// A keep-alive tick: sends the NOOP of the session whose timer has this id.
CSession* g_CheckTimerEvent(unsigned id);
#endif
