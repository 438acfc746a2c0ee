// The server kind read from the form of the current folder.
#include "FtpSession.h"
#include "SessionTestSupport.h"

#include <gtest/gtest.h>

using sessiontest::TraceCapture;

namespace {

TEST(SessionOSType, FolderFormDecidesKindAndSeparator)
{
    struct Case {
        const char* folder;
        int before;
        int after;
        const char* separator;
        const char* trace;  // empty: no change traced
    };
    const Case cases[] = {
        {"C:\\pub", OsUnknown, OsDos, "\\", "Set OS type to DOS type"},
        {"C:\\pub", OsUnix, OsDos, "\\", "Change OS type to DOS type"},
        {"C:\\pub", OsNtUnix, OsNt, "\\", "Change OS type to NT type"},
        {"C:\\pub", OsDos, OsDos, "\\", ""},
        {"C:\\pub", OsNt, OsNt, "\\", ""},
        {"/pub", OsUnknown, OsUnix, "/", "Set OS type to UNIX type"},
        {"/pub", OsDos, OsUnix, "/", "Change OS type to UNIX type"},
        {"/pub", OsNt, OsNtUnix, "/", "Change OS type to NT_UNIX type"},
        {"/pub", OsUnix, OsUnix, "/", ""},
        {"/pub", OsNtUnix, OsNtUnix, "/", ""},
        {"/mixed\\name", OsUnix, OsDos, "\\", "Change OS type to DOS type"},  // backslash wins
        {"pub", OsNt, OsNt, "/", ""},  // neither character: nothing changes
    };
    for (const Case& c : cases) {
        TraceCapture trace;
        CSession session;
        session.m_strCurDir = c.folder;
        session.m_nOSType = c.before;
        session.VerifyOSType();
        EXPECT_EQ(session.m_nOSType, c.after) << c.folder << " from " << c.before;
        EXPECT_EQ(session.GetSeparator(), c.separator) << c.folder << " from " << c.before;
        const bool traced = trace.Has("VerifyOSType");
        EXPECT_EQ(traced, *c.trace != '\0') << c.folder << " from " << c.before;
        if (traced) {
            EXPECT_TRUE(trace.Has(std::string("CSession.VerifyOSType: ") + c.trace)) << c.folder;
        }
    }
}

TEST(SessionOSType, SetOSTypeVerifiesAndAnUnknownFolderChangesNothing)
{
    CSession session;
    session.m_strCurDir = "D:\\";
    session.SetOSType(OsUnix);
    EXPECT_EQ(session.m_nOSType, OsDos);

    CSession offline;  // no folder known, and none to ask for
    offline.SetOSType(OsNt);
    EXPECT_EQ(offline.m_nOSType, OsNt);
    EXPECT_EQ(offline.GetSeparator(), "/");
}

}  // namespace
