#include "OleDS.h"

#include "RenderFiles.h"
#include "Stream.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#include <QUrl>

COleDS::COleDS(const PrivateClipHeader& header, std::vector<PrivateClipItem> items)
{
    m_clip.header = header;
    m_clip.header.m_nCount = static_cast<int>(items.size());
    m_clip.items = std::move(items);
    setData(g_cfTavo.isEmpty() ? QString::fromLatin1(kTavoClipboardMimeType) : g_cfTavo,
            PackPrivateClip(m_clip.header, m_clip.items));
    if (!IsFtp()) {
        AddLocalFileLists();
        return;
    }
    CFileDescList list;
    list.m_nSession = m_clip.header.m_nSession;
    list.m_strFolder = m_clip.header.m_strPath;
    for (const PrivateClipItem& item : m_clip.items) {
        FileDescriptor record;
        // The tree knows no sizes: they are not claimed.
        record.m_nFlags = kFdAttributes | kFdWriteTime;
        record.m_nAttributes = item.m_bIsDir ? kFileAttributeDirectory : kFileAttributeNormal;
        record.m_nWriteTime = FileTimeFromUnix(item.m_tModified);
        record.m_strName = item.m_strName;
        list.m_aRecords.push_back(record);
    }
    SetFileDescriptors(list);
}

COleDS::~COleDS() = default;

void COleDS::SetFileDescriptors(const CFileDescList& list)
{
    m_descs = list;
    setData(QString::fromLatin1(kMimeFileGroupDescriptor), PackFileGroupDescriptor(m_descs.m_aRecords));
}

IStream* COleDS::CreateIStream(int index) const
{
    return ::CreateIStream(m_descs, index);
}

QStringList COleDS::formats() const
{
    QStringList list = QMimeData::formats();
    if (IsFtp()) {
        for (const char* format : {kMimeUriList, kMimeGnomeCopiedFiles}) {
            if (!list.contains(QLatin1String(format)))
                list.append(QString::fromLatin1(format));
        }
    }
    return list;
}

bool COleDS::hasFormat(const QString& mimeType) const
{
    return formats().contains(mimeType);
}

QVariant COleDS::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (IsFtp() && (mimeType == QLatin1String(kMimeUriList) || mimeType == QLatin1String(kMimeGnomeCopiedFiles))) {
        g_TraceLog.Trace("COleDS::OnRenderData: %s", mimeType.toUtf8().constData());
        if (!RenderLocalCopies())
            return QVariant();
        return mimeType == QLatin1String(kMimeUriList) ? m_uriList : m_gnomeList;
    }
    return QMimeData::retrieveData(mimeType, type);
}

bool COleDS::RenderLocalCopies() const
{
    if (m_bRendered)
        return true;
    if (m_bRenderFailed)
        return false;
    if (m_bRendering || AnyNetworkCallRunning()) {
        g_TraceLog.Message("The files cannot be handed to another program while a transfer runs; try again when it has ended");
        return false;
    }
    m_bRendering = true;
    m_pFolder = std::make_unique<CRenderFolder>();
    std::vector<std::string> paths;
    const bool done = !m_pFolder->Path().empty() && DownloadDescribed(m_descs, m_pFolder->Path() + "/", paths);
    m_bRendering = false;
    if (!done) {
        m_bRenderFailed = true;
        m_pFolder.reset();
        return false;
    }
    m_uriList = UriListFor(paths);
    // A cut of FTP items is a copy to other programs: the items stay on
    // the server, and what they take is our temporary copy.
    m_gnomeList = "copy";
    for (const std::string& path : paths)
        m_gnomeList += '\n' + QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded();
    m_bRendered = true;
    return true;
}

const COleDS* COleDS::Own(const QMimeData* data)
{
    return qobject_cast<const COleDS*>(data);
}

void COleDS::AddLocalFileLists()
{
    std::vector<std::string> paths;
    paths.reserve(m_clip.items.size());
    for (const PrivateClipItem& item : m_clip.items)
        paths.push_back(m_clip.SourcePath(item));
    const QByteArray uris = UriListFor(paths);
    setData(QString::fromLatin1(kMimeUriList), uris);
    // File managers read the GNOME list ("copy" or "cut", then one URI per
    // line) and KDE's cut mark beside the plain URI list.
    QByteArray gnome = IsCut() ? "cut" : "copy";
    for (const std::string& path : paths)
        gnome += '\n' + QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded();
    setData(QString::fromLatin1(kMimeGnomeCopiedFiles), gnome);
    if (IsCut())
        setData(QString::fromLatin1(kMimeKdeCutSelection), QByteArray("1"));
}

QByteArray UriListFor(const std::vector<std::string>& paths)
{
    QByteArray list;
    for (const std::string& path : paths)
        list += QUrl::fromLocalFile(QString::fromStdString(path)).toEncoded() + "\r\n";
    return list;
}

bool OffersShellFileList(const QMimeData* data)
{
    if (!data || !data->hasFormat(QString::fromLatin1(kMimeUriList)))
        return false;
    const COleDS* own = COleDS::Own(data);
    return !own || !own->IsFtp();
}

bool OffersPrivateFormat(const QMimeData* data)
{
    const COleDS* own = COleDS::Own(data);
    return own && !own->Clip().IsEmpty();
}

bool CanPasteData(const QMimeData* data)
{
    return OffersPrivateFormat(data) || OffersShellFileList(data);
}

bool IsCutData(const QMimeData* data)
{
    if (!data)
        return false;
    if (const COleDS* own = COleDS::Own(data))
        return own->IsCut();
    if (data->data(QString::fromLatin1(kMimeKdeCutSelection)).trimmed() == "1")
        return true;
    const QByteArray gnome = data->data(QString::fromLatin1(kMimeGnomeCopiedFiles));
    return gnome.startsWith("cut\n") || gnome == "cut";
}

std::string LastComponent(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::vector<std::string> LocalPathsFromData(const QMimeData* data)
{
    std::vector<std::string> paths;
    if (!data)
        return paths;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            g_TraceLog.Message("Skipped %s: only local files can be copied from a list of files",
                               url.toDisplayString().toUtf8().constData());
            continue;
        }
        std::string path = url.toLocalFile().toStdString();
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        const std::string name = LastComponent(path);
        if (path.empty() || path.front() != '/' || !IsSafeName(name)) {
            g_TraceLog.Message("Skipped %s: not a file or folder name", path.c_str());
            continue;
        }
        paths.push_back(path);
    }
    return paths;
}
