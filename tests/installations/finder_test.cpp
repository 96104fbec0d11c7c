// The finder on a home folder laid out as each emulator leaves it, its
// configuration files written in the emulators' own formats: which machines
// and disks each reader finds, that hostile or odd files neither hang nor
// mislead it, and which disks hold Windows 95/98, on real images.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QString>
#include <QUuid>
#include <chrono>
#include <csignal>
#include <fstream>
#include <set>
#include <tuple>

#include "config_file.h"
#include "disk_confirmation.h"
#include "emulator_finder.h"
#include "folder_walk.h"
#include "image_maker.h"
#include "machine_reader.h"
#include "ordinary_user.h"
#include "temp_drive.h"

namespace quenlark::testing {
namespace {

namespace fs = std::filesystem;

using Disk = std::tuple<std::string, std::string, fs::path, DeclaredSystem>;

class Finder : public ::testing::Test {
  protected:
    fs::path home() const { return drive_.root(); }
    FinderPlaces places() const {
        FinderPlaces places;
        places.home = home();
        places.configHome = home() / ".config";
        places.dataHome = home() / ".local/share";
        places.systemLibvirt = home() / "etc-libvirt";
        return places;
    }
    void put(const fs::path& file, const std::string& text) const { TempDrive::put(file, text); }

    MachineList readAll(const std::vector<fs::path>& searchFolders = {}) const {
        MachineList machines;
        const FinderInput input{places(), walkSearchFolders(searchFolders)};
        for (const auto& reader : allMachineReaders())
            reader->read(input, machines);
        return machines;
    }
    static std::vector<Disk> disksOf(const MachineList& machines) {
        std::vector<Disk> disks;
        for (const MachineDisk& disk : machines.disks)
            disks.emplace_back(disk.machine, disk.emulator, disk.path, disk.system);
        return disks;
    }

