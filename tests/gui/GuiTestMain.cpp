// The client-core tests run inside a widget application on the offscreen
// platform, with the desktop's per-user folders (profile, Send To, the
// applications registered for file types) in a temporary folder. All of it
// is set before Qt or GIO first look at the environment.
#include "GuiTestSupport.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

namespace guitest {

namespace {

std::filesystem::path g_root;
std::filesystem::path g_configHome;
std::filesystem::path g_dataHome;
int g_scratchCount = 0;

// Two applications for plain text: a default one (mimeapps.list) and
// another, so that file-type menus have something known to show.
void RegisterTestApplications()
{
    const std::filesystem::path apps = g_dataHome / "applications";
    WriteFile(apps / "tavo-test-viewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Tavo Test Viewer\nExec=true %f\nMimeType=text/plain;\n");
    WriteFile(apps / "tavo-test-editor.desktop",
              "[Desktop Entry]\nType=Application\nName=Tavo Test Editor\nExec=true %f\nMimeType=text/plain;\n");
    WriteFile(g_configHome / "mimeapps.list",
              "[Default Applications]\ntext/plain=tavo-test-viewer.desktop;\n"
              "[Added Associations]\ntext/plain=tavo-test-viewer.desktop;tavo-test-editor.desktop;\n");
}

}  // namespace

const std::filesystem::path& ConfigHome()
{
    return g_configHome;
}

const std::filesystem::path& DataHome()
{
    return g_dataHome;
}

std::filesystem::path NewScratchFolder(const std::string& hint)
{
    const std::filesystem::path folder = g_root / "scratch" / (hint + "-" + std::to_string(++g_scratchCount));
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace guitest

int main(int argc, char** argv)
{
    using namespace guitest;
    char pattern[] = "/tmp/tavo-gui-tests-XXXXXX";
    if (!mkdtemp(pattern))
        throw std::runtime_error("no temporary folder");
    g_root = pattern;
    g_configHome = g_root / "config";
    g_dataHome = g_root / "data";
    std::filesystem::create_directories(g_configHome);
    std::filesystem::create_directories(g_dataHome);
    RegisterTestApplications();
    setenv("XDG_CONFIG_HOME", g_configHome.c_str(), 1);
    setenv("XDG_DATA_HOME", g_dataHome.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::error_code error;
    std::filesystem::remove_all(g_root, error);
    return result;
}
