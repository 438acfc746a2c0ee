// Which mounts become top items of the tree, drawn as which kind, and which
// top item a path belongs to.
#include "DriveVolumes.h"

#include <QDir>

#include <gtest/gtest.h>

TEST(DriveVolumes, MountsAreClassifiedByTypePlaceAndDevice)
{
    struct Case {
        MountFacts mount;
        DriveKind kind;
    };
    const Case cases[] = {
        {{"/home", "ext4", "/dev/sda3", false}, DriveKind::Fixed},
        {{"/data", "xfs", "/dev/nvme0n1p4", false}, DriveKind::Fixed},
        {{"/mnt/backup", "ext4", "/dev/sdc1", false}, DriveKind::Fixed},
        {{"/mnt/scratch", "tmpfs", "tmpfs", false}, DriveKind::Fixed},  // a RAM disk looks fixed
        {{"/media/ann/STICK", "vfat", "/dev/sdb1", false}, DriveKind::Removable},
        {{"/run/media/ann/STICK", "exfat", "/dev/sdb1", false}, DriveKind::Removable},
        {{"/srv/usb", "vfat", "/dev/sdd1", true}, DriveKind::Removable},
        {{"/media/cdrom", "iso9660", "/dev/sr0", true}, DriveKind::CdRom},
        {{"/mnt/dvd", "udf", "/dev/sr1", true}, DriveKind::CdRom},
        {{"/net/share", "nfs4", "server:/export", false}, DriveKind::Network},
        {{"/mnt/win", "cifs", "//server/share", false}, DriveKind::Network},
        {{"/home/ann/remote", "fuse.sshfs", "ann@host:", false}, DriveKind::Network},
        {{"/proc", "proc", "proc", false}, DriveKind::Hidden},
        {{"/sys/fs/cgroup", "cgroup2", "cgroup2", false}, DriveKind::Hidden},
        {{"/run", "tmpfs", "tmpfs", false}, DriveKind::Hidden},
        {{"/run/user/1000", "tmpfs", "tmpfs", false}, DriveKind::Hidden},
        {{"/dev/shm", "tmpfs", "tmpfs", false}, DriveKind::Hidden},
        {{"/tmp", "tmpfs", "tmpfs", false}, DriveKind::Hidden},
        {{"/boot/efi", "vfat", "/dev/sda1", false}, DriveKind::Hidden},
        {{"/snap/core/123", "squashfs", "/dev/loop0", false}, DriveKind::Hidden},
        {{"/var/lib/docker/overlay2/x/merged", "overlay", "overlay", false}, DriveKind::Hidden},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyMount(c.mount), c.kind) << c.mount.rootPath << " " << c.mount.fsType;
}

TEST(DriveVolumes, TheLongestLabelOwnsAPath)
{
    const std::vector<std::string> labels = {"/", "/home/ann/", "/home/ann/remote/", "/media/ann/STICK/"};
    EXPECT_EQ(DriveOfPath("/home/ann/remote/docs", labels), "/home/ann/remote/");
    EXPECT_EQ(DriveOfPath("/home/ann", labels), "/home/ann/");
    EXPECT_EQ(DriveOfPath("/home/annex/x", labels), "/");
    EXPECT_EQ(DriveOfPath("/etc", labels), "/");
    EXPECT_EQ(DriveOfPath("relative/path", labels), "");
}

TEST(DriveVolumes, RootAndHomeComeFirst)
{
    const std::vector<DriveInfo> drives = ListDrives();
    ASSERT_GE(drives.size(), 1u);
    EXPECT_EQ(drives[0].m_strRoot, "/");
    EXPECT_EQ(drives[0].m_nKind, DriveKind::Fixed);
    const std::string home = QDir::homePath().toStdString() + "/";
    if (home != "//") {
        ASSERT_GE(drives.size(), 2u);
        EXPECT_EQ(drives[1].m_strRoot, home);
    }
    for (const DriveInfo& drive : drives) {
        EXPECT_EQ(drive.m_strRoot.back(), '/');
        EXPECT_NE(drive.m_nKind, DriveKind::Hidden);
    }
}