    TempDrive drive_;
};

TEST_F(Finder, EachEmulatorsFilesNameItsMachinesAndDisks) {
    // 86Box 5.x: the manager's folder moved by 86box_global.cfg, a display
    // name in vmm.ini, disks relative, write-protected, above the folder and
    // from a configuration made on Windows; a slot switched off.
    const fs::path vms = home() / "retro/86box";
    put(home() / ".config/86Box/86box_global.cfg", "[Emulator]\nvmm_path = " + vms.string() + "\n");
    put(vms / "Win98/86box.cfg",
        "[Machine]\nmachine = p2bls\n\n[Hard disks]\nhdd_01_parameters = 63, 16, 1023, 0, ide\n"
        "hdd_01_fn = disks\\w98.img\nhdd_01_ide_channel = 0:0\n"
        "hdd_02_parameters = 63, 16, 100, 0, ide\nhdd_02_fn = wp://../shared/data.vhd\n"
        "hdd_03_parameters = 63, 16, 100, 0, scsi\nhdd_03_fn = Z:/srv/images/extra.img\n"
        "hdd_04_parameters = 63, 16, 100, 0, ide\nhdd_04_fn = C:\\Users\\me\\86Box "
        "VMs\\copied.img\n"
        "hdd_05_parameters = 0, 0, 0, 0, none\nhdd_05_fn = off.img\n");
    put(vms / "Group/DOS 6/86box.cfg",
        "[Hard disks]\nhdd_01_parameters = 17, 4, 615, 0, mfm\nhdd_01_fn = dos.img\n");
    const QString key =
        QUuid::createUuidV5(QUuid(),
                            QString::fromStdString(fs::canonical(vms / "Win98").string() + "/"))
            .toString(QUuid::WithoutBraces);
    put(home() / ".config/86Box/vmm.ini",
        "[" + key.toStdString() +
            "]\nsystem_name=Win98\ndisplay_name=\"Windows 98, SE \\\"gold\\\"\"\n");
    // Its Flatpak before the manager, and an older 86Box's machine folder.
    put(home() / ".var/app/net._86box._86Box/config/86Box/86box.cfg",
        "[Hard disks]\nhdd_01_parameters = 63, 16, 1023, 0, ide\nhdd_01_fn = /images/flat.img\n");
    put(home() / "86Box VMs/Old/86box.cfg",
        "[Hard disks]\nhdd_01_parameters = 63, 16, 1023, 0, ide\nhdd_01_fn = old.img\n");

    // PCem v17: configs moved by pcem.cfg; the file's name is the machine's.
    put(home() / ".pcem/pcem.cfg", "[Paths]\nconfigs_path = " + (home() / "pcem").string() + "/\n");
    put(home() / "pcem/Pentium 98.cfg",
        "gameblaster = 0\nhdc_sectors = 63\nhdc_fn = /vm/p98.img\nhdd_fn = \n"
        "hde_fn = rel.img\n\n[Joysticks]\njoystick_0_nr = 0\n");

    // VirtualBox: a machine with a snapshot, whose disk now is the
    // differencing image nested in its base; an old machine whose disk is in
    // the global registry; a Linux machine.
    const fs::path vbox = home() / ".config/VirtualBox";
    put(vbox / "VirtualBox.xml",
        "<?xml version=\"1.0\"?>\n<VirtualBox xmlns=\"http://www.virtualbox.org/\" "
        "version=\"1.12-linux\">"
        "<Global><MachineRegistry>"
        "<MachineEntry uuid=\"{1}\" src=\"" +
            (home() / "VirtualBox VMs/W98/W98.vbox").string() +
            "\"/>"
            "<MachineEntry uuid=\"{2}\" src=\"Machines/W95/W95.xml\"/>"
            "<MachineEntry uuid=\"{3}\" src=\"" +
            (home() / "VirtualBox VMs/Deb/Deb.vbox").string() +
            "\"/>"
            "</MachineRegistry><MediaRegistry><HardDisks>"
            "<HardDisk uuid=\"{d95}\" location=\"HardDisks/w95.vdi\" format=\"VDI\"/>"
            "</HardDisks></MediaRegistry></Global></VirtualBox>\n");
    put(home() / "VirtualBox VMs/W98/W98.vbox",
        "<?xml version=\"1.0\"?><VirtualBox xmlns=\"http://www.virtualbox.org/\" "
        "version=\"1.19-linux\">"
        "<Machine uuid=\"{1}\" name=\"Windows 98\" OSType=\"Windows98\" currentSnapshot=\"{s1}\">"
        "<MediaRegistry><HardDisks>"
        "<HardDisk uuid=\"{base}\" location=\"W98.vdi\" format=\"VDI\" type=\"Normal\">"
        "<HardDisk uuid=\"{diff}\" location=\"Snapshots/{diff}.vdi\" format=\"VDI\"/>"
        "</HardDisk></HardDisks></MediaRegistry>"
        "<Snapshot uuid=\"{s1}\" name=\"Clean\"><Hardware/><StorageControllers>"
        "<StorageController name=\"IDE\" type=\"PIIX4\"><AttachedDevice type=\"HardDisk\" "
        "port=\"0\" "
        "device=\"0\"><Image uuid=\"{base}\"/></AttachedDevice></StorageController>"
        "</StorageControllers></Snapshot>"
        "<Hardware/><StorageControllers><StorageController name=\"IDE\" type=\"PIIX4\">"
        "<AttachedDevice passthrough=\"false\" type=\"DVD\" port=\"1\" device=\"0\"/>"
        "<AttachedDevice type=\"HardDisk\" port=\"0\" device=\"0\"><Image uuid=\"{diff}\"/>"
        "</AttachedDevice></StorageController></StorageControllers></Machine></VirtualBox>\n");
    put(vbox / "Machines/W95/W95.xml",
        "<VirtualBox><Machine uuid=\"{2}\" name=\"Win95\" OSType=\"Windows95\"><Hardware>"
        "<StorageControllers><StorageController name=\"IDE\"><AttachedDevice type=\"HardDisk\">"
        "<Image uuid=\"{d95}\"/></AttachedDevice></StorageController></StorageControllers>"
        "</Hardware></Machine></VirtualBox>");
    put(home() / "VirtualBox VMs/Deb/Deb.vbox",
        "<VirtualBox><Machine name=\"Debian\" OSType=\"Debian_64\"><MediaRegistry><HardDisks>"
        "<HardDisk uuid=\"{dd}\" location=\"Deb.vdi\"/></HardDisks></MediaRegistry>"
        "<StorageControllers><StorageController><AttachedDevice type=\"HardDisk\">"
        "<Image uuid=\"{dd}\"/></AttachedDevice></StorageController></StorageControllers>"
        "</Machine></VirtualBox>");

    // libvirt: a virt-manager machine with a title, a GNOME Boxes one, the
    // Boxes Flatpak's, a system machine; a CD and a block device are no disks.
    const std::string osinfo =
        "<metadata><libosinfo:libosinfo "
        "xmlns:libosinfo=\"http://libosinfo.org/xmlns/libvirt/domain/1.0\">"
        "<libosinfo:os id=\"http://microsoft.com/win/98\"/></libosinfo:libosinfo>";
    put(home() / ".config/libvirt/qemu/win98.xml",
        "<domain type='kvm'><name>win98</name><title>Windows 98 (virt)</title>" + osinfo +
            "</metadata><devices>"
            "<disk type='file' device='disk'><driver name='qemu' type='qcow2'/>"
            "<source file='/var/vm/win98.qcow2'/><target dev='hda' bus='ide'/></disk>"
            "<disk type='file' device='cdrom'><source file='/iso/w98.iso'/></disk>"
            "<disk type='block' device='disk'><source dev='/dev/sdb'/></disk>"
            "</devices></domain>");
    put(home() / ".config/libvirt/qemu/boxes.xml",
        "<domain type='kvm'><name>boxes-unknown</name><title>Windows 95</title>"
        "<metadata><boxes:gnome-boxes "
        "xmlns:boxes=\"https://wiki.gnome.org/Apps/Boxes\"/></metadata>"
        "<devices><disk type='file' device='disk'><source file='" +
            (home() / ".local/share/gnome-boxes/images/win95").string() +
            "'/></disk></devices></domain>");
    put(home() / ".var/app/org.gnome.Boxes/config/libvirt/qemu/fp.xml",
        "<domain><name>fp</name><devices><disk type='file' device='disk'><source file='/fp/disk'/>"
        "</disk></devices></domain>");
    put(home() / "etc-libvirt/sys.xml",
        "<domain><name>sys</name><devices><disk type='file' device='disk'>"
        "<source file='/var/lib/libvirt/images/sys.qcow2'/></disk></devices></domain>");

    // DOSBox-X: the guide's win98.conf, its relative image found from the
    // conf's folder as "working directory option = config" says; a conf whose
    // working folder is a custom one, with a quoted image, a floppy, a CD and
    // a mounted host folder.
    put(home() / ".config/dosbox-x/win98.conf",
        "[dosbox]\nworking directory option = config\nmemsize = 64\n\n[autoexec]\n"
        "# the disk\nIMGMOUNT C hdd.img\nBOOT C:\n");
    put(home() / ".config/dosbox-x/games.conf",
        "[dosbox]\ntitle = Games PC\nworking directory option = custom\n"
        "working directory default = ~/dos\n[autoexec]\n"
        "@imgmount 2 \"disks/my disk.img\" -size 512,63,16,520 -fs none\n"
        "imgmount a floppy.img -t floppy\nimgmount d cd.iso\nimgmount e cd.img -t iso\n"
        "mount c drive_c\nmount d /cdrom -t cdrom\n");

    // Bochs: $HOME, a quoted path, Bochs' own growing format and a CD.
    put(home() / ".bochsrc",
        "megs: 64\n# ata0-master: type=disk, path=commented.img\n"
        "ata0-master: type=disk, mode=flat, path=\"$HOME/bochs/c.img\", cylinders=0 # autodetect\n"
        "ata0-slave: type=disk, mode=growing, path=grow.img\n"
        "ata1-master: type=cdrom, path=/dev/cdrom, status=inserted\n"
        "ata1-slave: type=disk, path=d.img, mode=vpc\n");

    const auto disks = disksOf(readAll());
    const auto u = DeclaredSystem::Unknown;
    const std::vector<Disk> expected{
        {"DOS 6", "86Box", vms / "Group/DOS 6/dos.img", u},
        {"Windows 98, SE \"gold\"", "86Box", vms / "Win98/disks/w98.img", u},
        {"Windows 98, SE \"gold\"", "86Box", vms / "shared/data.vhd", u},
        {"Windows 98, SE \"gold\"", "86Box", "/srv/images/extra.img", u},
        {"Windows 98, SE \"gold\"", "86Box", vms / "Win98/copied.img", u},
        {"86Box", "86Box (Flatpak)", "/images/flat.img", u},
        {"Old", "86Box", home() / "86Box VMs/Old/old.img", u},
        {"Pentium 98", "PCem", "/vm/p98.img", u},
        {"Pentium 98", "PCem", home() / ".pcem/rel.img", u},
        {"Windows 98", "VirtualBox", home() / "VirtualBox VMs/W98/Snapshots/{diff}.vdi",
         DeclaredSystem::Windows9x},
        {"Win95", "VirtualBox", vbox / "HardDisks/w95.vdi", DeclaredSystem::Windows9x},
        {"Debian", "VirtualBox", home() / "VirtualBox VMs/Deb/Deb.vdi", DeclaredSystem::Other},
        {"Windows 95", "GNOME Boxes", home() / ".local/share/gnome-boxes/images/win95", u},
        {"Windows 98 (virt)", "libvirt", "/var/vm/win98.qcow2", DeclaredSystem::Windows9x},
        {"fp", "GNOME Boxes (Flatpak)", "/fp/disk", u},
        {"sys", "libvirt (system)", "/var/lib/libvirt/images/sys.qcow2", u},
        {"Games PC", "DOSBox-X", home() / "dos/disks/my disk.img", u},
        {"Games PC", "DOSBox-X", home() / "dos/drive_c", u},
        {"win98", "DOSBox-X", home() / ".config/dosbox-x/hdd.img", u},
        {"~/.bochsrc", "Bochs", home() / "bochs/c.img", u},
        {"~/.bochsrc", "Bochs", home() / "d.img", u},
    };
    EXPECT_EQ(disks, expected);
}

// Configuration files are data from wherever the user got them: a FIFO, a
// file too large, a folder loop or broken XML is passed over with a note,
// and nothing waits.
TEST_F(Finder, OddConfigurationFilesAreNotedAndNothingHangs) {
    ASSERT_EQ(::mkfifo((home() / ".bochsrc").c_str(), 0600), 0);
    fs::create_directories(home() / ".config/86Box");
    ASSERT_EQ(::mkfifo((home() / ".config/86Box/vmm.ini").c_str(), 0600), 0);
    put(home() / ".local/share/86Box/Virtual Machines/A/86box.cfg",
        "[Hard disks]\nhdd_01_parameters = 63, 16, 1023, 0, ide\nhdd_01_fn = a.img\n");
    fs::create_directory_symlink("..", home() / ".local/share/86Box/Virtual Machines/A/loop");
    put(home() / ".pcem/configs/big.cfg", std::string(kLargestConfigFile + 1, '#'));
    put(home() / ".config/libvirt/qemu/broken.xml", "<domain><name>x</name><devices>");
    put(home() / ".config/VirtualBox/VirtualBox.xml",
        "<!DOCTYPE v [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;"
        "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c "
        "\"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;"
        "&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>"
        "<VirtualBox><Global><MachineRegistry><MachineEntry src=\"&d;&d;&d;&d;\"/>"
        "</MachineRegistry></Global></VirtualBox>");

    const auto start = std::chrono::steady_clock::now();
    const MachineList machines = readAll();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    // The 86Box machine is still found, by its folder's name.
    ASSERT_EQ(machines.disks.size(), 1u);
    EXPECT_EQ(machines.disks[0].machine, "A");
    const std::string notes = [&] {
        std::string all;
        for (const auto& note : machines.notes)
            all += note + "\n";
        return all;
    }();
    EXPECT_NE(notes.find(".bochsrc is not an ordinary file"), std::string::npos) << notes;
    EXPECT_NE(notes.find("vmm.ini is not an ordinary file"), std::string::npos) << notes;
    EXPECT_NE(notes.find("big.cfg is larger than 4096 KB"), std::string::npos) << notes;
    EXPECT_NE(notes.find("broken.xml is not a libvirt machine"), std::string::npos) << notes;
    EXPECT_NE(notes.find("VirtualBox.xml is not a VirtualBox settings file"), std::string::npos)
        << notes;
}

// The folders the user adds: images by their names in any case, to a depth
// of four folders, not in hidden folders or through links to folders; and
// the emulator files among them.
TEST_F(Finder, SearchFoldersAreSearchedAsDeepAsAUserKeepsImages) {
    const fs::path retro = home() / "retro";
    for (const char* file :
         {"a.img", "b/B.VHD", "b/c/d/e/deep.qcow2", "b/c/d/e/f/tooDeep.img", ".hidden/h.img",
          "b/notes.txt", "b/86Box/86box.cfg", "dx/w.conf", "bx/bochsrc", "win.bxrc"})
        put(retro / file, "x");
    fs::create_directory_symlink(home(), retro / "b/home");
    const SearchFolderFiles found = walkSearchFolders({retro});
    std::set<fs::path> images(found.images.begin(), found.images.end());
    EXPECT_EQ(images, (std::set<fs::path>{retro / "a.img", retro / "b/B.VHD",
                                          retro / "b/c/d/e/deep.qcow2"}));
    EXPECT_EQ(found.machines86Box, std::vector<fs::path>{retro / "b/86Box"});
    EXPECT_EQ(found.confFiles, std::vector<fs::path>{retro / "dx/w.conf"});
    std::set<fs::path> bochs(found.bochsConfigs.begin(), found.bochsConfigs.end());
    EXPECT_EQ(bochs, (std::set<fs::path>{retro / "bx/bochsrc", retro / "win.bxrc"}));
}

// The disks themselves, as the user has them: which hold Windows, on which
// partition and in which folder; the same file named twice is looked at
// once; a differencing disk is shown refused with its reason; an emulator's
// hold on an image is reported.
class FinderOnImages : public Finder {
  protected:
    FinderOnImages() : maker_(home() / "images") {}

