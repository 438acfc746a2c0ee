// COleDS: what Tavo puts on the clipboard and hands to a drag. It always
// carries the private block (our own copy of what it describes, so a later
// copy never changes what an older one pastes); a selection of local items
// also carries the desktop's file lists, so file managers paste them, with
// the cut or copy mark they understand.
//
// The free functions below decide how pasted or dropped data is read, for
// the tree and the list alike.
#pragma once

#include "FileDescList.h"
#include "PrivateClip.h"

#include <QMimeData>

#include <memory>
#include <string>
#include <vector>

class CRenderFolder;
class IStream;

inline constexpr const char* kMimeUriList = "text/uri-list";
inline constexpr const char* kMimeGnomeCopiedFiles = "x-special/gnome-copied-files";
inline constexpr const char* kMimeKdeCutSelection = "application/x-kde-cutselection";

class COleDS : public QMimeData {
    Q_OBJECT

public:
    COleDS(const PrivateClipHeader& header, std::vector<PrivateClipItem> items);
    ~COleDS() override;

    const PrivateClip& Clip() const { return m_clip; }
    bool IsCut() const { return m_clip.header.m_bCut; }
    bool IsFtp() const { return m_clip.header.m_nSession > 0; }

    // The data source when `data` is one of ours, else nullptr. Bytes in our
    // private format offered by another process are never taken as ours.
    static const COleDS* Own(const QMimeData* data);

    // --- FTP items --------------------------------------------------------
    // Their descriptors; by default one per item, without sizes. The file
    // list gives the ones of its rows (with sizes) at creation.
    const CFileDescList& FileDescriptors() const { return m_descs; }
    void SetFileDescriptors(const CFileDescList& list);
    // A stream reading the file of descriptor `index`; nullptr (with a
    // message) when it cannot be opened. The caller owns the reference.
    IStream* CreateIStream(int index) const;

    // Other programs take FTP items as local files: the URI list and the
    // GNOME list are offered, and made by downloading only when asked for.
    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    void AddLocalFileLists();
    // Downloads the items once; false (and nothing offered) when that
    // failed or cannot be done now.
    bool RenderLocalCopies() const;

    PrivateClip m_clip;
    CFileDescList m_descs;
    mutable std::unique_ptr<CRenderFolder> m_pFolder;
    mutable bool m_bRendered = false;
    mutable bool m_bRenderFailed = false;
    mutable bool m_bRendering = false;
    mutable QByteArray m_uriList;
    mutable QByteArray m_gnomeList;
};

// Desktop file-list URIs for local paths: percent-encoded file:// URIs.
QByteArray UriListFor(const std::vector<std::string>& paths);

// True when the data is a list of files to read as paths: from another
// program, or our own selection of local items. Our own FTP selection is not:
// inside Tavo it goes through the private block, so that copies between
// servers stay server to server and a cut stays a move.
bool OffersShellFileList(const QMimeData* data);
// Our own private block (never another process's).
bool OffersPrivateFormat(const QMimeData* data);
// Anything Paste can use.
bool CanPasteData(const QMimeData* data);
// The data was cut, not copied: our cut flag, or the cut mark that file
// managers put beside their lists.
bool IsCutData(const QMimeData* data);

// The local paths of a shell file list. Only file:// URIs count (others are
// skipped with a message); a trailing "/" is dropped; a path without a name
// is skipped.
std::vector<std::string> LocalPathsFromData(const QMimeData* data);
// The last component of a local path ("/a/b/" gives "b"); empty for "/".
std::string LastComponent(const std::string& path);
