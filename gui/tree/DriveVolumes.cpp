#include "DriveVolumes.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <fstream>

namespace {

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool IsUnder(const std::string& path, const std::string& folder)
{
    return path == folder || StartsWith(path, folder + "/");
}

bool IsNetworkType(const std::string& type)
{
    static const char* const kTypes[] = {"nfs", "nfs4", "cifs", "smb", "smbfs", "smb3", "sshfs", "fuse.sshfs",
                                         "9p", "afs", "ncpfs", "ceph", "glusterfs", "fuse.glusterfs",
                                         "davfs", "fuse.davfs2", "fuse.rclone", "fuse.s3fs", "lustre"};
    return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

bool IsPseudoType(const std::string& type)
{
    static const char* const kTypes[] = {
        "proc", "sysfs", "cgroup", "cgroup2", "devtmpfs", "devpts", "securityfs", "pstore", "debugfs",
        "tracefs", "configfs", "fusectl", "mqueue", "hugetlbfs", "bpf", "autofs", "binfmt_misc", "efivarfs",
        "rpc_pipefs", "nsfs", "overlay", "squashfs", "ramfs", "fuse.portal", "fuse.gvfsd-fuse", "fuse.lxcfs",
    };
    return std::find(std::begin(kTypes), std::end(kTypes), type) != std::end(kTypes);
}

// /sys/class/block/<name>/removable; a partition asks its disk.
bool IsRemovableDevice(const std::string& device)
{
    if (!StartsWith(device, "/dev/"))
        return false;
    const QString name = QFileInfo(QString::fromStdString(device)).canonicalFilePath().section(u'/', -1);
    if (name.isEmpty())
        return false;
    const QString block = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    for (const QString& folder : {block, QFileInfo(block).path()}) {
        std::ifstream in((folder + QStringLiteral("/removable")).toStdString());
        int flag = 0;
        if (in >> flag)
            return flag == 1;
    }
    return false;
}

MountFacts FactsOf(const QStorageInfo& volume)
{
    MountFacts facts;
    facts.rootPath = volume.rootPath().toStdString();
    facts.fsType = volume.fileSystemType().toStdString();
    facts.device = volume.device().toStdString();
    facts.removableDevice = IsRemovableDevice(facts.device);
    return facts;
}

std::string Label(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

}  // namespace

DriveKind ClassifyMount(const MountFacts& mount)
{
    const std::string& root = mount.rootPath;
    const std::string& type = mount.fsType;
    if (root.empty() || IsPseudoType(type))
        return DriveKind::Hidden;
    if (type == "iso9660" || type == "udf")
        return DriveKind::CdRom;
    if (IsNetworkType(type) || StartsWith(type, "nfs"))
        return DriveKind::Network;
    // System folders are never shown, whatever is mounted there.
    if (IsUnder(root, "/proc") || IsUnder(root, "/sys") || IsUnder(root, "/dev") || IsUnder(root, "/boot/efi")
        || IsUnder(root, "/snap") || IsUnder(root, "/var/snap") || IsUnder(root, "/var/lib/snapd"))
        return DriveKind::Hidden;
    const bool inMediaFolder = IsUnder(root, "/media") || IsUnder(root, "/run/media");
    const bool inVolumeFolder = inMediaFolder || IsUnder(root, "/mnt");
    if (IsUnder(root, "/run") && !IsUnder(root, "/run/media"))
        return DriveKind::Hidden;
    if (type == "tmpfs")
        return inVolumeFolder && root != "/media" && root != "/run/media" && root != "/mnt" ? DriveKind::Fixed
                                                                                               : DriveKind::Hidden;
    if (!StartsWith(mount.device, "/dev/"))
        return DriveKind::Hidden;
    if (mount.removableDevice || inMediaFolder)
        return DriveKind::Removable;
    return DriveKind::Fixed;
}

std::vector<DriveInfo> ListDrives()
{
    std::vector<DriveInfo> drives;
    const auto add = [&drives](const std::string& root, DriveKind kind) {
        if (kind == DriveKind::Hidden)
            return;
        const std::string label = Label(root);
        for (const DriveInfo& drive : drives) {
            if (drive.m_strRoot == label)
                return;
        }
        drives.push_back({label, kind});
    };
    add("/", DriveKind::Fixed);
    const QString home = QDir::homePath();
    if (!home.isEmpty() && QFileInfo(home).isDir())
        add(home.toStdString(), DriveKind::Fixed);
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const MountFacts facts = FactsOf(volume);
        if (facts.rootPath == "/")
            continue;
        add(facts.rootPath, ClassifyMount(facts));
    }
    return drives;
}

DriveKind GetDriveKind(const std::string& path)
{
    const QStorageInfo volume(QString::fromStdString(path));
    if (!volume.isValid())
        return DriveKind::Hidden;
    const MountFacts facts = FactsOf(volume);
    if (facts.rootPath == "/")
        return DriveKind::Fixed;
    const DriveKind kind = ClassifyMount(facts);
    if (kind == DriveKind::Hidden && path == Label(QDir::homePath().toStdString()))
        return DriveKind::Fixed;
    return kind;
}

std::string DriveOfPath(const std::string& path, const std::vector<std::string>& labels)
{
    std::string best;
    const std::string withSlash = Label(path);
    for (const std::string& label : labels) {
        if (label.size() > best.size() && StartsWith(withSlash, label))
            best = label;
    }
    return best;
}