    static ImageRecipe windows(const std::string& windowsFolder = "WINDOWS") {
        ImageRecipe recipe;
        recipe.files = {{"IO.SYS", "io"}, {windowsFolder + "/WIN.COM", "MZ"}};
        recipe.files["MSDOS.SYS"] = windowsFolder == "WINDOWS"
                                        ? "[Paths]\r\nWinBootDir=C:\\WINDOWS\r\n"
                                        : "[Paths]\r\nWinDir=C:\\" + windowsFolder + "\r\n";
        recipe.protectedFiles = {"IO.SYS", "MSDOS.SYS"};
        return recipe;
    }
    MachineDisk disk(const std::string& machine, const fs::path& path,
                     DeclaredSystem system = DeclaredSystem::Unknown) const {
        return {machine, "Test", InstallationSource::Kind::DiskImage, path, system, home()};
    }
    FindReport confirm(const std::vector<MachineDisk>& disks) {
        return confirmDisks(disks, home() / "work", {});
    }

    ImageMaker maker_;
};

TEST_F(FinderOnImages, OnlyDisksWithWindowsAreListedOnceEach) {
    const MadeImage w98 = maker_.makeRaw("w98.img", windows());
    ImageRecipe logical = windows("WIN98");
    logical.layout = PartitionLayout::Logical;
    const MadeImage second = maker_.makeRaw("logical.img", logical);
    ImageRecipe noIoSys = windows();
    noIoSys.files.erase("IO.SYS");
    const MadeImage data = maker_.makeRaw("data.img", noIoSys);
    fs::create_symlink(w98.file, home() / "link.img");
    fs::create_directories(home() / "drive_c/WINDOWS");
    put(home() / "drive_c/io.sys", "io");
    put(home() / "drive_c/msdos.sys", "[Paths]\r\n");

    MachineDisk folder = disk("Folder PC", home() / "drive_c");
    folder.kind = InstallationSource::Kind::Folder;
    const FindReport report =
        confirm({disk("First", w98.file), disk("Logical", second.file), disk("Data", data.file),
                 disk("Gone", home() / "missing.img"), disk("Again", home() / "link.img"), folder});
    std::vector<std::tuple<std::string, fs::path, std::optional<int>, std::string>> found;
    for (const auto& f : report.found) {
        EXPECT_FALSE(f.refused) << *f.refused;
        EXPECT_FALSE(f.inUse) << *f.inUse;
        found.emplace_back(f.machine, f.source.path, f.source.partition, f.windowsFolder);
    }
    EXPECT_EQ(found, (decltype(found){
                         {"First", w98.file, 1, "C:\\WINDOWS"},
                         {"Logical", second.file, 5, "C:\\WIN98"},
                         {"Folder PC", home() / "drive_c/WINDOWS", std::nullopt, "C:\\WINDOWS"}}));
    // Nothing of the looks is left behind, and the images are as they were.
    EXPECT_TRUE(fs::is_empty(home() / "work"));
    EXPECT_EQ(maker_.fsckFindings(w98), "");
}

// A qcow2 (GNOME Boxes, virt-manager) is read through a storage daemon's export.
TEST_F(FinderOnImages, Qcow2IsReadThroughItsExport) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0)
        GTEST_SKIP() << "this user may not use /dev/fuse, through which a qcow2 is read";
    const MadeImage qcow2 =
        maker_.convert(maker_.makeRaw("q.raw", windows()), ImageFormat::Qcow2, "w98.qcow2");
    const FindReport report = confirm({disk("Boxes", qcow2.file, DeclaredSystem::Windows9x)});
    ASSERT_EQ(report.found.size(), 1u);
    EXPECT_FALSE(report.found[0].refused) << *report.found[0].refused;
    EXPECT_EQ(report.found[0].source.partition, 1);
    EXPECT_EQ(report.found[0].windowsFolder, "C:\\WINDOWS");
    EXPECT_TRUE(fs::is_empty(home() / "work"));
}

