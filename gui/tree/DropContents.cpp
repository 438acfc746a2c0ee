// Drops and pastes of file descriptors with contents: files another
// program describes, or FTP rows of our own file list. Each file is read
// through a stream and written into the target folder, locally under its
// real name only once complete, on a server through the session's upload.
#include "DriveView.h"

#include "FileDescList.h"
#include "FtpSession.h"
#include "IStreamFile.h"
#include "LocalFileOp.h"
#include "OleDS.h"
#include "PasteTransfers.h"
#include "PrivateClip.h"
#include "RenderFiles.h"
#include "SessionRegistry.h"
#include "Stream.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#ifdef TAVO_HAVE_VIEWS
#include "FileView.h"
#include "WaitHook.h"
#endif

#include <QMimeData>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The whole stream into `target`, which appears only when complete; an
// existing file there stays as it was until then.
bool StreamToLocalFile(IStream& source, const std::string& target)
{
    const std::string part = CreatePartFile(target);
    if (part.empty()) {
        g_TraceLog.Message("Cannot create a file beside %s: %s", target.c_str(), std::strerror(errno));
        return false;
    }
    // The part file was made private; the copy gets what any new file gets.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(part.c_str(), 0666 & ~mask);

    auto* out = new CIStreamFile;
    out->AddRef();
    bool ok = out->Open(part, CIStreamFile::modeWrite) != 0;
    if (ok) {
        std::uint64_t read = 0;
        std::uint64_t written = 0;
        const StreamResult copied = source.CopyTo(out, UINT64_MAX, &read, &written);
        const StreamResult closed = out->Commit(0);
        ok = copied == kStreamOk && closed == kStreamOk && read == written;
    }
    out->Release();
    if (ok && ::rename(part.c_str(), target.c_str()) != 0) {
        g_TraceLog.Message("Cannot store %s: %s", target.c_str(), std::strerror(errno));
        ok = false;
    }
    if (!ok)
        ::unlink(part.c_str());
    return ok;
}

}  // namespace

bool CDriveView::ProcessOleFG(const QMimeData* data, QTreeWidgetItem* target)
{
    g_TraceLog.Trace("CDriveView::ProcessOleFG: Begin");
    if (!target || !GetItemData(target))
        return false;
    const int handle = GetFtpHandle(target);
    if (GetItemData(target)->m_nFtpHandle > 0 && handle <= 0)
        return false;
    return ProcessDropFileContents(data, GetPathFromItem(target, true), handle > 0 ? handle : 0);
}

bool CDriveView::ProcessDropFileContents(const QMimeData* data, const std::string& targetFolder, int targetHandle)
{
    g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Begin. Drop directory = %s", targetFolder.c_str());
    g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Process CFSTR_FILEDESCRIPTOR");
    const QString format = QString::fromLatin1(kMimeFileGroupDescriptor);
    if (!data || !data->hasFormat(format)) {
        g_TraceLog.Trace("CDriveView::ProcessDropFileContents: GetData(FILEDECRIPTOR) failed.");
        return false;
    }
    std::vector<FileDescriptor> records;
    if (!ParseFileGroupDescriptor(data->data(format), records)) {
        g_TraceLog.Message("The files offered cannot be copied: their description is damaged");
        return false;
    }
    CSession* session = targetHandle > 0 ? g_GetSession(targetHandle) : nullptr;
    if (targetHandle > 0 && !session) {
        g_TraceLog.Message("Cannot copy into %s: the server is no longer connected", targetFolder.c_str());
        return false;
    }
#ifdef TAVO_HAVE_VIEWS
    CWaitCursor wait;
#endif
    g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Get CFSTR_FILEDESCRIPTOR");
    g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Number of files: %u", static_cast<unsigned>(records.size()));
    // Contents travel in process only: another program's descriptors come
    // without any.
    const COleDS* own = COleDS::Own(data);
    // Uploads go through a local copy, so that the source may be a file of
    // the very server (one transfer at a time on a connection).
    std::unique_ptr<CRenderFolder> spool;
    bool success = true;
    bool changed = false;
    for (size_t i = 0; i < records.size(); ++i) {
        const FileDescriptor& record = records[i];
        if (!IsSafeName(record.m_strName)) {
            g_TraceLog.Message("Skipped %s: not a file or folder name", record.m_strName.c_str());
            success = false;
            continue;
        }
        std::string path = targetFolder + record.m_strName;
        g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Process file (%s)", path.c_str());
        path = CheckFileName(path, targetHandle);
        if (path.empty()) {
            g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Cancel copy.");
            continue;
        }
        if (record.IsFolder()) {
            changed = true;
            if (session) {
                g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Make Ftp directory (%s)", path.c_str());
                if (session->FtpMkDir(path) != 0 && session->FtpExists(path) <= 0) {
                    CTavoDoc::ShowLastError();
                    g_TraceLog.Message("Cannot create the folder %s on %s", path.c_str(), session->m_strName.c_str());
                    success = false;
                }
            } else {
                g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Make local directory (%s)", path.c_str());
                if (!CopyDirectories(path))
                    success = false;
            }
            continue;
        }
        IStream* source = own ? own->CreateIStream(static_cast<int>(i)) : nullptr;
        if (!source) {
            g_TraceLog.Trace("CDriveView::ProcessDropFileContents: GetData(FILECONTENTS) failed.");
            g_TraceLog.Message("Cannot copy %s: its contents cannot be read", record.m_strName.c_str());
            success = false;
            continue;
        }
        changed = true;
        bool copied;
        if (!session) {
            g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Read Stream and send to local file");
            copied = StreamToLocalFile(*source, path);
            source->Release();
        } else {
            g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Read Stream and send to FTP");
            if (!spool)
                spool = std::make_unique<CRenderFolder>();
            const std::string local = spool->Path() + "/" + record.m_strName;
            copied = !spool->Path().empty() && StreamToLocalFile(*source, local);
            source->Release();
            if (copied) {
                const bool existed = session->FtpExists(path) > 0;
                copied = paste::UploadFile(*session, local, path, g_nTransferType, !existed) == 0;
            }
            ::unlink(local.c_str());
        }
        if (!copied) {
            g_TraceLog.Message("Cannot copy %s to %s", record.m_strName.c_str(), path.c_str());
            success = false;
            break;
        }
    }
#ifdef TAVO_HAVE_VIEWS
    if (changed && g_pFileView)
        g_pFileView->RefreshView();
#endif
    g_TraceLog.Trace("CDriveView::ProcessDropFileContents: Done.");
    return success;
}
