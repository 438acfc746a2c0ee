// Fixture of the statement tests: a real test-bed server, a folder for
// scripts and local files, and the echo recorder. Scripts run through the
// library's export, as every caller runs them.
#pragma once

#include "TestFiles.h"

#include "ScriptRunSupport.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace scripttest {

class ScriptServerTest : public ::testing::Test {
protected:
    ScriptServerTest();

    // The text with LOGIN replaced by a login line for the server and LOCAL
    // by the local folder's path.
    std::string Script(std::string text) const;
    // Runs the text as a script file; the run's code.
    int Run(const std::string& text);

    // Commands the server received from `mark` (an earlier Commands().size()).
    std::vector<std::string> CommandsSince(size_t mark) const;
    size_t Mark() const { return server.Commands().size(); }
    // Commands since `mark` that start with `prefix`.
    int CountSince(size_t mark, const std::string& prefix) const;
    // Commands since `mark` other than those of logging in and out.
    std::vector<std::string> WorkSince(size_t mark) const;

    std::filesystem::path Remote(const std::string& name) const { return server.Root() / name; }
    std::filesystem::path Local(const std::string& name) const { return local / name; }
    // All texts the client callback received, and the server callback.
    std::string ClientText() const;
    std::string ServerText() const;

    testbed::TestFtpServer server;
    ScriptFolder folder;
    std::filesystem::path local;
    EchoRecorder echo;
};

using testsupport::ReadFile;
using testsupport::WriteFile;
// Bytes that repeat only every 251, so that a wrong offset shows.
std::string Pattern(size_t size);

}  // namespace scripttest
