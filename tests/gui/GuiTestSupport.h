// Shared by the client-core tests: the trace log's output, files, and a
// logged-in session on a test-bed server.
#pragma once

#include "TestFiles.h"

#include "TraceCapture.h"

#include <filesystem>
#include <string>
#include <vector>

class CSession;
class CTavoDoc;
namespace testbed {
class TestFtpServer;
}

namespace guitest {

// The folders the test program gave the desktop: $XDG_CONFIG_HOME and
// $XDG_DATA_HOME, both inside one temporary folder.
const std::filesystem::path& ConfigHome();
const std::filesystem::path& DataHome();
// A fresh empty folder for one test, under the program's temporary folder.
std::filesystem::path NewScratchFolder(const std::string& hint);

using testsupport::TraceCapture;

using testsupport::ReadFile;
using testsupport::WriteFile;

// A session named `name` in the document, logged in (passive) to the server
// with its folder recorded, as the folder tree leaves it.
CSession* LoginSession(CTavoDoc& doc, const testbed::TestFtpServer& server, std::string name = "testbed");

}  // namespace guitest
