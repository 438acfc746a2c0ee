// The commands a session sends, shown in the message pane before the reply
// that answers them, so that the pane reads as the dialogue with the server.
// Secrets never reach the pane: the argument of PASS and ACCT is masked.
#pragma once

#include <string>

// "PASS ****" for a PASS or ACCT line (any case) with an argument; any other
// line unchanged.
std::string MaskedCommand(const std::string& line);

// A script line as the pane may show it: the password and account of a
// `login` or `gatelogin` line ("login host user ****"), and the argument of
// a quoted PASS or ACCT, are masked; any other line unchanged.
std::string MaskedScriptLine(const std::string& line);

// Shows the line, masked, as a message: "> CWD /pub".
void EchoCommand(const std::string& line);