// A folder the user adds is kept, and searched from then on; one that does
// not exist is refused.
TEST_F(FinderOnImages, AddedSearchFoldersAreKeptAndSearched) {
    Installations installations(
        {home() / "data", QString::fromStdString((home() / "quenlark.conf").string()), {}});
    EmulatorFinder finder(installations, places(), home() / "work");
    ASSERT_TRUE(finder.addSearchFolder(home() / "nowhere"));
    const MadeImage w98 = maker_.makeRaw("w98.img", windows());
    EXPECT_EQ(finder.addSearchFolder(home() / "images"), std::nullopt);
    EXPECT_EQ(finder.searchFolders(), std::vector<fs::path>{home() / "images"});
    int calls = 0;
    const FindReport report = finder.find(finder.searchFolders(), [&](int done, int total) {
        ++calls;
        return done <= total;
    });
    ASSERT_EQ(report.found.size(), 1u);
    EXPECT_EQ(report.found[0].machine, "w98.img");
    EXPECT_EQ(report.found[0].emulator, "Search folder");
    EXPECT_EQ(calls, 1);
}

TEST_F(FinderOnImages, RefusedAndUnreadableDisksSayWhy) {
    // A VirtualBox snapshot's differencing VDI: refused by its header.
    const MadeImage base =
        maker_.convert(maker_.makeRaw("base.raw", windows()), ImageFormat::DynamicVdi, "base.vdi");
    const fs::path diff = home() / "diff.vdi";
    fs::copy_file(base.file, diff);
    {
        std::fstream out(diff, std::ios::in | std::ios::out | std::ios::binary);
        out.seekp(0x4c);
        const char differencing[4] = {4, 0, 0, 0};
        out.write(differencing, 4);
    }
    fs::copy_file(diff, home() / "other.vdi");
    ASSERT_EQ(::mkfifo((home() / "fifo.img").c_str(), 0600), 0);
    const MadeImage linuxDisk = maker_.makeRaw("linux.img", ImageRecipe{});
    const FindReport report =
        confirm({disk("Windows 98", diff, DeclaredSystem::Windows9x),
                 disk("Linux", home() / "other.vdi", DeclaredSystem::Other),
                 disk("Pipe", home() / "fifo.img"), disk("Empty FAT", linuxDisk.file)});
    ASSERT_EQ(report.found.size(), 2u);
    EXPECT_EQ(report.found[0].machine, "Windows 98");
    ASSERT_TRUE(report.found[0].refused);
    EXPECT_NE(report.found[0].refused->find("is a differencing VDI"), std::string::npos);
    ASSERT_TRUE(report.found[1].refused);
    EXPECT_NE(report.found[1].refused->find("is not an ordinary file"), std::string::npos);

    // An image this user may not read (a system machine's, say).
    std::string why;
    const auto user = ordinaryUser(&why);
    if (!user)
        GTEST_SKIP() << "no ordinary user to try as: " << why;
    const MadeImage w98 = maker_.makeRaw("w98.img", windows());
    ::chmod(w98.file.c_str(), 0);
    fs::create_directories(home() / "work");
    handOver(home() / "work", *user);
    const int status = runAsUser(*user, [&] {
        const auto seen = confirmDisks({disk("System", w98.file)}, home() / "work", {});
        return seen.found.size() == 1 && seen.found[0].refused &&
                       seen.found[0].refused->find("may not be read by this user") !=
                           std::string::npos
                   ? 0
                   : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST_F(FinderOnImages, AnEmulatorsHoldOnAnImageIsReported) {
    const MadeImage dosbox = maker_.makeRaw("dosbox.img", windows());
    const MadeImage bochs = maker_.makeRaw("bochs.img", windows());
    const MadeImage qemu = maker_.makeRaw("qemu.img", windows());
    const MadeImage free = maker_.makeRaw("free.img", windows());
    // DOSBox-X takes an exclusive flock on the images it mounts; Bochs leaves
    // a lock file beside them; QEMU locks bytes of the file.
    const int flocked = ::open(dosbox.file.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_EQ(::flock(flocked, LOCK_EX | LOCK_NB), 0);
    put(bochs.file.string() + ".lock", "");
    int locked[2];
    ASSERT_EQ(::pipe(locked), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(qemu.file.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_RDLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 100;
        lock.l_len = 1;
        ::fcntl(fd, F_OFD_SETLK, &lock);
        (void)!::write(locked[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char ready;
    ASSERT_EQ(::read(locked[0], &ready, 1), 1);
    const FindReport report =
        confirm({disk("DOSBox-X PC", dosbox.file), disk("Bochs PC", bochs.file),
                 disk("QEMU PC", qemu.file), disk("Off", free.file)});
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(flocked);
    ASSERT_EQ(report.found.size(), 4u);
    ASSERT_TRUE(report.found[0].inUse);
    EXPECT_NE(report.found[0].inUse->find("DOSBox-X holds its lock"), std::string::npos);
    ASSERT_TRUE(report.found[1].inUse);
    EXPECT_NE(report.found[1].inUse->find("bochs.img.lock is there"), std::string::npos);
    ASSERT_TRUE(report.found[2].inUse);
    EXPECT_NE(report.found[2].inUse->find("in use by another program"), std::string::npos);
    EXPECT_FALSE(report.found[3].inUse) << *report.found[3].inUse;
}

}  // namespace
}  // namespace quenlark::testing
