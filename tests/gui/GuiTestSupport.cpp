#include "GuiTestSupport.h"

#include "FtpSession.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"

#include <gtest/gtest.h>


namespace guitest {

CSession* LoginSession(CTavoDoc& doc, const testbed::TestFtpServer& server, std::string name)
{
    CSession* session = doc.AddSession(name);
    EXPECT_NE(session, nullptr);
    if (!session)
        return nullptr;
    EXPECT_EQ(session->Login(server.HostPort(), server.User(), server.Password(), "", false, true), 0);
    session->SetPwd();
    return session;
}

}  // namespace guitest
