#include "ScriptRunSupport.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace scripttest {

namespace {

EchoRecorder* g_recorder = nullptr;

}  // namespace

EchoRecorder::EchoRecorder()
{
    g_recorder = this;
}

EchoRecorder::~EchoRecorder()
{
    g_recorder = nullptr;
}

int EchoRecorder::Client(std::intptr_t data, const char* text)
{
    EchoRecorder* recorder = g_recorder;
    recorder->client.emplace_back(text);
    recorder->all.push_back(std::string("client: ") + text);
    recorder->userData.push_back(data);
    return 0;
}

int EchoRecorder::Server(std::intptr_t data, const char* text)
{
    EchoRecorder* recorder = g_recorder;
    recorder->server.emplace_back(text);
    recorder->all.push_back(std::string("server: ") + text);
    recorder->userData.push_back(data);
    return 0;
}

ScriptFolder::ScriptFolder()
{
    char pattern[] = "/tmp/marlo-scripts-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("no temporary folder for scripts");
    m_path = pattern;
}

ScriptFolder::~ScriptFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string ScriptFolder::Write(const std::string& name, const std::string& text) const
{
    const std::filesystem::path path = m_path / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return path.string();
}

}  // namespace scripttest
