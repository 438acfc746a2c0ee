// The local volumes the folder tree shows as its top items ("drives"): the
// root folder, the user's home folder, then mounted volumes, each labelled
// with its path ending in "/" and drawn by its kind.
#pragma once

#include <string>
#include <vector>

enum class DriveKind {
    Hidden,     // pseudo and system mounts, or a kind that cannot be told
    Fixed,      // block devices, and RAM disks (tmpfs) in the volume folders
    Removable,  // removable devices, and anything under /media or /run/media
    CdRom,      // iso9660, udf
    Network,    // nfs, cifs/smb, sshfs and other network file systems
};

struct DriveInfo {
    std::string m_strRoot;  // ends in "/"
    DriveKind m_nKind = DriveKind::Hidden;
};

// What the system tells about one mount.
struct MountFacts {
    std::string rootPath;  // the mount point, without a trailing "/" (but "/")
    std::string fsType;    // "ext4", "tmpfs", "nfs4", "fuse.sshfs", ...
    std::string device;    // "/dev/sdb1", "server:/export", "tmpfs"
    bool removableDevice = false;
};

// The kind a mount is shown as; Hidden when it is not shown.
DriveKind ClassifyMount(const MountFacts& mount);
// The shown volumes in their order: "/" first, then the home folder, then the
// mounts in the system's order. Each label appears once.
std::vector<DriveInfo> ListDrives();
// The kind of the volume holding `path` (the home folder counts as fixed).
DriveKind GetDriveKind(const std::string& path);
// The label of the drive holding `path`: the longest label that prefixes it,
// or "" when none does.
std::string DriveOfPath(const std::string& path, const std::vector<std::string>& labels);
